#include "app/RuntimeApp.h"

#include <ole2.h>

#include <algorithm>

#include "app/FatalError.h"
#include "app/HiddenOwnerWindow.h"
#include "app/ModulePath.h"
#include "app/ModuleSection.h"
#include "app/RuntimeServices.h"
#include "ui/WindowRegistry.h"

namespace runtime {
namespace {

bool IsSystemLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

} // namespace

RuntimeApp& RuntimeApp::Get() {
    // Destroyed by static destruction after the exit step, whose shutdown leaves its destructor
    // nothing to do. Everything the shutdown tears down is a member, so it is still there.
    static RuntimeApp app;
    return app;
}

RuntimeApp::~RuntimeApp() {
    Shutdown(0);
}

void RuntimeApp::Initialise(const ProgramDescription& description) {
    program = &description;
    heap = GetProcessHeap();
    if (!oleInitialised) {
        OleInitialize(nullptr); // a failure leaves drag and drop unusable, nothing this program needs
        oleInitialised = true;
    }
    CaptureProgramPath();
    SetCurrentDirectoryA(programFolder.c_str());
    CreateHiddenOwner();
    mainThreadId = GetCurrentThreadId();
    if (description.constantBlockSize == kModuleReadOnlyData) {
        const ModuleSection section = ReadOnlySectionHolding(description.constantBlockStart);
        constantStart = section.start;
        constantEnd = section.end;
    } else if (description.constantBlockSize > 0 && description.constantBlockStart) {
        constantStart = static_cast<const std::uint8_t*>(description.constantBlockStart);
        constantEnd = constantStart + description.constantBlockSize;
    }
    StartLibraries(description);
    if (description.windowBlockSize > 0) {
        if (!WindowRegistry::Get().ReadBlock(description.windowBlockStart, description.windowBlockSize, description))
            ReportFatalError("载入窗口模板数据段出错!", 0, 0, 0);
    }
}

void RuntimeApp::CaptureProgramPath() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const ModulePathParts parts = SplitModulePath(std::string_view(path, length), &IsSystemLeadByte);
    programFolder = parts.folder;
    programFileName = parts.fileName;
}

void RuntimeApp::CreateHiddenOwner() {
    if (!hiddenOwner) hiddenOwner = CreateHiddenOwnerWindow();
}

void RuntimeApp::StartLibraries(const ProgramDescription& description) {
    libraries.clear();
    libraryStates.clear();
    for (std::int32_t i = 0; i < description.libraryCount; ++i) {
        const CommandLibrary* library = description.libraryTable[i];
        if (library && library->notify)
            library->notify(kLibraryStart, reinterpret_cast<std::intptr_t>(&RuntimeServiceCallback), 0);
        libraries.push_back(library);
        libraryStates.push_back(0);
    }
}

void RuntimeApp::RegisterExitRoutine(ExitRoutine routine) {
    // Once shutdown has begun, the exit routines have had their turn.
    if (!routine || shutdownStarted) return;
    if (std::find(exitRoutines.begin(), exitRoutines.end(), routine) != exitRoutines.end()) return;
    exitRoutines.push_back(routine);
}

void RuntimeApp::Shutdown(UINT exitCode) {
    suppressionCount += 1;
    if (mainThreadId != 0 && GetCurrentThreadId() != mainThreadId) {
        if (hiddenOwner && IsWindow(hiddenOwner)) {
            SendMessageA(hiddenOwner, kEndProgramMessage, exitCode, 0);
            if (!shutdownStarted) ExitProcess(exitCode);
        }
        return;
    }
    // A second shutdown (the destructor's, or EndProgram from inside the first) finds the first
    // one's work done or under way.
    if (shutdownStarted) return;
    shutdownStarted = true;
    idleRegistrations.clear();
    registry.Clear();

    // The list is empty from here on, and registering another routine does nothing.
    std::vector<ExitRoutine> routines;
    routines.swap(exitRoutines);
    for (ExitRoutine routine : routines)
        routine();

    for (std::size_t i = 0; i < libraries.size(); ++i) {
        if (libraries[i] && libraries[i]->notify) libraries[i]->notify(kLibraryEnd, libraryStates[i], 0);
    }
    libraries.clear();
    libraryStates.clear();

    constantStart = nullptr;
    constantEnd = nullptr;
    if (hiddenOwner && IsWindow(hiddenOwner)) DestroyWindow(hiddenOwner);
    hiddenOwner = nullptr;
    if (oleInitialised) {
        OleUninitialize();
        oleInitialised = false;
    }
}

void RuntimeApp::EndProgram(UINT exitCode) {
    Shutdown(exitCode);
    ExitProcess(exitCode);
}

bool RuntimeApp::IsConstant(const void* address) const {
    const auto* byte = static_cast<const std::uint8_t*>(address);
    return constantStart && byte >= constantStart && byte < constantEnd;
}

std::int32_t RuntimeApp::ConstantBlockRemainder(const void* address) const {
    return static_cast<std::int32_t>(constantEnd - static_cast<const std::uint8_t*>(address));
}

} // namespace runtime
