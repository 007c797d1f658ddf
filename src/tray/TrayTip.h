// The texts of the notification-area icon as the shell's fixed fields hold them. Platform-free.
#pragma once

#include <cstddef>

namespace runtime {

// The tip is kept in 64 bytes, at most 62 of them text.
inline constexpr std::size_t kTrayTipFieldSize = 64;
inline constexpr std::size_t kTrayTipMaxBytes = 62;

// Fills `field` with the text's first `maxBytes` bytes at most (never more than the field less its
// terminating zero) and zeroes the rest; a null text leaves it all zero. The cut never falls
// inside a double-byte character (a byte of 0x80 or above starts one and takes the next byte with
// it), which the shell would otherwise show as a stray lead byte. Gives the number of bytes kept.
std::size_t FillTextField(const char* text, char* field, std::size_t fieldSize, std::size_t maxBytes);

// The tip's field: its first 62 bytes at most.
inline std::size_t FillTrayTip(const char* tip, char (&field)[kTrayTipFieldSize]) {
    return FillTextField(tip, field, kTrayTipFieldSize, kTrayTipMaxBytes);
}

} // namespace runtime
