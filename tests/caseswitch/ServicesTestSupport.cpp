#include "ServicesTestSupport.h"

#include "runtime/CommandLibraries.h"
#include "runtime/ProgramDescription.h"

namespace services_test {
namespace {

constexpr char kRecordingClass[] = "ServicesTestRecordingWindow";
constexpr DWORD kPollMilliseconds = 5;

void RegisterRecordingClass() {
    WNDCLASSA windowClass = {};
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (GetClassInfoA(instance, kRecordingClass, &windowClass)) return;
    windowClass.lpfnWndProc = &RecordingWindow::Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kRecordingClass;
    RegisterClassA(&windowClass);
}

HWND ownerWindow = nullptr;

std::intptr_t TestServices(std::int32_t service, std::intptr_t, std::intptr_t, std::intptr_t) {
    if (service == runtime::service::kHiddenOwner) return reinterpret_cast<std::intptr_t>(ownerWindow);
    return 0;
}

} // namespace

RecordingWindow::RecordingWindow(HWND parent, bool shown) {
    RegisterRecordingClass();
    const DWORD style = parent ? WS_CHILD : (WS_OVERLAPPEDWINDOW | (shown ? WS_VISIBLE : 0));
    window = CreateWindowExA(0, kRecordingClass, "services test", style, 40, 40, parent ? 100 : 300, parent ? 20 : 200,
                             parent, nullptr, GetModuleHandleA(nullptr), this);
}

RecordingWindow::~RecordingWindow() {
    if (window && IsWindow(window)) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
}

std::vector<Message> RecordingWindow::MessagesOf(UINT message) const {
    std::vector<Message> found;
    for (const Message& m : messages) {
        if (m.message == message) found.push_back(m);
    }
    return found;
}

LRESULT CALLBACK RecordingWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self) {
        self->messages.push_back({message, wParam, lParam});
        if (self->onMessage) self->onMessage(self->messages.back());
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool PumpUntil(const std::function<bool()>& done, DWORD boundMilliseconds, HANDLE wakeOn) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
            if (done()) return true;
        }
        if (done()) return true;
        const ULONGLONG elapsed = GetTickCount64() - start;
        if (elapsed >= boundMilliseconds) return false;
        // Some conditions change without any message (another process acts): look again now and then.
        const DWORD left = static_cast<DWORD>(boundMilliseconds - elapsed);
        MsgWaitForMultipleObjectsEx(wakeOn ? 1 : 0, wakeOn ? &wakeOn : nullptr,
                                    left < kPollMilliseconds ? left : kPollMilliseconds, QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}

HWND StartExtensionLibrary() {
    if (!ownerWindow) {
        RegisterRecordingClass();
        ownerWindow = CreateWindowExA(WS_EX_TOOLWINDOW, kRecordingClass, "", 0, 0, 0, 0, 0, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
    }
    runtime::kExtensionLibrary.notify(runtime::kLibraryStart, reinterpret_cast<std::intptr_t>(&TestServices), 0);
    return ownerWindow;
}

bool WaitForClipboardManager() {
    if (!GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) return true;
    return PumpUntil(
        [] {
            return FindWindowExA(HWND_MESSAGE, nullptr, "__wine_clipboard_manager", nullptr) != nullptr &&
                   GetClipboardSequenceNumber() > 0;
        },
        10000);
}

std::string BesideTest(const char* fileName) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string result(path, length);
    const std::size_t slash = result.find_last_of("\\/");
    result.erase(slash == std::string::npos ? 0 : slash + 1);
    return result + fileName;
}

ChildProcess::ChildProcess(const std::string& commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        info = {};
    }
}

ChildProcess::~ChildProcess() {
    if (!info.hProcess) return;
    if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, 5000);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

bool ChildProcess::WaitForExit(DWORD boundMilliseconds, DWORD& exitCode) {
    if (!info.hProcess || WaitForSingleObject(info.hProcess, boundMilliseconds) != WAIT_OBJECT_0) return false;
    return GetExitCodeProcess(info.hProcess, &exitCode) != FALSE;
}

LONGLONG Now() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

double Microseconds(LONGLONG from, LONGLONG to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to - from) * 1e6 / static_cast<double>(frequency.QuadPart);
}

} // namespace services_test
