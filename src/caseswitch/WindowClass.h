// A window's class name, as the decisions about the foreground window compare it.
#pragma once

#include <windows.h>

#include <string>

namespace runtime {

// Empty when the window is gone.
inline std::string WindowClassOf(HWND window) {
    char className[256];
    const int length = window ? GetClassNameA(window, className, sizeof className) : 0;
    return length > 0 ? std::string(className, static_cast<std::size_t>(length)) : std::string();
}

} // namespace runtime
