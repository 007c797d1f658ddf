// A window's icon in the notification area: the shell record, the icon handle it owns and the
// tip it shows. One per window object, which holds it, attaches it to its window and hands it the
// window's messages; the icon service reaches it through the runtime's service callback and sees
// nothing else of the window object. Everything runs on the window's thread.
#pragma once

#include <windows.h>

#include "tray/IconHandle.h"
#include "tray/TrayEvent.h"
#include "tray/TrayTip.h"

namespace runtime {

// The message the shell broadcasts when its taskbar has been (re)created; 0 when the system
// refused to register it, in which case no message is taken for it.
UINT TaskbarCreatedMessage();

class TrayIcon {
public:
    TrayIcon() = default;
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // The window whose icon this is, once that window exists.
    void Attach(HWND window) { this->window = window; }

    // Puts `newIcon` (ownership passes; null for none) with `tip` (null for none) into the
    // notification area: adds the icon when there was none, changes it when there was one,
    // removes it when `newIcon` is null. The previous icon handle is destroyed. The shell's answer
    // does not decide what the current icon is (a taskbar that starts later gets it), but it is
    // the result: true when the shell now shows the icon, false when it refused it or for a
    // removal.
    bool Update(HICON newIcon, const char* tip);
    void Remove() { Update(nullptr, nullptr); }

    // Shows a balloon with `title` and `text` at the icon, once for the life of this object: true
    // when the shell took it now; false without a current icon, after an earlier balloon, or
    // when the shell refused it (a later call may try again).
    bool ShowBalloonOnce(const char* title, const char* text);

    // Adds the current icon again with its current tip: the shell forgets every icon when its
    // taskbar is recreated. Nothing happens without a current icon.
    void AddAgain();

    // The window's messages that concern its icon: the shell's callback, translated into the tray
    // event type for the window to raise (kTrayNoEvent for none), and the taskbar's re-creation,
    // which adds the icon again. False for any other message.
    bool HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, int& trayEvent);

    HICON Current() const { return icon.Get(); }
    // The tip as the shell was given it (cut to the field); empty without a current icon.
    const char* Tip() const { return tip; }

private:
    HWND window = nullptr;
    IconHandle icon;
    char tip[kTrayTipFieldSize] = {};
    bool balloonShown = false;
};

} // namespace runtime
