// What Wine's notification area shows, seen from a test process. Without an X tray on the
// display, Wine keeps its icons in its own top-level window (class __winex11_standalone_tray),
// one child window per icon (class __winex11_tray_icon), each with a tooltip window of its own,
// and a balloon tooltip while a balloon is shown; all of them belong to Wine's explorer process.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace tray_test {

HWND StandaloneTray();
bool StandaloneTrayVisible();
std::vector<HWND> TrayIconWindows();

// The tip an icon window shows, as code page 936 bytes; none when its tooltip cannot be read.
std::optional<std::string> TrayIconTip(HWND iconWindow);

// The balloon the tray shows, if any: Wine makes it (a tooltip of the balloon style) two seconds
// after the request, shows it for ten to thirty seconds and then destroys it. Its title cannot be
// read from outside (Wine's tooltips do not answer TTM_GETTITLE).
struct Balloon {
    HWND window;
    std::string text; // code page 936 bytes
};
std::optional<Balloon> ShownBalloon();

// Handles this thread's messages until `condition` holds or `timeoutMs` have passed.
template <class Condition> bool PumpUntil(DWORD timeoutMs, Condition condition) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

bool WaitForIconCount(std::size_t count, DWORD timeoutMs = 2000);

// How far this process's user and GDI handle tables reach. GetGuiResources when the system
// counts (Windows); under Wine, which does not, the index of a freshly made icon and bitmap:
// freed entries are reused first, so the index only climbs while handles pile up.
struct HandleLevels {
    unsigned long user = 0;
    unsigned long gdi = 0;
};
HandleLevels CurrentHandleLevels();

} // namespace tray_test
