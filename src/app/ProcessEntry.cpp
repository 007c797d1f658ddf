// The process entry: the framework's start and exit steps around the program's start routine.
#include <windows.h>

#include "app/DllSearch.h"
#include "app/ProcessEntry.h"
#include "app/RuntimeApp.h"

namespace runtime {

int RunProgram(const ProgramDescription& description) {
    LimitDllSearchToSystem();
    SetErrorMode(SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    RuntimeApp& app = RuntimeApp::Get();
    app.SetProgram(&description);
    if (description.startRoutine) description.startRoutine(); // the whole life of the program is this call
    app.Shutdown(0);
    return app.quitCode;
}

} // namespace runtime
