#include "app/ModulePath.h"

namespace runtime {

std::size_t FindLastBackslash(std::string_view path, LeadBytePredicate isLeadByte) {
    std::size_t last = std::string_view::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto byte = static_cast<unsigned char>(path[i]);
        if (isLeadByte(byte)) {
            ++i; // the trail byte is part of the character, whatever its value
            continue;
        }
        if (byte == '\\') last = i;
    }
    return last;
}

ModulePathParts SplitModulePath(std::string_view path, LeadBytePredicate isLeadByte) {
    const std::size_t separator = FindLastBackslash(path, isLeadByte);
    if (separator == std::string_view::npos) return {std::string(), std::string(path)};
    return {std::string(path.substr(0, separator)), std::string(path.substr(separator + 1))};
}

} // namespace runtime
