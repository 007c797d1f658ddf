// Building a window object's platform window and its controls from the description.
#include "app/RuntimeApp.h"
#include "ui/Dpi.h"
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

HFONT FormWindow::Font() const {
    return scaledFont ? scaledFont : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void FormWindow::LayOutAt(int newDpi) {
    dpi = newDpi;
    if (scaledFont) DeleteObject(scaledFont);
    scaledFont = nullptr;
    // The stock font is made for the system DPI.
    const int fontDpi = SystemDpi();
    if (dpi != fontDpi) {
        LOGFONTA font;
        GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
        font.lfHeight = MulDiv(font.lfHeight, dpi, fontDpi);
        font.lfWidth = MulDiv(font.lfWidth, dpi, fontDpi);
        scaledFont = CreateFontIndirectA(&font);
    }
    SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), TRUE);
    // The window's own icon bytes are not used by this program: the program's icon serves.
    for (int kind : {ICON_SMALL, ICON_BIG}) {
        const int size = ScaleToDpi(kind == ICON_BIG ? 32 : 16, dpi);
        HICON icon = static_cast<HICON>(
            LoadImageA(GetModuleHandleA(nullptr), "DEFAULT_ICON", IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        SendMessageA(handle, WM_SETICON, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(icon));
        if (icons[kind]) DestroyIcon(icons[kind]);
        icons[kind] = icon;
    }
    for (const std::unique_ptr<Control>& control : controls)
        control->FitTo(dpi);
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

    // The stored outer size holds the frame at 96 DPI: the client area grows with the DPI, the
    // frame as the system draws it there.
    LayOutAt(WindowDpi(handle));
    const SIZE layoutFrame = FrameSize(handle, kLayoutDpi);
    const SIZE frame = FrameSize(handle, dpi);
    const int width = ScaleToDpi(element.width - layoutFrame.cx, dpi) + frame.cx;
    const int height = ScaleToDpi(element.height - layoutFrame.cy, dpi) + frame.cy;
    if (static_cast<StartPosition>(data.startPosition) == StartPosition::Centred) {
        left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    }
    RECT outer;
    GetWindowRect(handle, &outer);
    if (outer.left != left || outer.top != top || outer.right - outer.left != width ||
        outer.bottom - outer.top != height)
        MoveWindow(handle, left, top, width, height, TRUE);
    // Focus cues as the last input asks: hidden after the mouse, shown after the keyboard.
    SendMessageA(handle, WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, 0), 0);
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
