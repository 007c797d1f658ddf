// How Windows 8 and later keep a user's "turn off" of a Run value (Task Manager's Startup tab,
// Settings > Apps > Startup) apart from the value itself: a REG_BINARY record of the same name.
// Its first 32-bit word holds flags whose lowest bit means turned off (seen: 02 and 06 on, 03 and
// 07 off); the 8 bytes after it hold the FILETIME of the turning off, zero while the value is on.
// Platform-free, so the rules are tested natively.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace runtime {

inline constexpr std::size_t kStartupRecordSize = 12;
using StartupRecord = std::array<std::uint8_t, kStartupRecordSize>;

// True when the record marks its Run value turned off; an empty record marks nothing.
bool StartupRecordTurnedOff(const std::uint8_t* bytes, std::size_t size);

// The record that turns the value on again: its flags kept but the off bit, the time zeroed.
StartupRecord TurnedOnStartupRecord(const std::uint8_t* bytes, std::size_t size);

} // namespace runtime
