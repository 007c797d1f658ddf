// The static record through which the runtime learns about this program.
#include "app/ProgramHandlers.h"
#include "runtime/CommandLibraries.h"
#include "runtime/ProgramDescription.h"
#include "tray/TrayIconImage.h"
#include "ui/MainWindowBlock.h"

namespace program {
namespace {

// The window description refers to these entries by their byte offsets (RoutineReference).
constexpr runtime::RoutineEntry kRoutineTable[kRoutineCount] = {
    runtime::MakeRoutine<&MainWindowCreated>(), runtime::MakeRoutine<&RestoreFromTray>(),
    runtime::MakeRoutine<&ToggleAutostart>(),   runtime::MakeRoutine<&HideToTray>(),
    runtime::MakeRoutine<&CaseSwitchAction>(),
};

constexpr const runtime::CommandLibrary* kLibraryTable[] = {
    &runtime::kCoreLibrary,
    &runtime::kExtensionLibrary,
    &runtime::kInterfaceLibrary,
};

} // namespace
} // namespace program

extern const runtime::ProgramDescription kProgramDescription = {
    &program::ProgramStart,
    program::kRoutineTable,
    sizeof program::kRoutineTable,
    // The program's constant data: the read-only data of its module, which holds every literal of
    // the program, the tray icon image among them.
    &program::kTrayIconImage,
    runtime::kModuleReadOnlyData,
    program::kMainWindowBlock.data(),
    static_cast<std::uint32_t>(program::kMainWindowBlock.size()),
    3,
    program::kLibraryTable,
    0,
    nullptr,
};
