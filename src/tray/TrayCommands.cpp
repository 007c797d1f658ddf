#include "runtime/TrayCommands.h"

#include "app/LibraryServices.h"
#include "tray/TrayIconSource.h"
#include "ui/FormWindow.h"

namespace runtime {
namespace {

// The service reports a window that is not loaded itself and does not come back; null only
// while the interface library has not been started.
FormWindow* WindowObject(std::uint32_t windowId, std::uint32_t elementId) {
    return reinterpret_cast<FormWindow*>(CallService(LibraryId::Interface, service::kWindowObject,
                                                     static_cast<std::intptr_t>(windowId),
                                                     static_cast<std::intptr_t>(elementId)));
}

} // namespace

void SetTrayIconBytes(std::uint32_t windowId, std::uint32_t elementId, const std::uint8_t* bytes, std::int32_t length,
                      const char* tip) {
    FormWindow* window = WindowObject(windowId, elementId);
    if (!window) return;
    SetTrayIconFromBytes(window->Tray(), window->Handle(), bytes, length, tip);
}

void SetTrayIcon(std::uint32_t windowId, std::uint32_t elementId, const char* iconFileName, const char* tip) {
    FormWindow* window = WindowObject(windowId, elementId);
    if (!window) return;
    SetTrayIconFromFile(window->Tray(), window->Handle(), iconFileName, tip);
}

void RemoveTrayIcon(std::uint32_t windowId, std::uint32_t elementId) {
    FormWindow* window = WindowObject(windowId, elementId);
    if (!window) return;
    window->Tray().Update(window->Handle(), nullptr, nullptr);
}

} // namespace runtime
