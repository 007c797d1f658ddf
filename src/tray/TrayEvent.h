// The notification-area icon's id and callback message, and what the shell reports through it.
// Platform-free.
#pragma once

#include <cstdint>

namespace runtime {

inline constexpr std::uint32_t kTrayIconId = 100;
inline constexpr std::uint32_t kTrayCallbackMessage = 0x8064; // WM_APP + 0x64

// Tray event types, from what the shell reports in the callback's lParam.
inline constexpr int kTrayNoEvent = 0;
inline constexpr int kTrayLeftButtonUp = 1;
inline constexpr int kTrayOpenRequest = 2; // a double-click, or Enter or Space on the focused icon
inline constexpr int kTrayRightButtonUp = 3;

// The icon is added in the shell's fourth callback mode, which puts the icon id in the high word
// of lParam and the event in the low word; a shell that kept the first mode passes the event
// alone, so the low word serves both.
constexpr int TrayEventType(std::intptr_t callbackLParam) {
    switch (callbackLParam & 0xFFFF) {
    case 0x0202: // WM_LBUTTONUP
        return kTrayLeftButtonUp;
    case 0x0203: // WM_LBUTTONDBLCLK
    case 0x0401: // NIN_KEYSELECT: the keyboard's only way to the icon
        return kTrayOpenRequest;
    case 0x0205: // WM_RBUTTONUP
    case 0x007B: // WM_CONTEXTMENU
        return kTrayRightButtonUp;
    // NIN_SELECT (0x0400) follows the WM_LBUTTONUP of every single click: it is that click again,
    // not a request of its own.
    default:
        return kTrayNoEvent;
    }
}

} // namespace runtime
