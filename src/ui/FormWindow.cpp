#include "ui/FormWindow.h"

namespace runtime {

FormWindow::FormWindow(LoadedWindow& loaded)
    : loaded(loaded), windowId(loaded.windowId), windowElementId(loaded.elements.front().description.elementId) {}

FormWindow::~FormWindow() {
    if (scaledFont) DeleteObject(scaledFont);
    for (HICON icon : icons) {
        if (icon) DestroyIcon(icon);
    }
}

const WindowData& FormWindow::Data() const {
    return std::get<WindowData>(loaded.elements.front().description.data);
}

FormWindow* FormWindow::FromHandle(HWND window) {
    for (const std::unique_ptr<LoadedWindow>& candidate : WindowRegistry::Get().Windows()) {
        if (candidate->window && candidate->window->handle == window) return candidate->window.get();
    }
    return nullptr;
}

void FormWindow::Detach() {
    if (detached) return;
    detached = true;
    if (handle && IsWindow(handle)) {
        // The shell would otherwise keep showing an icon whose handle goes with this object.
        trayIcon.Remove();
        SetWindowLongPtrA(handle, GWLP_USERDATA, 0);
    }
    for (const std::unique_ptr<Control>& control : controls)
        control->Detach();
}

MessageScope::~MessageScope() {
    if (--object.messagesInHand == 0 && object.detached) WindowRegistry::Get().DestroyRetired(object);
}

} // namespace runtime
