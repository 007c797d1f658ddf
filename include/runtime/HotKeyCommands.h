// System-wide hot keys whose presses reach a label as its feedback event.
#pragma once

#include <cstdint>

#include "runtime/Runtime.h"

namespace runtime {

// Modifier sets: 1 Ctrl, 2 Shift, 4 Alt, added together (0 to 6); any other value is handed to
// the system unchanged as its own modifier flags.
inline constexpr std::int32_t kModifierCtrl = 1;
inline constexpr std::int32_t kModifierShift = 2;
inline constexpr std::int32_t kModifierAlt = 4;

// Registers the hot key for `window` and sends every press of any hot key of this process to
// `feedbackWindow` (the latest registration's) as message 0x8075 with the id and 0. The id is
// 33001 for the first registration of the process and one more for each later attempt, refused
// ones included; 0 when the system refused the combination.
std::int32_t RegisterGlobalHotKey(WindowHandle window, WindowHandle feedbackWindow, std::int32_t modifierSet,
                                  std::int32_t keyCode);

// Unregisters the hot key; when it was the last one, the window gets its own procedure back.
bool UnregisterGlobalHotKey(WindowHandle window, std::int32_t id);

} // namespace runtime
