// Windows, message pumping and helper processes for the clipboard, keystroke and hot key tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace services_test {

struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A window that records every message it receives (before DefWindowProcA).
class RecordingWindow {
public:
    // A top-level window, shown and given the size, or a hidden child of `parent`.
    explicit RecordingWindow(HWND parent = nullptr, bool shown = false);
    ~RecordingWindow();
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;

    HWND Handle() const { return window; }
    const std::vector<Message>& Messages() const { return messages; }
    std::vector<Message> MessagesOf(UINT message) const;
    void Clear() { messages.clear(); }
    // Called for every message, after it has been recorded.
    std::function<void(const Message&)> onMessage;

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    HWND window = nullptr;
    std::vector<Message> messages;
};

// Dispatches this thread's messages until `done` holds or `boundMilliseconds` have passed;
// `wakeOn`, when given, is a handle whose signal may make `done` hold.
bool PumpUntil(const std::function<bool()>& done, DWORD boundMilliseconds = 5000, HANDLE wakeOn = nullptr);

// Starts the extension library with a service callback whose hidden owner window is a window of
// the test; returns that window.
HWND StartExtensionLibrary();

// Wine's clipboard manager, a thread of the desktop process, empties the clipboard once when it
// starts. When a test process is the first of its desktop, that can come after the test's first
// write: wait until it has happened (at once on Windows). The desktop's sequence number starts at 0.
bool WaitForClipboardManager();

// Full path of an executable that sits next to the running test.
std::string BesideTest(const char* fileName);

// A child process, ended (if still running) and closed on destruction.
class ChildProcess {
public:
    explicit ChildProcess(const std::string& commandLine);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return info.hProcess != nullptr; }
    HANDLE Handle() const { return info.hProcess; }
    // The exit code, or nothing when it did not end within the bound.
    bool WaitForExit(DWORD boundMilliseconds, DWORD& exitCode);

private:
    PROCESS_INFORMATION info = {};
};

// Microseconds between two QueryPerformanceCounter readings.
double Microseconds(LONGLONG from, LONGLONG to);
LONGLONG Now();

} // namespace services_test
