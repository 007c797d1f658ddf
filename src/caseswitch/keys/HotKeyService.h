// The hot key service's process-wide state and the window procedure it installs on the window
// that receives the hot-key messages.
#pragma once

#include <windows.h>

#include <cstdint>

namespace runtime {

inline constexpr std::uint32_t kHotKeyIdBase = 33000;
inline constexpr UINT kFeedbackMessage = 0x8075;

struct HotKeyServiceState {
    std::int32_t registrationCount = 0; // registrations made minus unregistrations made
    std::int32_t sequence = 0;          // registration attempts made so far
    std::uint32_t lastId = 0;           // kHotKeyIdBase + sequence after the first attempt
    HWND feedbackWindow = nullptr;      // the latest registration's
    HWND subclassedWindow = nullptr;    // the window that runs HotKeyWindowProc, if any
    WNDPROC previousWindowProcedure = nullptr;
};

// For tests: the service's state as it stands.
const HotKeyServiceState& CurrentHotKeyState();

// The modifier set as the system's MOD_ flags.
UINT TranslateModifierSet(std::int32_t modifierSet);

// Forwards WM_HOTKEY with one of our ids to the feedback window, then passes every message on
// to the procedure it replaced.
LRESULT CALLBACK HotKeyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace runtime
