#pragma once
// The probe's commands: each reads its arguments and fills one JSON answer.
#include "Json.h"

#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace probe {

class Args {
public:
    explicit Args(std::vector<std::string> words) : words(std::move(words)) {}

    size_t Count() const { return words.size(); }
    // Decimal, 0x hex or negative; the value is kept to 32 bits where Win32 wants it.
    bool Number(size_t index, long long& value) const;
    bool Window(size_t index, HWND& window) const;
    // "-" is no text; "hex:..." gives raw bytes (GBK captions, spaces); anything else is taken as typed.
    bool Text(size_t index, std::optional<std::string>& text) const;

private:
    std::vector<std::string> words;
};

using Handler = bool (*)(const Args& args, JsonObject& answer);

struct Command {
    const char* name;
    size_t minArgs;
    size_t maxArgs;
    Handler run;
    const char* usage;
};

std::span<const Command> WindowCommands();
std::span<const Command> MessageCommands();
std::span<const Command> ClipboardCommands();
std::span<const Command> ProcessCommands();
std::span<const Command> DisplayCommands();

// Adds the error text and GetLastError() to the answer; returns false for `return Fail(...)`.
bool Fail(JsonObject& answer, const char* what);
bool BadArguments(JsonObject& answer);

// Polls `condition` every 10 ms until it holds or `timeoutMs` has passed; true when it held.
template <class Condition> bool WaitFor(DWORD timeoutMs, Condition condition) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(10);
    }
}

// Everything the harness asks about one window, as a JSON object.
std::string WindowInfo(HWND window);

inline long long HandleValue(const void* handle) {
    return static_cast<long long>(reinterpret_cast<uintptr_t>(handle));
}

} // namespace probe
