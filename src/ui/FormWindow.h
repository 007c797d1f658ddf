// The window object of a loaded window: creates the platform window from its description,
// owns the control objects, turns messages into events, and handles the keyboard.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "tray/TrayIcon.h"
#include "ui/Controls.h"
#include "ui/WindowRegistry.h"

namespace runtime {

class FormWindow {
public:
    explicit FormWindow(LoadedWindow& loaded);
    ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    // The window element's platform window, created hidden; false when it cannot be.
    bool CreateWindowElement();
    // The controls, last element of the description first; then stacking order and showing.
    bool CreateControls();
    void ShowControls();

    HWND Handle() const { return handle; }
    TrayIcon& Tray() { return trayIcon; }
    std::uint32_t WindowId() const { return loaded.windowId; }
    const WindowData& Data() const;
    LoadedWindow& Loaded() { return loaded; }

    static FormWindow* FromHandle(HWND window);
    // Keyboard handling before dispatch; true when the key was handled here.
    bool PreTranslateMessage(const MSG& message);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnClose();
    void OnDestroy();
    void OnSetFocus();
    void OnActivate(WPARAM wParam);
    void Paint();
    Control* ControlFor(HWND child) const;
    std::vector<Control*> TabStops() const;
    void MoveFocus(bool forward);
    std::int32_t Fire(std::int32_t event, std::int32_t fallback = 0, std::int32_t argumentCount = 0,
                      std::int32_t argument = 0);

    LoadedWindow& loaded;
    HWND handle = nullptr;
    std::vector<std::unique_ptr<Control>> controls;
    HWND focusAtDeactivation = nullptr;
    bool firstActivationDone = false;
    HBRUSH backgroundBrush = nullptr;
    TrayIcon trayIcon;
};

} // namespace runtime
