#include "ui/FormWindow.h"

#include <algorithm>

#include "app/RuntimeApp.h"
#include "ui/EventDelivery.h"

namespace runtime {
namespace {

constexpr char kDefaultWindowClass[] = "FormWindow";

DWORD FrameStyle(const WindowData& data, DWORD& extendedStyle) {
    DWORD style = 0;
    const auto border = static_cast<BorderKind>(data.borderKind);
    if (border != BorderKind::None) {
        if (!data.caption.empty() || data.controlBox) {
            style |= WS_CAPTION;
            if (data.controlBox) style |= WS_SYSMENU;
        }
        style |= WS_DLGFRAME;
    }
    switch (border) {
    case BorderKind::Resizable:
        style |= WS_THICKFRAME;
        break;
    case BorderKind::ToolResizable:
        style |= WS_THICKFRAME;
        extendedStyle |= WS_EX_TOOLWINDOW;
        break;
    case BorderKind::ToolFixed:
        extendedStyle |= WS_EX_TOOLWINDOW;
        break;
    case BorderKind::SunkenResizable:
        style |= WS_THICKFRAME;
        extendedStyle |= WS_EX_CLIENTEDGE;
        break;
    case BorderKind::SunkenFixed:
        extendedStyle |= WS_EX_CLIENTEDGE;
        break;
    default:
        break;
    }
    return style;
}

} // namespace

FormWindow::FormWindow(LoadedWindow& loaded) : loaded(loaded) {}

FormWindow::~FormWindow() {
    if (backgroundBrush) DeleteObject(backgroundBrush);
}

const WindowData& FormWindow::Data() const {
    return std::get<WindowData>(loaded.elements.front().description.data);
}

FormWindow* FormWindow::FromHandle(HWND window) {
    for (LoadedWindow& candidate : WindowRegistry::Get().Windows()) {
        if (candidate.window && candidate.window->handle == window) return candidate.window.get();
    }
    return nullptr;
}

bool FormWindow::CreateWindowElement() {
    const ElementDescription& element = loaded.elements.front().description;
    const WindowData& data = Data();
    DWORD extendedStyle = 0;
    DWORD style = WS_CLIPCHILDREN | FrameStyle(data, extendedStyle);
    if (element.flags & kFlagDisabled) style |= WS_DISABLED;
    if (data.maximiseButton) style |= WS_MAXIMIZEBOX;
    if (data.minimiseButton) style |= WS_MINIMIZEBOX;

    int left = element.left;
    int top = element.top;
    switch (static_cast<StartPosition>(data.startPosition)) {
    case StartPosition::Centred:
        left = (GetSystemMetrics(SM_CXSCREEN) - element.width) / 2;
        top = (GetSystemMetrics(SM_CYSCREEN) - element.height) / 2;
        break;
    case StartPosition::Minimised:
        style |= WS_MINIMIZE;
        break;
    case StartPosition::Maximised:
        if (style & WS_THICKFRAME) style |= WS_MAXIMIZE;
        break;
    default:
        break;
    }
    HWND owner = data.shownOnTaskbar ? nullptr : RuntimeApp::Get().HiddenOwner();
    const char* className = data.className.empty() ? kDefaultWindowClass : data.className.c_str();
    if (!RegisterFormClass(className, &WindowProc)) return false;

    handle = CreateWindowExA(extendedStyle, className, data.caption.c_str(), style, left, top, element.width,
                             element.height, owner, nullptr, GetModuleHandleA(nullptr), this);
    if (!handle) return false;

    RECT outer;
    GetWindowRect(handle, &outer);
    if (outer.right - outer.left != element.width || outer.bottom - outer.top != element.height)
        MoveWindow(handle, left, top, element.width, element.height, TRUE);

    // The window's own icon bytes are not used by this program: the shared default icons serve.
    RuntimeApp& app = RuntimeApp::Get();
    SendMessageA(handle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(app.DefaultIcon(true)));
    SendMessageA(handle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(app.DefaultIcon(false)));
    SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    if (data.alwaysOnTop) SetWindowPos(handle, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    if (!data.movable) DeleteMenu(GetSystemMenu(handle, FALSE), SC_MOVE, MF_BYCOMMAND);
    return true;
}

bool FormWindow::CreateControls() {
    int controlId = 100;
    for (std::size_t i = loaded.elements.size(); i-- > 1;) {
        LoadedElement& element = loaded.elements[i];
        if ((element.description.elementId & kIdClassMask) == kIdClassMenuItem) continue;
        std::unique_ptr<Control> control;
        switch (element.description.kind) {
        case ElementKind::Label:
            if (!LabelControl::RegisterClassOnce()) return false;
            control = std::make_unique<LabelControl>(loaded.windowId, element);
            break;
        case ElementKind::Button:
            control = std::make_unique<ButtonControl>(loaded.windowId, element);
            break;
        case ElementKind::CheckBox:
            control = std::make_unique<CheckBoxControl>(loaded.windowId, element);
            break;
        default:
            return false;
        }
        if (!control->Create(handle, controlId)) return false;
        controlId += 10;
        controls.push_back(std::move(control));
    }
    // First control of the description on top, each following one directly below it.
    HWND above = HWND_TOP;
    for (std::size_t i = 1; i < loaded.elements.size(); ++i) {
        Control* control = loaded.elements[i].control;
        if (!control) continue;
        SetWindowPos(control->Handle(), above, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
        above = control->Handle();
    }
    return true;
}

void FormWindow::ShowControls() {
    for (const auto& control : controls)
        ShowWindow(control->Handle(), (control->Description().flags & kFlagVisible) ? SW_SHOWNA : SW_HIDE);
}

Control* FormWindow::ControlFor(HWND child) const {
    for (const auto& control : controls) {
        if (control->Handle() == child) return control.get();
    }
    return nullptr;
}

std::int32_t FormWindow::Fire(std::int32_t event, std::int32_t fallback, std::int32_t argumentCount,
                              std::int32_t argument) {
    return FireEventFor(loaded.windowId, loaded.elements.front().description.elementId, event, fallback, argumentCount,
                        argument);
}

LRESULT CALLBACK FormWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* self = static_cast<FormWindow*>(create->lpCreateParams);
        self->handle = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
        LoadedWindow& loaded = self->loaded;
        for (LoadedElement& element : loaded.elements)
            element.control = nullptr;
        loaded.loaded = false;
        loaded.window.reset(); // self is gone from here on
        RuntimeApp& app = RuntimeApp::Get();
        if (!WindowRegistry::Get().AnyWindowAlive() && app.mainLoopEntered) PostQuitMessage(0);
        return result;
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT FormWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
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
    case WM_MOVE:
        Fire(event::kMoved);
        break;
    case WM_SIZE:
        Fire(event::kResized);
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
    case WM_CLOSE:
        return OnClose();
    case WM_QUERYENDSESSION:
        return Fire(event::kQueryClose, 1) != 0 ? TRUE : FALSE;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case kTrayCallbackMessage: {
        const int type = TrayEventType(lParam);
        if (type != 0) Fire(event::kNotificationArea, 0, 1, type);
        return 0;
    }
    default:
        if (message == TaskbarCreatedMessage() && message != 0) {
            trayIcon.AddAgain(handle);
            return 0;
        }
        break;
    }
    return DefWindowProcA(handle, message, wParam, lParam);
}

LRESULT FormWindow::OnClose() {
    if (Fire(event::kCloseRequest, 1) == 0) return 0;
    if (Fire(event::kQueryClose, 1) == 0) return 0;
    DestroyWindow(handle);
    return 0;
}

void FormWindow::OnDestroy() {
    Fire(event::kDestroyed);
    if (IsWindow(handle)) trayIcon.Update(handle, nullptr, nullptr);
}

void FormWindow::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle, &paint);
    if (!backgroundBrush) backgroundBrush = CreateSolidBrush(ResolveColour(Data().backgroundColour));
    FillRect(dc, &paint.rcPaint, backgroundBrush);
    EndPaint(handle, &paint);
}

std::vector<Control*> FormWindow::TabStops() const {
    std::vector<Control*> stops;
    for (std::size_t i = 1; i < loaded.elements.size(); ++i) {
        Control* control = loaded.elements[i].control;
        if (!control || !control->IsTabStop()) continue;
        if (!IsWindowVisible(control->Handle()) || !IsWindowEnabled(control->Handle())) continue;
        stops.push_back(control);
    }
    std::stable_sort(stops.begin(), stops.end(), [](const Control* a, const Control* b) {
        return a->Description().tabOrder < b->Description().tabOrder;
    });
    return stops;
}

void FormWindow::OnSetFocus() {
    Fire(event::kGotFocus);
    if (focusAtDeactivation && IsChild(handle, focusAtDeactivation)) {
        SetFocus(focusAtDeactivation);
        return;
    }
    const std::vector<Control*> stops = TabStops();
    if (stops.empty()) return;
    // Among the smallest tab-order numbers, the control that comes last in the description.
    Control* chosen = stops.front();
    for (Control* control : stops) {
        if (control->Description().tabOrder == chosen->Description().tabOrder) chosen = control;
    }
    SetFocus(chosen->Handle());
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
    }
    Fire(event::kActivated);
}

void FormWindow::MoveFocus(bool forward) {
    const std::vector<Control*> stops = TabStops();
    if (stops.empty()) return;
    HWND focus = GetFocus();
    std::size_t current = stops.size();
    for (std::size_t i = 0; i < stops.size(); ++i) {
        if (stops[i]->Handle() == focus) current = i;
    }
    std::size_t next = 0;
    if (current == stops.size())
        next = forward ? 0 : stops.size() - 1;
    else
        next = forward ? (current + 1) % stops.size() : (current + stops.size() - 1) % stops.size();
    SetFocus(stops[next]->Handle());
}

bool FormWindow::PreTranslateMessage(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    if (message.hwnd != handle && !IsChild(handle, message.hwnd)) return false;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool alt = GetKeyState(VK_MENU) < 0;
    const WindowData& data = Data();
    switch (message.wParam) {
    case VK_TAB:
        if (control || alt) return false;
        MoveFocus(!shift);
        return true;
    case VK_RETURN:
        if (control || shift || alt) return false;
        if (data.enterMovesFocus) {
            MoveFocus(true);
            return true;
        }
        return false; // no default button in this window
    case VK_ESCAPE:
        if (control || shift || alt || !data.escCloses) return false;
        SendMessageA(handle, WM_CLOSE, 0, 0);
        return true;
    default:
        return false;
    }
}

} // namespace runtime
