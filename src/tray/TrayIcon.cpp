#include "tray/TrayIcon.h"

#include <shellapi.h>

#include <cstring>

namespace runtime {
namespace {

// The record in its Windows Vista form (its size under the Windows 7 headers), which the shells of
// Windows 7 to 11 take in full. The 88-byte first form ends before uVersion and the balloon
// fields: with it the shell would take neither the callback version nor a balloon. The Vista form
// is the XP form (NOTIFYICONDATAA_V3_SIZE) and hBalloonIcon, left zero.
constexpr DWORD kRecordSize = sizeof(NOTIFYICONDATAA);
static_assert(sizeof(NOTIFYICONDATAA) > NOTIFYICONDATAA_V3_SIZE, "the headers must give the Vista form");
// Under the fourth callback version the shell shows the standard tip only when asked to.
constexpr UINT kShowFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
constexpr DWORD kBalloonFlags = NIIF_INFO;

NOTIFYICONDATAA Record(HWND window, const char (&tip)[kTrayTipFieldSize]) {
    NOTIFYICONDATAA record;
    std::memset(&record, 0, sizeof record);
    record.cbSize = kRecordSize;
    record.hWnd = window;
    record.uID = kTrayIconId;
    // The tip keeps its 64 bytes; the rest of the record's longer field stays zero.
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
    if (!Shell_NotifyIconA(NIM_ADD, &record)) return false;
    // The version belongs to the icon and goes with it, so every add sets it again. It is what
    // makes the shell report Enter and Space on the focused icon (NIN_KEYSELECT); a shell that
    // refuses it keeps the first mode, whose callbacks are read all the same.
    record.uVersion = NOTIFYICON_VERSION_4;
    Shell_NotifyIconA(NIM_SETVERSION, &record);
    return true;
}

} // namespace

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

bool TrayIcon::Update(HICON newIcon, const char* newTip) {
    char field[kTrayTipFieldSize];
    FillTrayTip(newTip, field);
    NOTIFYICONDATAA record = Record(window, field);
    if (newIcon) SetShown(record, newIcon);

    bool shown = false;
    if (icon) {
        if (newIcon) {
            // A shell that lost the icon (its taskbar restarted unseen) refuses the change; the
            // icon is then added afresh so that it is there at all.
            shown = Shell_NotifyIconA(NIM_MODIFY, &record) || Add(window, record);
        } else {
            Shell_NotifyIconA(NIM_DELETE, &record);
        }
    } else if (newIcon) {
        shown = Add(window, record);
    }

    icon.Reset(newIcon);
    if (newIcon) {
        std::memcpy(tip, field, sizeof tip);
    } else {
        std::memset(tip, 0, sizeof tip);
    }
    return shown;
}

bool TrayIcon::ShowBalloonOnce(const char* title, const char* text) {
    if (balloonShown || !icon) return false;
    NOTIFYICONDATAA record = Record(window, tip);
    record.uFlags = NIF_INFO;
    record.dwInfoFlags = kBalloonFlags;
    FillTextField(text, record.szInfo, sizeof record.szInfo, sizeof record.szInfo - 1);
    FillTextField(title, record.szInfoTitle, sizeof record.szInfoTitle, sizeof record.szInfoTitle - 1);
    balloonShown = Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
    return balloonShown;
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
        // The icon id (wParam in the first mode, lParam's high word in the fourth) is not looked
        // at: a window has one icon.
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
