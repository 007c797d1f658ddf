// A window's icon in the notification area: the shell record, the icon handle it owns and the
// tip it shows. One per window object; everything runs on the window's thread.
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

    // Puts `newIcon` (ownership passes; null for none) with `tip` (null for none) into the
    // notification area for `window`: adds the icon when there was none, changes it when there
    // was one, removes it when `newIcon` is null. The previous icon handle is destroyed. The
    // shell's answer does not decide what the current icon is.
    void Update(HWND window, HICON newIcon, const char* tip);

    // Adds the current icon again with its current tip: the shell forgets every icon when its
    // taskbar is recreated. Nothing happens without a current icon.
    void AddAgain(HWND window);

    HICON Current() const { return icon.Get(); }
    // The tip as the shell was given it (cut to the field); empty without a current icon.
    const char* Tip() const { return tip; }

private:
    IconHandle icon;
    char tip[kTrayTipFieldSize] = {};
};

} // namespace runtime
