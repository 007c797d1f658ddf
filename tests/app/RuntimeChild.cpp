// A program of its own that the end-to-end tests start to drive the runtime's start-up,
// shutdown and fatal paths from outside: `runtime_child MODE [REPORT_FILE]`.
//   normal       loads the main window and runs the loop (close it from outside)
//   no-window    runs the loop without loading a window
//   alloc        asks for an impossible allocation
//   property     sets Checked of a window whose description is loaded but not its window
//   no-window-id sets Checked of a window that has no description
//   startup      loads a start-up window that cannot be built
//   block        starts with an unreadable window description block
//   late-exit-routine  its exit routine registers another one while the runtime shuts down
//   tray-element asks for the tray icon of an element the loaded window does not have
// The exit routine appends "exit-routine ole=N" to REPORT_FILE (N = 1 while OLE is still up); one
// registered during shutdown would append "late-exit-routine".
#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/ProcessEntry.h"
#include "app/ProgramHandlers.h"
#include "runtime/CommandLibraries.h"
#include "runtime/DescriptionWriter.h"
#include "runtime/Runtime.h"
#include "runtime/TrayCommands.h"
#include "ui/MainWindowContent.h"

namespace {

std::string mode;
std::string reportFile;
runtime::ByteBlock block;

void Report(const char* line) {
    if (reportFile.empty()) return;
    if (FILE* file = std::fopen(reportFile.c_str(), "a")) {
        std::fprintf(file, "%s\n", line);
        std::fclose(file);
    }
}

void LateExitRoutine() {
    Report("late-exit-routine");
}

void ExitRoutine() {
    if (mode == "late-exit-routine")
        runtime::ServiceTable(runtime::kServiceRegisterExitRoutine, reinterpret_cast<std::intptr_t>(&LateExitRoutine));
    // S_FALSE: COM (and so OLE) was still initialised on this thread.
    const HRESULT state = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool oleUp = state == S_FALSE;
    if (SUCCEEDED(state)) CoUninitialize();
    Report(oleUp ? "exit-routine ole=1" : "exit-routine ole=0");
}

void Nothing() {}
void NothingWithType(std::int32_t) {}
void NothingWithTwo(std::int32_t, std::int32_t) {}

const runtime::RoutineEntry kRoutines[] = {
    runtime::MakeRoutine<&Nothing>(), runtime::MakeRoutine<&NothingWithType>(), runtime::MakeRoutine<&Nothing>(),
    runtime::MakeRoutine<&Nothing>(), runtime::MakeRoutine<&NothingWithTwo>(),
};
const runtime::CommandLibrary* const kLibraries[] = {&runtime::kCoreLibrary, &runtime::kExtensionLibrary,
                                                     &runtime::kInterfaceLibrary};

int ChildStart() {
    runtime::ServiceTable(runtime::kServiceInitialiseRuntime);
    runtime::ServiceTable(runtime::kServiceRegisterExitRoutine, reinterpret_cast<std::intptr_t>(&ExitRoutine));
    runtime::ServiceTable(runtime::kServiceRegisterExitRoutine, reinterpret_cast<std::intptr_t>(&ExitRoutine));
    if (mode == "alloc") runtime::AllocateMemory(0x7FFFFFFF);
    if (mode == "property") runtime::SetChecked(program::kMainWindowId, program::kAutostartCheckBoxId, true);
    if (mode == "no-window-id") runtime::SetChecked(0x52010099, program::kAutostartCheckBoxId, true);
    if (mode != "no-window") runtime::LoadWindow(program::kMainWindowId);
    if (mode == "tray-element") runtime::RemoveTrayIcon(program::kMainWindowId, 0x16010099);
    runtime::RunMessageLoop();
    return 0;
}

runtime::ByteBlock BlockFor(const std::string& mode) {
    runtime::WindowDescription window = program::MainWindowContent();
    window.elements.front().tag = "main-tag";
    if (mode == "startup") std::get<runtime::LabelData>(window.elements[1].data).version = 9;
    runtime::ByteBlock bytes = runtime::WriteDescriptionBlock({window});
    if (mode == "block") bytes.resize(bytes.size() - 3);
    return bytes;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc > 1) mode = __argv[1];
    if (__argc > 2) reportFile = __argv[2];
    block = BlockFor(mode);
    runtime::ProgramDescription description = {};
    description.startRoutine = &ChildStart;
    description.codeBase = kRoutines;
    description.routineTableSize = sizeof kRoutines;
    description.windowBlockStart = block.data();
    description.windowBlockSize = static_cast<std::uint32_t>(block.size());
    description.libraryCount = 3;
    description.libraryTable = kLibraries;
    return runtime::RunProgram(description);
}
