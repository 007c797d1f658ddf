#include <windows.h>

#include "app/FatalError.h"
#include "app/RuntimeApp.h"
#include "runtime/Runtime.h"
#include "ui/EventDelivery.h"
#include "ui/FormWindow.h"
#include "ui/LoadWindow.h"
#include "ui/WindowRegistry.h"

namespace runtime {
namespace {

// Undoes a half-built window so that a failed load leaves nothing behind.
void Abandon(LoadedWindow& window) {
    if (window.window && window.window->Handle()) DestroyWindow(window.window->Handle());
    window.window.reset();
    for (LoadedElement& element : window.elements)
        element.control = nullptr;
}

} // namespace

bool TryLoadWindow(std::uint32_t windowId) {
    WindowRegistry& registry = WindowRegistry::Get();
    LoadedWindow* window = registry.Find(windowId);
    if (!window || !window->loadable || window->elements.empty()) return false;
    if (window->elements.front().description.kind != ElementKind::Window) return false;
    if (window->window && IsWindow(window->window->Handle())) {
        HWND handle = window->window->Handle();
        if (IsIconic(handle))
            ShowWindow(handle, SW_RESTORE);
        else
            SetActiveWindow(handle);
        return true;
    }

    RuntimeApp& app = RuntimeApp::Get();
    app.suppressionCount += 1;
    window->window = std::make_unique<FormWindow>(*window);
    const bool built = window->window->CreateWindowElement() && window->window->CreateControls();
    if (built) window->window->ShowControls();
    app.suppressionCount -= 1;
    if (!built) {
        Abandon(*window);
        return false;
    }

    const std::uint32_t windowElement = window->elements.front().description.elementId;
    FireEventFor(windowId, windowElement, event::kCreated, 0);
    // Each step may have closed the window; the registry entry itself stays.
    auto alive = [&] { return window->window && IsWindow(window->window->Handle()); };
    if (alive()) FireEventFor(windowId, windowElement, event::kMoved, 0);
    if (alive()) FireEventFor(windowId, windowElement, event::kResized, 0);
    if (!alive()) return true;

    FormWindow& form = *window->window;
    if (window->elements.front().description.flags & kFlagVisible) {
        switch (static_cast<StartPosition>(form.Data().startPosition)) {
        case StartPosition::Minimised:
            ShowWindow(form.Handle(), SW_SHOWMINIMIZED);
            break;
        case StartPosition::Maximised:
            ShowWindow(form.Handle(), SW_SHOWMAXIMIZED);
            break;
        default:
            ShowWindow(form.Handle(), SW_SHOW);
            break;
        }
    }
    window->loaded = true;
    return true;
}

void LoadWindow(std::uint32_t windowId) {
    if (!TryLoadWindow(windowId)) ReportFatalError("载入启动窗口失败", 0, windowId, 0);
}

} // namespace runtime
