#pragma once

#include <windows.h>

namespace runtime {

// The runtime's never-shown window: owner of windows kept off the taskbar, owner of what the
// runtime puts on the clipboard, and the main thread's receiver of the end-program message.
HWND CreateHiddenOwnerWindow();

} // namespace runtime
