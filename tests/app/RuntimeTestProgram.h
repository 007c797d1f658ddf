// A program of the tests' own for driving the runtime: the real main window content bound to
// routines that record what they were called with.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/ProgramDescription.h"
#include "runtime/WindowDescription.h"

namespace testprogram {

struct Call {
    std::string routine;
    std::int32_t first = 0;
    std::int32_t second = 0;
    bool windowVisible = false; // of the main window, when the routine ran
    bool boxChecked = false;    // of the check box, when the routine ran
};

std::vector<Call>& Calls();
// How many times operator new has been called in this process so far.
std::size_t AllocationCount();
std::vector<std::string> RoutineNames();

// Result that the close-request and query-close routines give (1 lets the window close).
extern std::int32_t closeAnswer;
// Result of the idle routine (non-zero asks for more idle calls).
extern std::int32_t idleAnswer;
// Runs inside every recording routine, after the call is recorded, with the routine's name.
extern std::function<void(const std::string&)> duringHandler;
// A literal of the test program, whose read-only data is its constant block, as the program's is.
extern const char kConstantBlock[32];

enum Routine : std::size_t {
    kCreated,
    kTray,
    kBoxClicked,
    kButtonClicked,
    kFeedback,
    kCloseRequest,
    kQueryClose,
    kMoved,
    kResized,
    kDestroyed,
    kIdle,
    kRoutineCount,
};

// The main window's content with every event of the window bound to a recording routine.
runtime::WindowDescription RecordingMainWindow();

// Starts the runtime with the given windows, as the program's start routine would.
void InitialiseWith(const std::vector<runtime::WindowDescription>& windows);
const runtime::ProgramDescription& Description();

// Pumps this thread's messages until the predicate holds or the time is up.
template <typename Predicate> bool PumpUntil(Predicate predicate, DWORD timeoutMilliseconds = 2000) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (predicate()) return true;
        if (GetTickCount() - start > timeoutMilliseconds) return false;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

} // namespace testprogram
