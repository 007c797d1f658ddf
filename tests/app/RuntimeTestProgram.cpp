#include "RuntimeTestProgram.h"

#include <cstdlib>
#include <new>

#include "app/ProgramHandlers.h"
#include "app/RuntimeApp.h"
#include "runtime/CommandLibraries.h"
#include "runtime/DescriptionWriter.h"
#include "runtime/Runtime.h"
#include "ui/MainWindowContent.h"

namespace {
std::size_t allocations = 0;
}

// Every allocation through operator new of this test executable is counted.
void* operator new(std::size_t size) {
    ++allocations;
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace testprogram {
namespace {

HWND MainHandle() {
    return FindWindowA("FormWindow", nullptr);
}

bool BoxChecked() {
    HWND main = MainHandle();
    HWND box = main ? GetDlgItem(main, 120) : nullptr;
    return box && SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Record(const char* routine, std::int32_t first = 0, std::int32_t second = 0) {
    HWND main = MainHandle();
    Calls().push_back({routine, first, second, main && IsWindowVisible(main) != FALSE, BoxChecked()});
    if (duringHandler) duringHandler(routine);
}

void Created() {
    Record("created");
}
void Tray(std::int32_t type) {
    Record("tray", type);
}
void BoxClicked() {
    Record("box-clicked");
}
void ButtonClicked() {
    Record("button-clicked");
}
void Feedback(std::int32_t first, std::int32_t second) {
    Record("feedback", first, second);
}
std::int32_t CloseRequest() {
    Record("close-request");
    return closeAnswer;
}
std::int32_t QueryClose() {
    Record("query-close");
    return closeAnswer;
}
void Moved() {
    Record("moved");
}
void Resized() {
    Record("resized");
}
void Destroyed() {
    Record("destroyed");
}
std::int32_t Idle(std::int32_t elapsed) {
    Record("idle", elapsed);
    return idleAnswer;
}

const runtime::RoutineEntry kRoutines[kRoutineCount] = {
    runtime::MakeRoutine<&Created>(),       runtime::MakeRoutine<&Tray>(),     runtime::MakeRoutine<&BoxClicked>(),
    runtime::MakeRoutine<&ButtonClicked>(), runtime::MakeRoutine<&Feedback>(), runtime::MakeRoutine<&CloseRequest>(),
    runtime::MakeRoutine<&QueryClose>(),    runtime::MakeRoutine<&Moved>(),    runtime::MakeRoutine<&Resized>(),
    runtime::MakeRoutine<&Destroyed>(),     runtime::MakeRoutine<&Idle>(),
};

const runtime::CommandLibrary* const kLibraries[] = {&runtime::kCoreLibrary, &runtime::kExtensionLibrary,
                                                     &runtime::kInterfaceLibrary};

runtime::ByteBlock block;
runtime::ProgramDescription description;

} // namespace

std::int32_t closeAnswer = 1;
std::int32_t idleAnswer = 0;
std::function<void(const std::string&)> duringHandler;
const char kConstantBlock[32] = "a literal of the constant block";

std::size_t AllocationCount() {
    return allocations;
}

std::vector<Call>& Calls() {
    static std::vector<Call> calls;
    return calls;
}

std::vector<std::string> RoutineNames() {
    std::vector<std::string> names;
    for (const Call& call : Calls())
        names.push_back(call.routine);
    return names;
}

runtime::WindowDescription RecordingMainWindow() {
    using runtime::RoutineReference;
    runtime::WindowDescription window = program::MainWindowContent();
    // The program's own routine indexes map onto the recorders of the same place.
    static_assert(program::kMainWindowCreatedRoutine == kCreated && program::kRestoreFromTrayRoutine == kTray &&
                  program::kToggleAutostartRoutine == kBoxClicked && program::kHideToTrayRoutine == kButtonClicked &&
                  program::kCaseSwitchActionRoutine == kFeedback);
    auto& bindings = window.elements.front().bindings;
    bindings.push_back({runtime::event::kCloseRequest, RoutineReference(kCloseRequest)});
    bindings.push_back({runtime::event::kQueryClose, RoutineReference(kQueryClose)});
    bindings.push_back({runtime::event::kMoved, RoutineReference(kMoved)});
    bindings.push_back({runtime::event::kResized, RoutineReference(kResized)});
    bindings.push_back({runtime::event::kDestroyed, RoutineReference(kDestroyed)});
    bindings.push_back({runtime::event::kIdle, RoutineReference(kIdle)});
    return window;
}

void InitialiseWith(const std::vector<runtime::WindowDescription>& windows) {
    block = runtime::WriteDescriptionBlock(windows);
    description = {};
    description.codeBase = kRoutines;
    description.routineTableSize = sizeof kRoutines;
    description.windowBlockStart = block.data();
    description.windowBlockSize = static_cast<std::uint32_t>(block.size());
    description.constantBlockStart = kConstantBlock;
    description.constantBlockSize = runtime::kModuleReadOnlyData;
    description.libraryCount = 3;
    description.libraryTable = kLibraries;
    runtime::RuntimeApp& app = runtime::RuntimeApp::Get();
    app.mainLoopEntered = false; // no test posts a quit message unless it runs the loop itself
    app.Initialise(description);
    Calls().clear();
    closeAnswer = 1;
    idleAnswer = 0;
    duringHandler = nullptr;
}

const runtime::ProgramDescription& Description() {
    return description;
}

} // namespace testprogram
