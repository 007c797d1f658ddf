// The comparison for the case-switch press benchmark: a switcher that trusts fixed delays. On
// Ctrl+CapsLock it saves the clipboard's text, injects Ctrl+C, sleeps 100 ms, converts what it
// reads, writes it, injects Ctrl+V, sleeps 100 ms and writes the saved text back. No other waits.
// Ends when its window is closed (WM_CLOSE), like the program.
#include <windows.h>

#include "runtime/ClipboardCommands.h"
#include "runtime/KeyCommands.h"
#include "runtime/TextCommands.h"

namespace {

constexpr int kHotKeyId = 1;
constexpr DWORD kDelayMilliseconds = 100;

void Switch() {
    runtime::Text saved = runtime::GetClipboardText();
    runtime::SimulateKeys(0x11, 0x43);
    Sleep(kDelayMilliseconds);
    runtime::Text copied = runtime::GetClipboardText();
    const std::int32_t code = runtime::GetCharCode(copied ? copied : "", 2);
    runtime::Text converted = code >= 65 && code <= 90 ? runtime::ToLowerCase(copied ? copied : "")
                                                       : runtime::ToUpperCase(copied ? copied : "");
    runtime::SetClipboardText(converted ? converted : "");
    runtime::SimulateKeys(0x11, 0x56);
    Sleep(kDelayMilliseconds);
    runtime::SetClipboardText(saved ? saved : "");
    runtime::ReleaseMemory(saved);
    runtime::ReleaseMemory(copied);
    runtime::ReleaseMemory(converted);
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HOTKEY && wParam == kHotKeyId) {
        Switch();
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int main() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "FixedDelaySwitcher";
    if (!RegisterClassA(&windowClass)) return 1;
    HWND window = CreateWindowExA(0, "FixedDelaySwitcher", "fixed-delay switcher", WS_OVERLAPPEDWINDOW, 0, 0, 200, 80,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window || !RegisterHotKey(window, kHotKeyId, MOD_CONTROL, VK_CAPITAL)) return 2;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
