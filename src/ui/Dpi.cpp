#include "ui/Dpi.h"

namespace runtime {
namespace {

template <class Function> Function User32Function(const char* name) {
    // Through the type that matches every function type.
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

} // namespace

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

int WindowDpi(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    const auto getDpi = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    return getDpi ? static_cast<int>(getDpi(window)) : SystemDpi();
}

SIZE FrameSize(HWND window, int dpi) {
    const auto style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    const auto extendedStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
    using AdjustForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    const auto adjustForDpi = User32Function<AdjustForDpiFunction>("AdjustWindowRectExForDpi");
    RECT frame = {};
    int frameDpi = dpi;
    if (adjustForDpi) {
        adjustForDpi(&frame, style, FALSE, extendedStyle, static_cast<UINT>(dpi));
    } else {
        // The metrics of the system DPI, taken to grow in proportion.
        AdjustWindowRectEx(&frame, style, FALSE, extendedStyle);
        frameDpi = SystemDpi();
    }
    return {MulDiv(frame.right - frame.left, dpi, frameDpi), MulDiv(frame.bottom - frame.top, dpi, frameDpi)};
}

} // namespace runtime
