#include <windows.h>

#include <memory>
#include <string>

#include "caseswitch/TerminalWindows.h"
#include "caseswitch/WindowClass.h"
#include "runtime/CaseSwitchCommands.h"

namespace runtime {
namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};

// The file name of the program that made the window; empty when its process cannot be asked
// (an elevated program asked by an unelevated one, say).
std::string ImageNameOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const std::unique_ptr<void, HandleCloser> process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return {};
    char path[MAX_PATH];
    DWORD length = sizeof path;
    if (!QueryFullProcessImageNameA(process.get(), 0, path, &length)) return {};
    const std::string full(path, length);
    const std::size_t slash = full.find_last_of("\\/");
    return slash == std::string::npos ? full : full.substr(slash + 1);
}

} // namespace

bool ForegroundIsConsole() {
    HWND foreground = GetForegroundWindow();
    if (!foreground) return false;
    return IsTerminalWindow(WindowClassOf(foreground), ImageNameOf(foreground));
}

} // namespace runtime
