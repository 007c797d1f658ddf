// What ShowMessageBox hands MessageBoxA and how it reads the answer. Platform-free.
#pragma once

#include <cstdint>

namespace runtime {

inline constexpr std::uint32_t kStyleSystemModal = 0x1000; // MB_SYSTEMMODAL
inline constexpr std::uint32_t kStyleTaskModal = 0x2000;   // MB_TASKMODAL

// The caller's style plus MB_TASKMODAL, unless it asks for a system-modal box.
std::uint32_t MessageBoxStyle(std::int32_t style);

// MessageBoxA's answer (IDOK 1 ... IDNO 7) as a button index 0 ... 6; anything else, a failure
// included, reads as OK.
std::int32_t ButtonIndexFromResult(int result);

} // namespace runtime
