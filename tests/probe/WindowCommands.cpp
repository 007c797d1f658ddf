// Finding windows, waiting for them, and reading their state and the focus.
#include "Commands.h"

namespace probe {
namespace {

struct TopLevelQuery {
    const std::optional<std::string>& className;
    const std::optional<std::string>& title;
    bool visibleOnly;
    std::vector<HWND> found;
};

bool Matches(HWND window, const TopLevelQuery& query) {
    if (query.visibleOnly && !IsWindowVisible(window)) return false;
    if (query.className) {
        char name[256] = {};
        GetClassNameA(window, name, sizeof name);
        if (lstrcmpiA(name, query.className->c_str()) != 0) return false;
    }
    if (query.title) {
        char caption[1024] = {};
        GetWindowTextA(window, caption, sizeof caption);
        if (*query.title != caption) return false;
    }
    return true;
}

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
    auto* query = reinterpret_cast<TopLevelQuery*>(param);
    if (Matches(window, *query)) query->found.push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelWindows(const std::optional<std::string>& className, const std::optional<std::string>& title,
                                  bool visibleOnly) {
    TopLevelQuery query{className, title, visibleOnly, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

std::string InfoList(const std::vector<HWND>& windows) {
    std::vector<std::string> items;
    for (HWND window : windows) {
        items.push_back(WindowInfo(window));
    }
    return JsonArray(items);
}

bool FindWindowCommand(const Args& args, JsonObject& answer) {
    std::optional<std::string> className;
    std::optional<std::string> title;
    if (!args.Text(0, className) || (args.Count() > 1 && !args.Text(1, title))) return BadArguments(answer);
    const std::vector<HWND> found = TopLevelWindows(className, title, false);
    answer.Int("hwnd", HandleValue(found.empty() ? nullptr : found.front()));
    return true;
}

// CLASS [TITLE] TIMEOUT_MS: the first visible top-level window that matches.
bool WaitWindowCommand(const Args& args, JsonObject& answer) {
    std::optional<std::string> className;
    std::optional<std::string> title;
    long long timeout = 0;
    const size_t timeoutIndex = args.Count() - 1;
    if (!args.Text(0, className) || !args.Number(timeoutIndex, timeout)) return BadArguments(answer);
    if (timeoutIndex == 2 && !args.Text(1, title)) return BadArguments(answer);
    HWND window = nullptr;
    const bool found = WaitFor(static_cast<DWORD>(timeout), [&] {
        const std::vector<HWND> windows = TopLevelWindows(className, title, true);
        window = windows.empty() ? nullptr : windows.front();
        return window != nullptr;
    });
    if (!found) {
        const std::vector<HWND> hidden = TopLevelWindows(className, title, false);
        answer.Int("hidden_match", HandleValue(hidden.empty() ? nullptr : hidden.front()));
        return Fail(answer, "timed out waiting for a visible window");
    }
    answer.Int("hwnd", HandleValue(window)).Raw("info", WindowInfo(window));
    return true;
}

bool ListWindowsCommand(const Args& args, JsonObject& answer) {
    std::optional<std::string> className;
    if (args.Count() > 0 && !args.Text(0, className)) return BadArguments(answer);
    answer.Raw("windows", InfoList(TopLevelWindows(className, std::nullopt, false)));
    return true;
}

bool InfoCommand(const Args& args, JsonObject& answer) {
    HWND window = nullptr;
    if (!args.Window(0, window)) return BadArguments(answer);
    if (!IsWindow(window)) return Fail(answer, "no such window");
    answer.Raw("info", WindowInfo(window));
    return true;
}

// Children from the top of the Z order down.
bool ChildrenCommand(const Args& args, JsonObject& answer) {
    HWND window = nullptr;
    if (!args.Window(0, window)) return BadArguments(answer);
    if (!IsWindow(window)) return Fail(answer, "no such window");
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    answer.Raw("children", InfoList(children));
    return true;
}

template <class Condition> bool WaitOnWindow(const Args& args, JsonObject& answer, Condition condition) {
    HWND window = nullptr;
    long long timeout = 0;
    if (!args.Window(0, window) || !args.Number(1, timeout)) return BadArguments(answer);
    if (!WaitFor(static_cast<DWORD>(timeout), [&] { return condition(window); })) {
        answer.Raw("info", WindowInfo(window));
        return Fail(answer, "timed out");
    }
    return true;
}

bool WaitVisibleCommand(const Args& args, JsonObject& answer) {
    return WaitOnWindow(args, answer, [](HWND window) { return IsWindowVisible(window) != FALSE; });
}

bool WaitHiddenCommand(const Args& args, JsonObject& answer) {
    return WaitOnWindow(args, answer, [](HWND window) { return IsWindow(window) && !IsWindowVisible(window); });
}

bool WaitGoneCommand(const Args& args, JsonObject& answer) {
    return WaitOnWindow(args, answer, [](HWND window) { return !IsWindow(window); });
}

// Idle means the window's process has emptied its queue, paint messages included.
bool WaitIdleCommand(const Args& args, JsonObject& answer) {
    HWND window = nullptr;
    long long timeout = 0;
    if (!args.Window(0, window) || !args.Number(1, timeout)) return BadArguments(answer);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (!process) return Fail(answer, "OpenProcess failed");
    const DWORD result = WaitForInputIdle(process, static_cast<DWORD>(timeout));
    CloseHandle(process);
    if (result != 0) return Fail(answer, result == WAIT_TIMEOUT ? "timed out" : "WaitForInputIdle failed");
    return true;
}

bool FocusCommand(const Args& args, JsonObject& answer) {
    HWND window = nullptr;
    if (!args.Window(0, window)) return BadArguments(answer);
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return Fail(answer, "GetGUIThreadInfo");
    answer.Int("focus", HandleValue(info.hwndFocus))
        .Int("focus_id", info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0)
        .Int("active", HandleValue(info.hwndActive))
        .Int("capture", HandleValue(info.hwndCapture))
        .Int("foreground", HandleValue(GetForegroundWindow()));
    return true;
}

bool ForegroundCommand(const Args&, JsonObject& answer) {
    answer.Int("hwnd", HandleValue(GetForegroundWindow()));
    return true;
}

// Under an unmanaged X display this also moves the X keyboard focus to the window.
bool SetForegroundCommand(const Args& args, JsonObject& answer) {
    HWND window = nullptr;
    if (!args.Window(0, window)) return BadArguments(answer);
    if (!SetForegroundWindow(window)) return Fail(answer, "SetForegroundWindow failed");
    if (!WaitFor(2000, [&] { return GetForegroundWindow() == window; })) {
        answer.Int("foreground", HandleValue(GetForegroundWindow()));
        return Fail(answer, "the window did not become the foreground window");
    }
    return true;
}

const Command kCommands[] = {
    {"find-window", 1, 2, FindWindowCommand, "CLASS [TITLE]  any top-level match, visible or not (0 when none)"},
    {"wait-window", 2, 3, WaitWindowCommand, "CLASS [TITLE] TIMEOUT_MS  first visible top-level match"},
    {"list-windows", 0, 1, ListWindowsCommand, "[CLASS]  top-level windows with their info"},
    {"info", 1, 1, InfoCommand, "HWND"},
    {"children", 1, 1, ChildrenCommand, "HWND  child windows in Z order, topmost first"},
    {"wait-visible", 2, 2, WaitVisibleCommand, "HWND TIMEOUT_MS"},
    {"wait-hidden", 2, 2, WaitHiddenCommand, "HWND TIMEOUT_MS"},
    {"wait-gone", 2, 2, WaitGoneCommand, "HWND TIMEOUT_MS"},
    {"wait-idle", 2, 2, WaitIdleCommand, "HWND TIMEOUT_MS  WaitForInputIdle on the window's process"},
    {"focus", 1, 1, FocusCommand, "HWND  focus and active window of the window's thread"},
    {"foreground", 0, 0, ForegroundCommand, ""},
    {"set-foreground", 1, 1, SetForegroundCommand, "HWND"},
};

} // namespace

std::span<const Command> WindowCommands() {
    return kCommands;
}

} // namespace probe
