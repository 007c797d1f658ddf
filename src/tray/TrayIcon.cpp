#include "tray/TrayIcon.h"

#include <shellapi.h>

#include <cstring>

namespace runtime {
namespace {

// The shell is always handed the record in its first, 88-byte form.
constexpr DWORD kRecordSize = NOTIFYICONDATAA_V1_SIZE;
#ifndef _WIN64
static_assert(kRecordSize == 88, "the first form of NOTIFYICONDATAA is 88 bytes");
#endif
constexpr UINT kShowFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

NOTIFYICONDATAA Record(HWND window, const char (&tip)[kTrayTipFieldSize]) {
    NOTIFYICONDATAA record;
    std::memset(&record, 0, sizeof record);
    record.cbSize = kRecordSize;
    record.hWnd = window;
    record.uID = kTrayIconId;
    // The first form ends with the first 64 bytes of the tip field.
    static_assert(sizeof record.szTip >= kTrayTipFieldSize);
    std::memcpy(record.szTip, tip, kTrayTipFieldSize);
    return record;
}

void SetShown(NOTIFYICONDATAA& record, HICON icon) {
    record.uFlags = kShowFlags;
    record.uCallbackMessage = kTrayCallbackMessage;
    record.hIcon = icon;
}

bool Add(HWND window, NOTIFYICONDATAA& record) {
    // An elevated process does not get the shell's broadcast unless it lets it in; without it
    // a restarted taskbar would never see the icon again.
    if (const UINT taskbarCreated = TaskbarCreatedMessage()) {
        ChangeWindowMessageFilterEx(window, taskbarCreated, MSGFLT_ALLOW, nullptr);
    }
    return Shell_NotifyIconA(NIM_ADD, &record) != FALSE;
}

} // namespace

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

void TrayIcon::Update(HICON newIcon, const char* newTip) {
    char field[kTrayTipFieldSize];
    FillTrayTip(newTip, field);
    NOTIFYICONDATAA record = Record(window, field);
    if (newIcon) SetShown(record, newIcon);

    if (icon) {
        if (newIcon) {
            // A shell that lost the icon (its taskbar restarted unseen) refuses the change; the
            // icon is then added afresh so that it is there at all.
            if (!Shell_NotifyIconA(NIM_MODIFY, &record)) Add(window, record);
        } else {
            Shell_NotifyIconA(NIM_DELETE, &record);
        }
    } else if (newIcon) {
        Add(window, record);
    }

    icon.Reset(newIcon);
    if (newIcon) {
        std::memcpy(tip, field, sizeof tip);
    } else {
        std::memset(tip, 0, sizeof tip);
    }
}

void TrayIcon::AddAgain() {
    if (!icon) return;
    NOTIFYICONDATAA record = Record(window, tip);
    SetShown(record, icon.Get());
    Add(window, record);
}

bool TrayIcon::HandleWindowMessage(UINT message, WPARAM, LPARAM lParam, int& trayEvent) {
    trayEvent = kTrayNoEvent;
    if (message == kTrayCallbackMessage) {
        // wParam, the icon id, is not looked at: a window has one icon.
        trayEvent = TrayEventType(lParam);
        return true;
    }
    if (message != 0 && message == TaskbarCreatedMessage()) {
        AddAgain();
        return true;
    }
    return false;
}

} // namespace runtime
