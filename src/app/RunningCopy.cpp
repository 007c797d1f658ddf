#include <windows.h>

#include "runtime/RunningCopyCommands.h"
#include "tray/TrayEvent.h"

namespace runtime {

WindowHandle FindRunningCopy(WindowHandle ownWindow) {
    char className[64];
    char caption[128];
    if (GetClassNameA(ownWindow, className, sizeof(className)) == 0) return nullptr;
    GetWindowTextA(ownWindow, caption, sizeof(caption));
    const DWORD ownProcess = GetCurrentProcessId();
    HWND candidate = nullptr;
    while ((candidate = FindWindowExA(nullptr, candidate, className, caption)) != nullptr) {
        DWORD process = 0;
        GetWindowThreadProcessId(candidate, &process);
        if (process != 0 && process != ownProcess) return candidate;
    }
    return nullptr;
}

void ShowRunningCopy(WindowHandle copy) {
    DWORD process = 0;
    GetWindowThreadProcessId(copy, &process);
    // The system lets the copy take the foreground only when the process the user is using allows it.
    AllowSetForegroundWindow(process);
    // The request its tray icon would send, with the icon id in the high word as the shell's fourth
    // callback mode has it; the copy restores its window in answer whether it is hidden or not.
    PostMessageA(copy, kTrayCallbackMessage, kTrayIconId, MAKELPARAM(WM_LBUTTONDBLCLK, kTrayIconId));
}

} // namespace runtime
