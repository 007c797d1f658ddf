#include "runtime/TrayCommands.h"

#include "app/LibraryServices.h"
#include "tray/TrayIconSource.h"

namespace runtime {
namespace {

// The tray icon of the window object of a loaded window. The service reports a window or element
// that is not loaded itself and does not come back; null only while the interface library has not
// been started.
TrayIcon* WindowTrayIcon(std::uint32_t windowId, std::uint32_t elementId) {
    return reinterpret_cast<TrayIcon*>(CallService(LibraryId::Interface, service::kTrayIcon,
                                                   static_cast<std::intptr_t>(windowId),
                                                   static_cast<std::intptr_t>(elementId)));
}

} // namespace

bool SetTrayIconBytes(std::uint32_t windowId, std::uint32_t elementId, const std::uint8_t* bytes, std::int32_t length,
                      const char* tip) {
    TrayIcon* tray = WindowTrayIcon(windowId, elementId);
    return tray && SetTrayIconFromBytes(*tray, bytes, length, tip);
}

bool SetTrayIcon(std::uint32_t windowId, std::uint32_t elementId, const char* iconFileName, const char* tip) {
    TrayIcon* tray = WindowTrayIcon(windowId, elementId);
    return tray && SetTrayIconFromFile(*tray, iconFileName, tip);
}

bool ShowTrayBalloonOnce(std::uint32_t windowId, std::uint32_t elementId, const char* title, const char* text) {
    TrayIcon* tray = WindowTrayIcon(windowId, elementId);
    return tray && tray->ShowBalloonOnce(title, text);
}

void RemoveTrayIcon(std::uint32_t windowId, std::uint32_t elementId) {
    if (TrayIcon* tray = WindowTrayIcon(windowId, elementId)) tray->Remove();
}

} // namespace runtime
