// The command line of the system's reg.exe for one change of a registry value, as Windows parses a
// program's command line into arguments. Platform-free, so the quoting is tested natively.
#pragma once

#include <string>
#include <string_view>

#include "autostart/RegistryPath.h"

namespace runtime {

// One argument in quotes: a quote inside becomes \", and backslashes are doubled where they come
// before a quote, the closing one included. A byte of 0x80 or above begins a two-byte character
// (the rule of the registry path), whose second byte is never taken for a backslash or a quote.
std::string QuotedArgument(std::string_view text);

// "add KEY /v NAME /t REG_SZ /d TEXT /f /reg:32", in the 32-bit view the program's own writes use.
std::string RegAddTextCommandLine(const RegistryPathParts& target, std::string_view text);
// "delete KEY /v NAME /f /reg:32".
std::string RegDeleteValueCommandLine(const RegistryPathParts& target);

} // namespace runtime
