// A window object's messages turned into the window's events. Any event may run a handler that
// destroys the window: after each one the object looks at `detached` before it goes on, and it is
// itself kept until its message is over (MessageScope).
#include "app/RuntimeApp.h"
#include "ui/EventDelivery.h"
#include "ui/FormWindow.h"

namespace runtime {

LRESULT CALLBACK FormWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->handle = window;
        self->trayIcon.Attach(window);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    const MessageScope scope(*self);
    if (message != WM_NCDESTROY) return self->HandleMessage(window, message, wParam, lParam);

    WindowRegistry& registry = WindowRegistry::Get();
    registry.Retire(self->loaded); // deleted when this message is over
    if (!registry.AnyWindowAlive() && RuntimeApp::Get().mainLoopEntered) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT FormWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && lParam) {
            if (Control* control = ControlFor(reinterpret_cast<HWND>(lParam))) {
                control->OnClicked();
                return 0;
            }
        }
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (Control* control = ControlFor(reinterpret_cast<HWND>(lParam))) {
            if (control->ColoursItself()) return control->OnControlColour(reinterpret_cast<HDC>(wParam));
        }
        break;
    // Until loading ends, moves and sizes come from building and from the first showing: the
    // loader raises the moved and resized events once itself.
    case WM_MOVE:
        if (loaded.loaded) Fire(event::kMoved);
        break;
    case WM_SIZE:
        if (loaded.loaded) Fire(event::kResized);
        break;
    case WM_SETFOCUS:
        OnSetFocus();
        return 0;
    case WM_KILLFOCUS:
        Fire(event::kLostFocus);
        break;
    case WM_ACTIVATE:
        OnActivate(wParam);
        break;
    case WM_DPICHANGED: {
        LayOutAt(HIWORD(wParam));
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(handle, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                     suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
        OnColoursChanged(message, wParam, lParam);
        break;
    case WM_CLOSE:
        return OnClose();
    case WM_QUERYENDSESSION:
        return Fire(event::kQueryClose, 1) != 0 ? TRUE : FALSE;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default: {
        int trayEvent = kTrayNoEvent;
        if (trayIcon.HandleWindowMessage(message, wParam, lParam, trayEvent)) {
            if (trayEvent != kTrayNoEvent) Fire(event::kNotificationArea, 0, 1, trayEvent);
            return 0;
        }
        break;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT FormWindow::OnClose() {
    if (Fire(event::kCloseRequest, 1) == 0 || detached) return 0;
    if (Fire(event::kQueryClose, 1) == 0 || detached) return 0;
    DestroyWindow(handle);
    return 0;
}

void FormWindow::OnDestroy() {
    Fire(event::kDestroyed);
    if (!detached && IsWindow(handle)) trayIcon.Remove();
}

void FormWindow::OnActivate(WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(handle, focus)) focusAtDeactivation = focus;
        Fire(event::kDeactivated);
        return;
    }
    if (!firstActivationDone) {
        firstActivationDone = true;
        Fire(event::kFirstActivated);
        if (detached) return;
    }
    Fire(event::kActivated);
}

void FormWindow::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle, &paint);
    FillRect(dc, &paint.rcPaint, backgroundBrush.For(Data().backgroundColour));
    EndPaint(handle, &paint);
}

void FormWindow::OnColoursChanged(UINT message, WPARAM wParam, LPARAM lParam) {
    backgroundBrush.Reset();
    for (const std::unique_ptr<Control>& control : controls) {
        control->OnColoursChanged();
        // Only top-level windows hear of new system colours; the common controls need them too.
        if (message == WM_SYSCOLORCHANGE) SendMessageA(control->Handle(), message, wParam, lParam);
    }
    RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

Control* FormWindow::ControlFor(HWND child) const {
    for (const std::unique_ptr<Control>& control : controls) {
        if (control->Handle() == child) return control.get();
    }
    return nullptr;
}

std::int32_t FormWindow::Fire(std::int32_t event, std::int32_t fallback, std::int32_t argumentCount,
                              std::int32_t argument) {
    // A window that is gone, or whose description went, raises nothing more.
    if (detached) return fallback;
    return FireEventFor(windowId, windowElementId, event, fallback, argumentCount, argument);
}

} // namespace runtime
