#include "autostart/RegistryPath.h"

namespace runtime {

RegistryRoot RegistryRootFromNumber(std::int32_t rootNumber) {
    if (rootNumber < static_cast<std::int32_t>(RegistryRoot::ClassesRoot) ||
        rootNumber > static_cast<std::int32_t>(RegistryRoot::Users)) {
        return RegistryRoot::CurrentUser;
    }
    return static_cast<RegistryRoot>(rootNumber);
}

RegistryPathParts SplitRegistryPath(std::int32_t rootNumber, const char* path) {
    RegistryPathParts parts;
    parts.root = RegistryRootFromNumber(rootNumber);
    if (path == nullptr) path = "";

    const char* lastSeparator = nullptr;
    const char* cursor = path;
    while (*cursor != '\0') {
        if (static_cast<unsigned char>(*cursor) >= 0x80) {
            // A lead byte with nothing after it is a truncated character: nothing more to scan.
            if (cursor[1] == '\0') break;
            cursor += 2;
            continue;
        }
        if (*cursor == '\\') lastSeparator = cursor;
        ++cursor;
    }

    if (lastSeparator == nullptr) {
        parts.valueName = path;
        return parts;
    }
    parts.keyPath = std::string_view(path, static_cast<std::size_t>(lastSeparator - path));
    parts.valueName = lastSeparator + 1;
    return parts;
}

} // namespace runtime
