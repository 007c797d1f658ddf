// The notification-area icon's id and callback message, and what the shell reports through it.
// Platform-free.
#pragma once

#include <cstdint>

namespace runtime {

inline constexpr std::uint32_t kTrayIconId = 100;
inline constexpr std::uint32_t kTrayCallbackMessage = 0x8064; // WM_APP + 0x64

// Tray event types, from the mouse message the shell passes as the callback's lParam.
inline constexpr int kTrayNoEvent = 0;
inline constexpr int kTrayLeftButtonUp = 1;
inline constexpr int kTrayLeftDoubleClick = 2;
inline constexpr int kTrayRightButtonUp = 3;

constexpr int TrayEventType(std::intptr_t mouseMessage) {
    switch (mouseMessage) {
    case 0x0202: // WM_LBUTTONUP
        return kTrayLeftButtonUp;
    case 0x0203: // WM_LBUTTONDBLCLK
        return kTrayLeftDoubleClick;
    case 0x0205: // WM_RBUTTONUP
    case 0x007B: // WM_CONTEXTMENU
        return kTrayRightButtonUp;
    default:
        return kTrayNoEvent;
    }
}

} // namespace runtime
