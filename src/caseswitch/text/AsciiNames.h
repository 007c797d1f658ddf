// Names compared without regard to case: registered clipboard formats, window classes, file names,
// HTML tags. Only the 26 ASCII letters fold, as the system folds them in such names, whatever the
// code page, so that no byte of a double-byte character is mistaken for a letter's other case.
#pragma once

#include <algorithm>
#include <string_view>

namespace runtime {

inline char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

inline bool SameAsciiName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

} // namespace runtime
