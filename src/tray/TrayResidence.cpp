// Hiding the main window to the notification area and bringing it back with a double-click on
// the icon. The window's Visible property and its tray icon are the whole state.
#include <cstdint>

#include "app/ProgramHandlers.h"
#include "runtime/Runtime.h"
#include "runtime/TrayCommands.h"
#include "tray/TrayIconImage.h"

namespace program {
namespace {

constexpr char kHiddenTip[] = "最小化到系统托盘";
constexpr char kRestoredTip[] = "最小化";
constexpr std::int32_t kLeftDoubleClick = 2;

void ShowTrayIcon(const char* tip) {
    runtime::SetTrayIcon(kMainWindowId, kMainWindowElementId, kTrayIconImage, tip);
}

} // namespace

void HideToTray() {
    ShowTrayIcon(kHiddenTip);
    runtime::SetVisible(kMainWindowId, kMainWindowElementId, false);
}

void RestoreFromTray(std::int32_t trayEventType) {
    // A single click and the right button are no request: there is no menu.
    if (trayEventType != kLeftDoubleClick) return;
    ShowTrayIcon(kRestoredTip);
    runtime::SetVisible(kMainWindowId, kMainWindowElementId, true);
}

} // namespace program
