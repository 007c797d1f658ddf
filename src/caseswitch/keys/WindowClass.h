// A window's class name, as the decisions about the foreground window compare it.
#pragma once

#include <windows.h>

#include <string_view>

namespace runtime {

// The class name of `window`, kept in `buffer`; empty when the window is gone.
inline std::string_view WindowClassOf(HWND window, char (&buffer)[256]) {
    const int length = window ? GetClassNameA(window, buffer, sizeof buffer) : 0;
    return {buffer, length > 0 ? static_cast<std::size_t>(length) : 0};
}

} // namespace runtime
