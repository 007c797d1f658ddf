// A service callback for the core library that answers from values the test sets, so the
// location and message-box commands can be tested without loading a program.
#pragma once

#include <windows.h>

#include <cstdint>

#include "runtime/CommandLibraries.h"
#include "runtime/ProgramDescription.h"

namespace runtime::test {

struct CoreServiceAnswers {
    const char* runDirectory = nullptr;
    const char* executableName = nullptr;
    std::uint32_t elementWindowId = 0;
    std::uint32_t elementId = 0;
    HWND elementHandle = nullptr; // the handle of (elementWindowId, elementId); any other element is not loaded
};

inline CoreServiceAnswers& Answers() {
    static CoreServiceAnswers answers;
    return answers;
}

inline std::intptr_t AnswerService(std::int32_t service, std::intptr_t a, std::intptr_t b, std::intptr_t) {
    const CoreServiceAnswers& answers = Answers();
    switch (service) {
    case service::kRunDirectory:
        return reinterpret_cast<std::intptr_t>(answers.runDirectory);
    case service::kExecutableName:
        return reinterpret_cast<std::intptr_t>(answers.executableName);
    case service::kElementHandle:
        if (static_cast<std::uint32_t>(a) == answers.elementWindowId &&
            static_cast<std::uint32_t>(b) == answers.elementId)
            return reinterpret_cast<std::intptr_t>(answers.elementHandle);
        return 0;
    default:
        return 0;
    }
}

// Starts the core library with the answering callback, as the runtime's start-up would with its own.
inline void StartCoreLibrary() {
    Answers() = {};
    kCoreLibrary.notify(kLibraryStart, reinterpret_cast<std::intptr_t>(&AnswerService), 0);
}

} // namespace runtime::test
