// How a root number and one registry path text name a value: the root key, the key path below it
// and the value name. Platform-free, so the rules are tested natively.
#pragma once

#include <cstdint>
#include <string_view>

namespace runtime {

// The predefined root keys by their numbers; the Windows side maps them to HKEYs.
enum class RegistryRoot : std::int32_t {
    ClassesRoot = 1,
    CurrentConfig = 2,
    CurrentUser = 3,
    LocalMachine = 4,
    Users = 5,
};

// Numbers outside 1 to 5 address HKEY_CURRENT_USER.
RegistryRoot RegistryRootFromNumber(std::int32_t rootNumber);

struct RegistryPathParts {
    RegistryRoot root = RegistryRoot::CurrentUser;
    std::string_view keyPath; // the bytes before the last separator; empty names the root key itself
    std::string_view
        valueName; // the bytes after it, NUL-terminated in the original path; empty names the default value
};

// Both views point into path (a null path is the empty text), which must outlive them.
// The separator search is double-byte aware by a fixed rule, independent of the active code page:
// a byte of 0x80 or above begins a two-byte character whose second byte is never examined, so a
// GBK trail byte of 0x5C does not split the path.
RegistryPathParts SplitRegistryPath(std::int32_t rootNumber, const char* path);

} // namespace runtime
