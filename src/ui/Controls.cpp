#include "ui/Controls.h"

#include <cstring>
#include <string>

#include "ui/Dpi.h"
#include "ui/EventDelivery.h"
#include "ui/FormWindow.h"

namespace runtime {
namespace {

// The answer of the standard static control to OBJID_QUERYCLASSNAMEIDX.
constexpr LRESULT kStaticClassIndex = 65536 + 3;

} // namespace

COLORREF ResolveColour(std::uint32_t colour) {
    return colour == kDefaultColour ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(colour);
}

COLORREF ResolveTextColour(std::uint32_t colour) {
    // Black on the face colour is the default look; in a high-contrast scheme the face may be black.
    return colour == 0 || colour == kDefaultColour ? GetSysColor(COLOR_BTNTEXT) : static_cast<COLORREF>(colour);
}

HBRUSH ColourBrush::For(std::uint32_t colour) {
    if (!brush) brush = CreateSolidBrush(ResolveColour(colour));
    return brush;
}

void ColourBrush::Reset() {
    if (brush) DeleteObject(brush);
    brush = nullptr;
}

HFONT CreateFontFromBlock(const ByteBlock& block, int dpi) {
    if (block.size() != sizeof(LOGFONTA)) return nullptr;
    LOGFONTA font;
    std::memcpy(&font, block.data(), sizeof font);
    font.lfHeight = ScaleToDpi(font.lfHeight, dpi);
    font.lfWidth = ScaleToDpi(font.lfWidth, dpi);
    font.lfFaceName[LF_FACESIZE - 1] = '\0'; // stored bytes need not end the name
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = 0;
    font.lfClipPrecision = 0;
    font.lfQuality = PROOF_QUALITY;
    font.lfPitchAndFamily = 0;
    return CreateFontIndirectA(&font);
}

DWORD ButtonAlignmentStyle(std::int32_t horizontal, std::int32_t vertical) {
    const DWORD horizontalStyles[] = {BS_LEFT, BS_CENTER, BS_RIGHT};
    const DWORD verticalStyles[] = {BS_TOP, BS_VCENTER, BS_BOTTOM};
    DWORD style = 0;
    if (horizontal >= 0 && horizontal <= 2) style |= horizontalStyles[horizontal];
    if (vertical >= 0 && vertical <= 2) style |= verticalStyles[vertical];
    return style;
}

Control::~Control() {
    if (ownFont) DeleteObject(ownFont);
}

HFONT Control::Font() const {
    return ownFont ? ownFont : owner.Font();
}

bool Control::Create(HWND parent, int controlId) {
    const ElementDescription& description = element.description;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | KindStyle();
    if (description.flags & kFlagDisabled) style |= WS_DISABLED;
    if (description.flags & kFlagTabStop) style |= WS_TABSTOP;
    handle = CreateWindowExA(0, ClassName(), Text().c_str(), style, 0, 0, 0, 0, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), GetModuleHandleA(nullptr), this);
    if (!handle) return false;
    element.control = this;
    FitTo(owner.Dpi());
    AfterCreate();
    return true;
}

void Control::FitTo(int dpi) {
    const ElementDescription& description = element.description;
    SetWindowPos(handle, nullptr, ScaleToDpi(description.left, dpi), ScaleToDpi(description.top, dpi),
                 ScaleToDpi(description.width, dpi), ScaleToDpi(description.height, dpi),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (ownFont) DeleteObject(ownFont);
    ownFont = CreateFontFromBlock(FontBlock(), dpi);
    SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), TRUE);
}

// Labels

bool RegisterFormClass(const char* className, WNDPROC procedure) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    if (GetClassInfoA(instance, className, &windowClass)) return true;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    // The windows paint their own background.
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    windowClass.lpszClassName = className;
    return RegisterClassA(&windowClass) != 0;
}

bool LabelControl::RegisterClassOnce() {
    return RegisterFormClass("FormLabel", &LabelProc);
}

void LabelControl::AfterCreate() {}

void LabelControl::Detach() {
    if (handle && IsWindow(handle)) SetWindowLongPtrA(handle, GWLP_USERDATA, 0);
}

LRESULT CALLBACK LabelControl::LabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* label = reinterpret_cast<LabelControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!label) return DefWindowProcA(window, message, wParam, lParam);
    // The feedback handler may destroy the label's window, and with it the label.
    const MessageScope scope(label->owner);
    switch (message) {
    case WM_PAINT:
        label->Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1; // painted together with the text, without flicker
    case kFeedbackMessage:
        return label->OnFeedback(wParam, lParam);
    case WM_GETOBJECT:
        // Accessibility clients then serve the label as the standard static control: static text,
        // named by its text.
        if (static_cast<LONG>(lParam) == OBJID_QUERYCLASSNAMEIDX) return kStaticClassIndex;
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        label->handle = nullptr;
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT LabelControl::OnFeedback(WPARAM wParam, LPARAM lParam) {
    return FireEventFor(owner.WindowId(), ElementId(), event::kFeedback, 0, 2, static_cast<std::int32_t>(wParam),
                        static_cast<std::int32_t>(lParam));
}

void LabelControl::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle, &paint);
    RECT client;
    GetClientRect(handle, &client);
    RECT area;
    IntersectRect(&area, &paint.rcPaint, &client);
    const LabelData& data = Data();
    HBRUSH background = CreateSolidBrush(ResolveColour(data.backgroundColour));
    FillRect(dc, &area, background);
    DeleteObject(background);

    HGDIOBJ previousFont = SelectObject(dc, Font());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ResolveTextColour(data.textColour));
    UINT format = DT_NOPREFIX;
    const UINT horizontal[] = {DT_LEFT, DT_CENTER, DT_RIGHT};
    const UINT vertical[] = {DT_TOP, DT_VCENTER, DT_BOTTOM};
    if (data.horizontalAlignment >= 0 && data.horizontalAlignment <= 2) format |= horizontal[data.horizontalAlignment];
    if (data.wordWrap) {
        format |= DT_WORDBREAK | DT_VCENTER;
    } else {
        format |= DT_SINGLELINE;
        if (data.verticalAlignment >= 0 && data.verticalAlignment <= 2) format |= vertical[data.verticalAlignment];
    }
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(handle)) + 1, '\0');
    const int length = GetWindowTextA(handle, text.data(), static_cast<int>(text.size()));
    DrawTextA(dc, text.c_str(), length, &client, format);
    SelectObject(dc, previousFont);
    EndPaint(handle, &paint);
}

// Buttons

DWORD ButtonControl::KindStyle() const {
    const ButtonData& data = Data();
    return BS_MULTILINE | (data.buttonKind == 1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) |
           ButtonAlignmentStyle(data.horizontalAlignment, data.verticalAlignment);
}

void ButtonControl::OnClicked() {
    FireEventFor(owner.WindowId(), ElementId(), event::kClicked, 0);
}

// Check boxes

DWORD CheckBoxControl::KindStyle() const {
    const CheckBoxData& data = Data();
    DWORD style =
        BS_AUTOCHECKBOX | BS_MULTILINE | ButtonAlignmentStyle(data.horizontalAlignment, data.verticalAlignment);
    if (data.pushLike) style |= BS_PUSHLIKE;
    if (data.flat) style |= BS_FLAT;
    if (data.textOnLeft) style |= BS_LEFTTEXT;
    return style;
}

void CheckBoxControl::AfterCreate() {
    SendMessageA(handle, BM_SETCHECK, Data().checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBoxControl::OnClicked() {
    FireEventFor(owner.WindowId(), ElementId(), event::kClicked, 0);
}

LRESULT CheckBoxControl::OnControlColour(HDC dc) {
    const CheckBoxData& data = Data();
    SetTextColor(dc, ResolveTextColour(data.textColour));
    SetBkColor(dc, ResolveColour(data.backgroundColour));
    return reinterpret_cast<LRESULT>(brush.For(data.backgroundColour));
}

bool CheckBoxControl::ReadChecked() {
    const bool checked = SendMessageA(handle, BM_GETCHECK, 0, 0) == BST_CHECKED;
    Data().checked = checked ? 1 : 0;
    return checked;
}

void CheckBoxControl::WriteChecked(bool checked) {
    Data().checked = checked ? 1 : 0;
    if (handle) SendMessageA(handle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

} // namespace runtime
