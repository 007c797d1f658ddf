// A hidden top-level window that owns a TrayIcon as the window runtime's windows do: it records
// the shell's callback messages and adds its icon again when the taskbar says it was recreated.
#pragma once

#include <windows.h>

#include <vector>

#include "tray/TrayIcon.h"

namespace tray_test {

struct Callback {
    WPARAM wParam;
    LPARAM lParam;
};

class TrayTestWindow {
public:
    TrayTestWindow() {
        static const ATOM windowClass = [] {
            WNDCLASSA description = {};
            description.lpfnWndProc = &TrayTestWindow::Procedure;
            description.hInstance = GetModuleHandleA(nullptr);
            description.lpszClassName = "CaseSwitchTrayTestWindow";
            return RegisterClassA(&description);
        }();
        handle = CreateWindowExA(0, MAKEINTATOM(windowClass), "tray test", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), this);
        tray.Attach(handle);
    }
    ~TrayTestWindow() {
        if (handle) {
            tray.Remove();
            DestroyWindow(handle);
        }
    }
    TrayTestWindow(const TrayTestWindow&) = delete;
    TrayTestWindow& operator=(const TrayTestWindow&) = delete;

    HWND Handle() const { return handle; }
    runtime::TrayIcon& Tray() { return tray; }
    const std::vector<Callback>& Callbacks() const { return callbacks; }
    int TaskbarCreatedCount() const { return taskbarCreated; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<TrayTestWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        int trayEvent = runtime::kTrayNoEvent;
        if (self && self->tray.HandleWindowMessage(message, wParam, lParam, trayEvent)) {
            if (message == runtime::kTrayCallbackMessage)
                self->callbacks.push_back({wParam, lParam});
            else
                ++self->taskbarCreated;
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    HWND handle = nullptr;
    runtime::TrayIcon tray;
    std::vector<Callback> callbacks;
    int taskbarCreated = 0;
};

} // namespace tray_test
