// The program's start routine and the main window's creation handler.
#include "app/ProgramHandlers.h"
#include "runtime/Runtime.h"

namespace program {

int ProgramStart() {
    runtime::ServiceTable(runtime::kServiceInitialiseRuntime);
    runtime::ServiceTable(runtime::kServiceRegisterExitRoutine, reinterpret_cast<std::intptr_t>(&ReleaseKeptTexts));
    runtime::LoadWindow(kMainWindowId);
    runtime::RunMessageLoop();
    return 0;
}

void MainWindowCreated() {
    HotKeyStep();
    AutostartStep();
}

} // namespace program
