#pragma once

#include <windows.h>

namespace runtime {

// Offers a message to the form windows from its target up through its parents, stopping after
// the thread's top-level window. A claimed message is not dispatched.
bool PreTranslate(const MSG& message);

// The application's idle step for idle call number count of the current period; true while
// more idle work is wanted.
bool ApplicationIdleStep(long count);

// The main loop, or with modal set the loop of a modal window, which also returns once
// modalActive is cleared and leaves a quit message queued.
void RunMessageLoop(bool modal);
extern bool modalActive;

} // namespace runtime
