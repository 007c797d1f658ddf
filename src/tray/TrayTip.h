// The tip of the notification-area icon as the shell's fixed field holds it. Platform-free.
#pragma once

#include <cstddef>

namespace runtime {

// The shell's tip field holds 64 bytes; the tip keeps at most 62 of them.
inline constexpr std::size_t kTrayTipFieldSize = 64;
inline constexpr std::size_t kTrayTipMaxBytes = 62;

// Fills the 64-byte tip field with the tip's first 62 bytes at most and zeroes the rest; a null
// tip leaves it all zero. The cut never falls inside a double-byte character (a byte of 0x80 or
// above starts one and takes the next byte with it), which the shell would otherwise show as a
// stray lead byte. Gives the number of tip bytes kept.
std::size_t FillTrayTip(const char* tip, char (&field)[kTrayTipFieldSize]);

} // namespace runtime
