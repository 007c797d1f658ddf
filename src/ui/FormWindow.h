// The window object of a loaded window: builds the platform window and its controls from the
// description (FormWindowBuild.cpp), turns the window's messages into events
// (FormWindowMessages.cpp) and handles its keyboard (FormWindowKeyboard.cpp). The registry owns it
// (the rule is in WindowRegistry.h).
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
    std::uint32_t WindowId() const { return windowId; }
    const WindowData& Data() const;
    // The DPI the window and its controls are laid out for, and the controls' default font at it.
    int Dpi() const { return dpi; }
    HFONT Font() const;
    // The icon this window shows in the notification area; the icon service sees nothing else of
    // the window object.
    TrayIcon& Tray() { return trayIcon; }

    static FormWindow* FromHandle(HWND window);
    // Keyboard handling before dispatch; true when the key was handled here.
    bool PreTranslateMessage(const MSG& message);

    // Lifetime (see WindowRegistry.h). Detach cuts the object off from its window and controls:
    // their messages get the default handling from then on, and it raises no more events.
    void Detach();
    bool InMessage() const { return messagesInHand > 0; }

private:
    friend class MessageScope;

    // Messages
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnClose();
    void OnDestroy();
    void OnActivate(WPARAM wParam);
    void Paint();
    void LayOutAt(int newDpi);
    void OnColoursChanged(UINT message, WPARAM wParam, LPARAM lParam);
    Control* ControlFor(HWND child) const;
    std::int32_t Fire(std::int32_t event, std::int32_t fallback = 0, std::int32_t argumentCount = 0,
                      std::int32_t argument = 0);

    // Keyboard
    void OnSetFocus();
    std::vector<Control*> TabStops() const;
    void MoveFocus(bool forward);

    LoadedWindow& loaded; // not used once the object is detached: the registry may let it go
    const std::uint32_t windowId;
    const std::uint32_t windowElementId;
    HWND handle = nullptr;
    std::vector<std::unique_ptr<Control>> controls;
    HWND focusAtDeactivation = nullptr;
    bool firstActivationDone = false;
    ColourBrush backgroundBrush;
    int dpi = 96;
    HFONT scaledFont = nullptr; // null while the stock font fits the DPI
    HICON icons[2] = {};        // indexed by ICON_SMALL and ICON_BIG
    TrayIcon trayIcon;
    int messagesInHand = 0;
    bool detached = false;
};

// Held while a message of a window object (of its window or one of its controls) is handled, and
// while the object is built. When the last one of a retired object ends, the registry deletes the
// object: nothing may use the object after the scope that ends it.
class MessageScope {
public:
    explicit MessageScope(FormWindow& object) : object(object) { ++object.messagesInHand; }
    ~MessageScope();
    MessageScope(const MessageScope&) = delete;
    MessageScope& operator=(const MessageScope&) = delete;

private:
    FormWindow& object;
};

} // namespace runtime
