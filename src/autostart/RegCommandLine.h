// The command line of the system's reg.exe for one change of a registry value, as Windows parses a
// program's command line into arguments. Platform-free, so the quoting is tested natively.
#pragma once

#include <cstddef>
#include <string_view>

#include "autostart/RegistryPath.h"

namespace runtime {

// Room for any command line of a Run entry: key and name, a text of up to 259 bytes each quote
// and backslash of which may double, and the switches.
inline constexpr std::size_t kRegCommandLineSize = 2048;

// Each writes the NUL-terminated command line into `out` (kRegCommandLineSize bytes); false when it
// does not fit. Every argument is in quotes: a quote inside becomes \", and backslashes are doubled
// where they come before a quote, the closing one included. A byte of 0x80 or above begins a
// two-byte character (the rule of the registry path), whose second byte is never taken for a
// backslash or a quote.
// "add KEY /v NAME /t REG_SZ /d TEXT /f /reg:32", in the 32-bit view the program's own writes use.
bool RegAddTextCommandLine(const RegistryPathParts& target, std::string_view text, char* out);
// "delete KEY /v NAME /f /reg:32".
bool RegDeleteValueCommandLine(const RegistryPathParts& target, char* out);

} // namespace runtime
