// The runtime's one application object: everything the runtime keeps for the whole run.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/ProgramDescription.h"
#include "runtime/Runtime.h"
#include "ui/WindowRegistry.h"

namespace runtime {

struct IdleRegistration {
    HWND window;
    void (*routine)(std::intptr_t);
    std::intptr_t argument;
};

class RuntimeApp {
public:
    static RuntimeApp& Get();
    // Ends the runtime if the exit step has not (a process that never ran the program's start
    // routine to its end), before the members it tears down go.
    ~RuntimeApp();
    RuntimeApp(const RuntimeApp&) = delete;
    RuntimeApp& operator=(const RuntimeApp&) = delete;

    // The program this process runs; set by the process entry (or a test) before start-up.
    void SetProgram(const ProgramDescription* description) { program = description; }
    const ProgramDescription* Program() const { return program; }

    void Initialise(const ProgramDescription& description);
    void Shutdown(UINT exitCode);
    [[noreturn]] void EndProgram(UINT exitCode);
    void RegisterExitRoutine(ExitRoutine routine);
    void DropExitRoutines() { exitRoutines.clear(); }

    HANDLE Heap() const { return heap ? heap : GetProcessHeap(); }
    bool IsConstant(const void* address) const;
    std::int32_t ConstantBlockRemainder(const void* address) const;

    const std::string& ProgramFolder() const { return programFolder; }
    const std::string& ProgramFileName() const { return programFileName; }
    HWND HiddenOwner() const { return hiddenOwner; }
    WindowRegistry& Registry() { return registry; }

    std::int32_t suppressionCount = 0;
    bool mainLoopEntered = false;
    bool shutdownStarted = false;
    int quitCode = 0; // wParam of the quit message that ended the main loop
    std::vector<IdleRegistration> idleRegistrations;

    // Idle state of the application's idle step.
    bool frameworkIdlePending = false;
    DWORD idlePeriodStart = 0;
    std::vector<HWND> idleDoneWindows;

private:
    RuntimeApp() = default;
    void CaptureProgramPath();
    void CreateHiddenOwner();
    void StartLibraries(const ProgramDescription& description);

    const ProgramDescription* program = nullptr;
    HANDLE heap = nullptr;
    bool oleInitialised = false;
    std::string programFolder;
    std::string programFileName;
    HWND hiddenOwner = nullptr;
    DWORD mainThreadId = 0;
    const std::uint8_t* constantStart = nullptr;
    const std::uint8_t* constantEnd = nullptr;
    std::vector<const CommandLibrary*> libraries;
    std::vector<std::intptr_t> libraryStates;
    std::vector<ExitRoutine> exitRoutines;
    WindowRegistry registry;
};

// The end-program message: a thread other than the main one hands the end of the program to
// the main thread through the hidden owner window.
inline constexpr UINT kEndProgramMessage = 0x83E7;

} // namespace runtime
