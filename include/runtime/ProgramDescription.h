// The one static record through which the runtime learns about the program, and the routine
// table that the window description's handler references point into.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace runtime {

// What a handler call gave back: handlers return void (no result) or a 32-bit integer.
struct HandlerOutcome {
    bool resultGiven = false;
    std::int32_t result = 0;
};

// Handlers are plain functions of zero to five 32-bit integers. Each routine table entry carries
// a thunk that calls its function with the right number of arguments, so the runtime never calls
// a function through a pointer of the wrong type.
struct RoutineEntry {
    HandlerOutcome (*invoke)(const std::int32_t (&arguments)[5]);
};

namespace detail {
template <typename R, typename... A> constexpr std::size_t ArityOf(R (*)(A...)) {
    return sizeof...(A);
}
template <typename R, typename... A> constexpr bool ReturnsVoid(R (*)(A...)) {
    return std::is_void_v<R>;
}
template <auto F, std::size_t... I>
HandlerOutcome InvokeWith(const std::int32_t (&arguments)[5], std::index_sequence<I...>) {
    if constexpr (ReturnsVoid(F)) {
        F(arguments[I]...);
        return {};
    } else {
        return {true, static_cast<std::int32_t>(F(arguments[I]...))};
    }
}
} // namespace detail

template <auto F> constexpr RoutineEntry MakeRoutine() {
    static_assert(detail::ArityOf(F) <= 5, "handlers take at most five arguments");
    return {[](const std::int32_t(&arguments)[5]) {
        return detail::InvokeWith<F>(arguments, std::make_index_sequence<detail::ArityOf(F)>{});
    }};
}

// Handler reference of the routine at an index of the routine table (its entry's byte offset).
constexpr std::int32_t RoutineReference(std::size_t index) {
    return static_cast<std::int32_t>(index * sizeof(RoutineEntry));
}

// The one entry through which command libraries reach the runtime.
using ServiceCallback = std::intptr_t (*)(std::int32_t service, std::intptr_t a, std::intptr_t b, std::intptr_t c);

namespace service {
inline constexpr std::int32_t kTrayIcon = 1;       // a = window id, b = element id -> the window object's tray icon
                                                   // (fatal when the window or the element is not loaded)
inline constexpr std::int32_t kWindowHandle = 2;   // a = window id, b = element id -> HWND (fatal if none)
inline constexpr std::int32_t kRunDirectory = 3;   // -> const char* (kept by the runtime)
inline constexpr std::int32_t kExecutableName = 4; // -> const char*
inline constexpr std::int32_t kAllocate = 5;       // a = byte count -> block (never null)
inline constexpr std::int32_t kRelease = 6;        // a = block
inline constexpr std::int32_t kToNumber = 7;       // a = argument type, b = its address -> int32 or fatal
inline constexpr std::int32_t kFireEvent = 8;      // a = EventRequest* -> handler ran
inline constexpr std::int32_t kFatalError = 9;     // a = message, b = window id, c = element id
inline constexpr std::int32_t kHiddenOwner = 10;   // -> HWND of the runtime's hidden owner window
inline constexpr std::int32_t kElementHandle = 11; // a = window id, b = element id -> HWND or 0, never fatal
} // namespace service

// Library notification codes.
inline constexpr std::int32_t kLibraryStart = 1;
inline constexpr std::int32_t kLibraryEnd = 6;
inline constexpr std::int32_t kNotHandled = -1;

struct CommandLibrary {
    const char* name;
    // (code, value, extra): at start code 1 with the service callback as value.
    std::int32_t (*notify)(std::int32_t code, std::intptr_t value, std::intptr_t extra);
};

// A constant block size that stands for the whole read-only data section of the program's module
// that holds constantBlockStart. The compiler puts every literal of a program there, so this is
// how a program makes releasing any of its literals harmless.
inline constexpr std::uint32_t kModuleReadOnlyData = 0xFFFFFFFF;

struct ProgramDescription {
    int (*startRoutine)();          // the program's start routine, called by the framework
    const void* codeBase;           // start of the routine table
    std::uint32_t routineTableSize; // bytes of the routine table: references beyond it are refused
    const void* constantBlockStart;
    std::uint32_t constantBlockSize; // or kModuleReadOnlyData
    const std::uint8_t* windowBlockStart;
    std::uint32_t windowBlockSize;
    std::int32_t libraryCount;
    const CommandLibrary* const* libraryTable;
    std::int32_t externalCommandCount; // none in this program
    const void* externalCommandTables;
};

} // namespace runtime
