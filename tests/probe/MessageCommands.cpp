// Messages to windows, and the message boxes a program opens.
#include "Commands.h"

namespace probe {
namespace {

constexpr int kMessageBoxTextId = 0xFFFF;

bool ReadMessage(const Args& args, HWND& window, UINT& message, WPARAM& wParam, LPARAM& lParam) {
    long long values[3] = {};
    if (!args.Window(0, window)) return false;
    for (size_t i = 0; i < 3; ++i) {
        if (!args.Number(i + 1, values[i])) return false;
    }
    message = static_cast<UINT>(values[0]);
    wParam = static_cast<WPARAM>(values[1]);
    lParam = static_cast<LPARAM>(values[2]);
    return true;
}

bool PostCommand(const Args& args, JsonObject& answer) {
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    if (!ReadMessage(args, window, message, wParam, lParam)) return BadArguments(answer);
    if (!PostMessageA(window, message, wParam, lParam)) return Fail(answer, "PostMessageA failed");
    return true;
}

// Bounded, so that a program stuck in its handler fails the test instead of hanging it.
bool SendCommand(const Args& args, JsonObject& answer) {
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    if (!ReadMessage(args, window, message, wParam, lParam)) return BadArguments(answer);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)) {
        return Fail(answer, "SendMessageTimeoutA failed or timed out");
    }
    answer.Int("result", static_cast<long long>(result));
    return true;
}

// Posted, not sent: the click may open a modal message box, which would hold a sent message.
bool ClickCommand(const Args& args, JsonObject& answer) {
    HWND window = nullptr;
    if (!args.Window(0, window)) return BadArguments(answer);
    if (!PostMessageA(window, BM_CLICK, 0, 0)) return Fail(answer, "PostMessageA(BM_CLICK) failed");
    return true;
}

bool WaitMessageBoxCommand(const Args& args, JsonObject& answer) {
    std::optional<std::string> caption;
    long long timeout = 0;
    if (!args.Text(0, caption) || !args.Number(1, timeout)) return BadArguments(answer);
    HWND box = nullptr;
    const bool found = WaitFor(static_cast<DWORD>(timeout), [&] {
        box = FindWindowA("#32770", caption ? caption->c_str() : nullptr);
        return box != nullptr && IsWindowVisible(box);
    });
    if (!found) return Fail(answer, "timed out waiting for the message box");
    answer.Int("hwnd", HandleValue(box)).Raw("info", WindowInfo(box));
    return true;
}

bool MessageBoxTextCommand(const Args& args, JsonObject& answer) {
    HWND box = nullptr;
    if (!args.Window(0, box)) return BadArguments(answer);
    char text[4096] = {};
    SetLastError(0);
    const UINT length = GetDlgItemTextA(box, kMessageBoxTextId, text, sizeof text);
    if (length == 0 && GetLastError() != 0) return Fail(answer, "GetDlgItemTextA failed");
    answer.Ansi("text", std::string(text, length));
    return true;
}

bool DismissCommand(const Args& args, JsonObject& answer) {
    HWND box = nullptr;
    long long id = IDOK;
    if (!args.Window(0, box) || (args.Count() > 1 && !args.Number(1, id))) return BadArguments(answer);
    if (!PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(id), 0)) return Fail(answer, "PostMessageA failed");
    return true;
}

const Command kCommands[] = {
    {"post", 4, 4, PostCommand, "HWND MSG WPARAM LPARAM"},
    {"send", 4, 4, SendCommand, "HWND MSG WPARAM LPARAM  (5 s bound)"},
    {"click", 1, 1, ClickCommand, "HWND  posts BM_CLICK"},
    {"wait-messagebox", 2, 2, WaitMessageBoxCommand, "CAPTION|- TIMEOUT_MS"},
    {"messagebox-text", 1, 1, MessageBoxTextCommand, "HWND"},
    {"dismiss", 1, 2, DismissCommand, "HWND [ID]  posts WM_COMMAND (IDOK by default)"},
};

} // namespace

std::span<const Command> MessageCommands() {
    return kCommands;
}

} // namespace probe
