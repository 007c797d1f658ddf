#include <windows.h>

#include <memory>
#include <string_view>

#include "caseswitch/keys/WindowClass.h"
#include "caseswitch/text/TerminalWindows.h"
#include "runtime/CaseSwitchCommands.h"

namespace runtime {
namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};

// The file name of the program that made the window, kept in `path`; empty when its process
// cannot be asked (an elevated program asked by an unelevated one, say).
std::string_view ImageNameOf(HWND window, char (&path)[MAX_PATH]) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const std::unique_ptr<void, HandleCloser> process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    DWORD length = sizeof path;
    if (!process || !QueryFullProcessImageNameA(process.get(), 0, path, &length)) return {};
    const std::string_view full(path, length);
    const std::size_t slash = full.find_last_of("\\/");
    return slash == std::string_view::npos ? full : full.substr(slash + 1);
}

} // namespace

bool ForegroundIsConsole() {
    HWND foreground = GetForegroundWindow();
    if (!foreground) return false;
    char className[256] = {};
    char path[MAX_PATH] = {};
    return IsTerminalWindow(WindowClassOf(foreground, className), ImageNameOf(foreground, path));
}

} // namespace runtime
