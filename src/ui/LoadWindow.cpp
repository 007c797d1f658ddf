#include <windows.h>

#include "app/FatalError.h"
#include "app/RuntimeApp.h"
#include "runtime/Runtime.h"
#include "ui/EventDelivery.h"
#include "ui/FormWindow.h"
#include "ui/LoadWindow.h"
#include "ui/WindowRegistry.h"

namespace runtime {

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

    // No handler runs while the window is built, nor while a half-built one is taken down again.
    RuntimeApp& app = RuntimeApp::Get();
    app.suppressionCount += 1;
    bool built = false;
    {
        FormWindow& form = registry.CreateWindowObject(*window);
        const MessageScope building(form); // the object stays while it is built, even if its window goes
        built = form.CreateWindowElement() && form.CreateControls();
        if (built)
            form.ShowControls();
        else
            registry.TakeDown(*window);
    }
    app.suppressionCount -= 1;
    if (!built) return false;

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
    window->loaded = alive(); // showing raises the activation events, whose handlers may close it
    return true;
}

void LoadWindow(std::uint32_t windowId) {
    if (!TryLoadWindow(windowId)) ReportFatalError("载入启动窗口失败", 0, windowId, 0);
}

} // namespace runtime
