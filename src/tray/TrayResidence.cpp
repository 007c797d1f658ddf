// Hiding the main window to the notification area and bringing it back from the icon. The
// window's Visible property and its tray icon are the whole state.
#include <cstdint>

#include "app/ProgramHandlers.h"
#include "runtime/Runtime.h"
#include "runtime/TrayCommands.h"
#include "tray/TrayIconImage.h"

namespace program {
namespace {

constexpr char kHiddenTip[] = "最小化到系统托盘";
constexpr char kRestoredTip[] = "最小化";
// Windows 10 and 11 put a new icon behind the ^ arrow, where the window seems to have vanished.
constexpr char kFirstHideTitle[] = "切换大小写仍在运行";
constexpr char kFirstHideText[] =
    "图标在任务栏右侧的通知区域，可能收在 ^ 箭头里。双击图标，或选中图标后按回车键，即可恢复窗口。";
constexpr std::int32_t kOpenRequest = 2; // a double-click, or Enter or Space on the icon

bool ShowTrayIcon(const char* tip) {
    return runtime::SetTrayIcon(kMainWindowId, kMainWindowElementId, kTrayIconImage, tip);
}

} // namespace

void HideToTray() {
    // Without an icon to come back by, the hidden window would be out of reach.
    if (!ShowTrayIcon(kHiddenTip)) return;
    runtime::SetVisible(kMainWindowId, kMainWindowElementId, false);
    runtime::ShowTrayBalloonOnce(kMainWindowId, kMainWindowElementId, kFirstHideTitle, kFirstHideText);
}

void RestoreFromTray(std::int32_t trayEventType) {
    // A single click and the right button are no request: there is no menu.
    if (trayEventType != kOpenRequest) return;
    ShowTrayIcon(kRestoredTip);
    runtime::SetVisible(kMainWindowId, kMainWindowElementId, true);
    runtime::BringToFront(kMainWindowId, kMainWindowElementId);
}

} // namespace program
