// A window's DPI and its frame at a DPI. The per-monitor functions (Windows 10 1607 and later)
// are looked up at run time; earlier systems give the system DPI, which is all they have.
#pragma once

#include <windows.h>

namespace runtime {

// Sizes in the stored layout are pixels at this DPI.
inline constexpr int kLayoutDpi = 96;

inline int ScaleToDpi(int value, int dpi) {
    return MulDiv(value, dpi, kLayoutDpi);
}

int SystemDpi();
int WindowDpi(HWND window);
// What the window's frame and caption add to its client size at `dpi`, its styles as they are.
SIZE FrameSize(HWND window, int dpi);

} // namespace runtime
