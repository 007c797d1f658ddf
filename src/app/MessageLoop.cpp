#include <windows.h>

#include <algorithm>

#include "app/MessageLoop.h"
#include "app/RuntimeApp.h"
#include "runtime/WindowDescription.h"
#include "ui/EventDelivery.h"
#include "ui/FormWindow.h"
#include "ui/WindowRegistry.h"

namespace runtime {
namespace {

constexpr UINT kKickIdleMessage = 0x036A;
constexpr UINT kCaretBlinkMessage = 0x0118;

struct MouseMoveMemory {
    UINT message = 0;
    POINT point = {-1, -1};
};

bool IsIdleTrigger(const MSG& message, MouseMoveMemory& lastMove) {
    if (message.message == WM_PAINT || message.message == kCaretBlinkMessage) return false;
    if (message.message == WM_MOUSEMOVE || message.message == WM_NCMOUSEMOVE) {
        const bool same =
            lastMove.message == message.message && lastMove.point.x == message.pt.x && lastMove.point.y == message.pt.y;
        lastMove.message = message.message;
        lastMove.point = message.pt;
        return !same;
    }
    return true;
}

} // namespace

bool PreTranslate(const MSG& message) {
    if (!message.hwnd) return false;
    for (HWND window = message.hwnd; window; window = GetParent(window)) {
        if (FormWindow* form = FormWindow::FromHandle(window)) {
            if (form->PreTranslateMessage(message)) return true;
        }
        if (!(GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) break;
    }
    return false;
}

namespace {

void RunIdleRegistrations(RuntimeApp& app) {
    for (std::size_t i = app.idleRegistrations.size(); i-- > 0;) {
        const IdleRegistration registration = app.idleRegistrations[i];
        if (IsWindow(registration.window))
            registration.routine(registration.argument);
        else
            app.idleRegistrations.erase(app.idleRegistrations.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

} // namespace

bool ApplicationIdleStep(long count) {
    RuntimeApp& app = RuntimeApp::Get();
    if (count == 0) {
        app.frameworkIdlePending = true;
        app.idlePeriodStart = GetTickCount();
        app.idleDoneWindows.clear();
    }
    if (app.frameworkIdlePending) {
        // The framework's own housekeeping has more to do on the first call of a period only.
        app.frameworkIdlePending = count == 0;
        return true;
    }
    if (count <= 1) return true;
    bool moreWanted = false;
    const std::int32_t elapsed = static_cast<std::int32_t>(GetTickCount() - app.idlePeriodStart);
    // By identifier: a handler may read the descriptions again meanwhile.
    std::vector<std::uint32_t> windowIds;
    for (const std::unique_ptr<LoadedWindow>& window : WindowRegistry::Get().Windows())
        windowIds.push_back(window->windowId);
    for (std::uint32_t windowId : windowIds) {
        LoadedWindow* window = WindowRegistry::Get().Find(windowId);
        if (!window || !window->window || !IsWindow(window->window->Handle())) continue;
        HWND handle = window->window->Handle();
        if (std::find(app.idleDoneWindows.begin(), app.idleDoneWindows.end(), handle) != app.idleDoneWindows.end())
            continue;
        EventRequest request;
        request.windowId = windowId;
        request.elementId = window->elements.front().description.elementId;
        request.event = event::kIdle;
        request.argumentCount = 1;
        request.arguments[0] = elapsed;
        if (FireEvent(request) && request.resultGiven && request.result != 0)
            moreWanted = true;
        else
            app.idleDoneWindows.push_back(handle);
    }
    return moreWanted;
}

bool modalActive = false;

void RunMessageLoop(bool modal) {
    RuntimeApp& app = RuntimeApp::Get();
    app.mainLoopEntered = true;
    if (!WindowRegistry::Get().AnyWindowAlive()) return;

    bool idleAllowed = true;
    long idleCount = 0;
    MouseMoveMemory lastMove;
    MSG message = {};
    for (;;) {
        while (idleAllowed && !PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            RunIdleRegistrations(app);
            if (!ApplicationIdleStep(idleCount++)) idleAllowed = false;
            if (modal && !modalActive) return;
        }
        do {
            if (modal && message.message == WM_QUIT) return; // stays queued for the main loop
            if (GetMessageA(&message, nullptr, 0, 0) <= 0) {
                app.quitCode = static_cast<int>(message.wParam);
                if (modal) PostQuitMessage(app.quitCode);
                return;
            }
            if (message.message != kKickIdleMessage && !PreTranslate(message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            if (IsIdleTrigger(message, lastMove)) {
                idleAllowed = true;
                idleCount = 0;
            }
            if (modal && !modalActive) return;
        } while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
    }
}

void RunMessageLoop() {
    RunMessageLoop(false);
}

} // namespace runtime
