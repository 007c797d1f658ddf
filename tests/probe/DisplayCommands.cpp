// What screen readers and the eye see: a window's accessible object, its text's extent, the
// system colours.
#include "Commands.h"

#include <oleacc.h>

namespace probe {
namespace {

std::string AnsiFromWide(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? static_cast<size_t>(size) : 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, bytes.data(), size, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

// The client object's role and name, as a screen reader asks for them.
bool AccessibleCommand(const Args& args, JsonObject& answer) {
    HWND window = nullptr;
    if (!args.Window(0, window)) return BadArguments(answer);
    CoInitialize(nullptr);
    IAccessible* object = nullptr;
    const HRESULT found = AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                                     reinterpret_cast<void**>(&object));
    if (FAILED(found) || !object) {
        CoUninitialize();
        return Fail(answer, "AccessibleObjectFromWindow failed");
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role;
    VariantInit(&role);
    BSTR name = nullptr;
    const bool read = SUCCEEDED(object->get_accRole(self, &role)) && role.vt == VT_I4;
    object->get_accName(self, &name);
    answer.Int("role", read ? role.lVal : -1).Ansi("name", name ? AnsiFromWide(name) : std::string());
    SysFreeString(name);
    object->Release();
    CoUninitialize();
    return true;
}

// The window's text as DEFAULT_GUI_FONT draws it, wrapped at WIDTH pixels, or on one line for 0.
// The program's labels draw in that font, which Wine makes for the prefix's DPI in every process.
bool TextExtentCommand(const Args& args, JsonObject& answer) {
    HWND window = nullptr;
    long long width = 0;
    if (!args.Window(0, window) || !args.Number(1, width)) return BadArguments(answer);
    char text[4096] = {};
    const int length = GetWindowTextA(window, text, sizeof text);
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    RECT box = {0, 0, static_cast<LONG>(width), 0};
    const UINT format = DT_CALCRECT | DT_NOPREFIX | (width > 0 ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextA(dc, text, length, &box, format);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    answer.Int("cx", box.right - box.left).Int("cy", box.bottom - box.top);
    return true;
}

// Answers the colour's value before, and sets it when a new one is given.
bool SysColourCommand(const Args& args, JsonObject& answer) {
    long long index = 0;
    if (!args.Number(0, index)) return BadArguments(answer);
    const int element = static_cast<int>(index);
    answer.Int("before", static_cast<long long>(GetSysColor(element)));
    long long value = 0;
    if (args.Count() < 2) return true;
    if (!args.Number(1, value)) return BadArguments(answer);
    const auto colour = static_cast<COLORREF>(value);
    if (!SetSysColors(1, &element, &colour)) return Fail(answer, "SetSysColors failed");
    return true;
}

const Command kCommands[] = {
    {"accessible", 1, 1, AccessibleCommand, "HWND  role and name of its client object"},
    {"text-extent", 2, 2, TextExtentCommand, "HWND WIDTH  size of its text in DEFAULT_GUI_FONT, wrapped at WIDTH"},
    {"sys-colour", 1, 2, SysColourCommand, "INDEX [0xBBGGRR]  the old value; sets the new one"},
};

} // namespace

std::span<const Command> DisplayCommands() {
    return kCommands;
}

} // namespace probe
