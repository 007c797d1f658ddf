// Another copy of this program that is already running: the usual case is the copy Windows
// started at log-on, hidden in the notification area, when the user starts the program again.
#pragma once

#include "runtime/Runtime.h"

namespace runtime {

// The main window of a copy running in another process: a window of the same class and caption as
// `ownWindow`, shown or hidden. Null when there is none.
WindowHandle FindRunningCopy(WindowHandle ownWindow);

// Asks that copy to show its window as a double-click on its tray icon does: back from the
// notification area, un-minimised, in front (this process, which the user has just started, lets
// it take the foreground).
void ShowRunningCopy(WindowHandle copy);

} // namespace runtime
