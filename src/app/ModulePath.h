// Splitting the program's module path into folder and file name. Platform-free: the caller
// supplies the code page's lead-byte test, so that a backslash byte that is the second byte of
// a double-byte character is never taken for a separator.
#pragma once

#include <string>
#include <string_view>

namespace runtime {

struct ModulePathParts {
    std::string folder;   // without a trailing backslash; empty when the path has no backslash
    std::string fileName; // the whole path when it has no backslash
};

using LeadBytePredicate = bool (*)(unsigned char byte);

// Index of the last separator byte, or npos.
std::size_t FindLastBackslash(std::string_view path, LeadBytePredicate isLeadByte);
ModulePathParts SplitModulePath(std::string_view path, LeadBytePredicate isLeadByte);

} // namespace runtime
