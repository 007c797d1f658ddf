#include <windows.h>

#include <shellapi.h>

#include "autostart/RegCommandLine.h"
#include "runtime/RegistryCommands.h"

namespace runtime {
namespace {

constexpr char kRegExe[] = "\\reg.exe";

// The system's own reg.exe, never one found on the search path or beside the program.
bool SystemRegExe(char (&path)[MAX_PATH]) {
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + sizeof(kRegExe) > MAX_PATH) return false;
    lstrcpyA(path + length, kRegExe);
    return true;
}

// Handles the thread's messages until the process ends. The window is disabled meanwhile, as a
// modal box would disable it, so that no click starts a second change; a quit request is put back
// for the message loop.
DWORD WaitForProcess(HANDLE process, HWND window) {
    const bool enabled = window != nullptr && !EnableWindow(window, FALSE);
    for (;;) {
        const DWORD woken = MsgWaitForMultipleObjectsEx(1, &process, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken != WAIT_OBJECT_0 + 1) break;
        MSG message;
        bool quit = false;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                quit = true;
                break;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (quit) {
            WaitForSingleObject(process, INFINITE);
            break;
        }
    }
    if (enabled) EnableWindow(window, TRUE);
    DWORD exitCode = 1;
    GetExitCodeProcess(process, &exitCode);
    return exitCode;
}

bool RunRegAsAdministrator(bool prepared, const char* arguments, HWND window, std::uint32_t* error) {
    char regExe[MAX_PATH];
    const bool found = prepared && SystemRegExe(regExe);
    SHELLEXECUTEINFOA execute = {};
    execute.cbSize = sizeof(execute);
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    execute.hwnd = window;
    execute.lpVerb = "runas";
    execute.lpFile = regExe;
    execute.lpParameters = arguments;
    execute.nShow = SW_HIDE;
    DWORD status = ERROR_SUCCESS;
    if (!found || !ShellExecuteExA(&execute) || execute.hProcess == nullptr) {
        status = found ? GetLastError() : ERROR_BAD_ARGUMENTS;
        if (status == ERROR_SUCCESS) status = ERROR_ACCESS_DENIED;
    } else {
        // reg.exe answers 0 for success, 1 for any failure, without saying which.
        if (WaitForProcess(execute.hProcess, window) != 0) status = ERROR_ACCESS_DENIED;
        CloseHandle(execute.hProcess);
    }
    if (error != nullptr) *error = status;
    return status == ERROR_SUCCESS;
}

} // namespace

bool WriteRegistryTextAsAdministrator(std::int32_t rootNumber, const char* path, const char* text, WindowHandle window,
                                      std::uint32_t* error) {
    char arguments[kRegCommandLineSize];
    const bool prepared =
        RegAddTextCommandLine(SplitRegistryPath(rootNumber, path), text != nullptr ? text : "", arguments);
    return RunRegAsAdministrator(prepared, arguments, window, error);
}

bool DeleteRegistryValueAsAdministrator(std::int32_t rootNumber, const char* path, WindowHandle window,
                                        std::uint32_t* error) {
    char arguments[kRegCommandLineSize];
    const bool prepared = RegDeleteValueCommandLine(SplitRegistryPath(rootNumber, path), arguments);
    return RunRegAsAdministrator(prepared, arguments, window, error);
}

} // namespace runtime
