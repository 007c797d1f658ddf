// Building a window object's platform window and its controls from the description.
#include "app/RuntimeApp.h"
#include "ui/FormWindow.h"

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
            control = std::make_unique<LabelControl>(*this, element);
            break;
        case ElementKind::Button:
            control = std::make_unique<ButtonControl>(*this, element);
            break;
        case ElementKind::CheckBox:
            control = std::make_unique<CheckBoxControl>(*this, element);
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

} // namespace runtime
