// A real Ctrl+CapsLock press, typed on the X server by xdotool, reaches the feedback window.
// Wine starts Unix programs from CreateProcessA (without a process handle to wait on), so the
// test drives xdotool itself and waits only for what arrives in its own windows.
#include <windows.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "ServicesTestSupport.h"
#include "caseswitch/HotKeyService.h"
#include "runtime/HotKeyCommands.h"

namespace {

using services_test::Message;
using services_test::RecordingWindow;

// Starts a Unix program (Wine runs ELF binaries handed to CreateProcessA).
bool StartUnixProgram(const char* commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        return false;
    }
    if (info.hThread) CloseHandle(info.hThread);
    if (info.hProcess) CloseHandle(info.hProcess);
    return true;
}

// Every Caps_Lock typed on the X server toggles its lock, hot key or not. Whatever happens to the
// test, one more press is typed after the hot key's, so that the lock ends as it began.
class CapsLockRestorer {
public:
    ~CapsLockRestorer() {
        if (pending) StartUnixProgram("/usr/bin/xdotool key Caps_Lock");
    }
    void Typed() { pending = !pending; }

private:
    bool pending = false;
};

std::size_t CountKey(const RecordingWindow& window, UINT message, WPARAM key) {
    std::size_t count = 0;
    for (const Message& m : window.Messages())
        count += (m.message == message && m.wParam == key) ? 1 : 0;
    return count;
}

TEST(HotKeyPress, CtrlCapsLockTypedOnTheXServerReachesTheFeedbackWindow) {
    RecordingWindow window{nullptr, true};
    RecordingWindow feedback{window.Handle()};
    LONGLONG feedbackAt = 0;
    LONGLONG controlDownAt = 0;
    int lockBefore = -1;
    window.onMessage = [&](const Message& m) {
        if (m.message == WM_KEYDOWN && m.wParam == VK_CONTROL && lockBefore < 0) {
            controlDownAt = services_test::Now();
            lockBefore = GetKeyState(VK_CAPITAL) & 1;
        }
    };
    feedback.onMessage = [&](const Message& m) {
        if (m.message == runtime::kFeedbackMessage && feedbackAt == 0) feedbackAt = services_test::Now();
    };

    const std::int32_t id =
        runtime::RegisterGlobalHotKey(window.Handle(), feedback.Handle(), runtime::kModifierCtrl, VK_CAPITAL);
    if (id == 0) GTEST_SKIP() << "Ctrl+CapsLock is held by another program of this desktop";
    EXPECT_EQ(id, 33001) << "the first registration of a process";

    {
        services_test::ChildProcess rival("\"" + services_test::BesideTest("caseswitch_hotkey_rival.exe") + "\"");
        DWORD rivalId = 0xFFFFFFFF;
        ASSERT_TRUE(rival.WaitForExit(10000, rivalId)) << "the rival process did not finish";
        EXPECT_EQ(rivalId, 0u) << "a second process got the same combination";
    }

    SetForegroundWindow(window.Handle());
    ASSERT_TRUE(services_test::PumpUntil([&] { return GetForegroundWindow() == window.Handle(); }))
        << "the test window did not become the foreground window";

    CapsLockRestorer capsLock;
    const LONGLONG typedAt = services_test::Now();
    ASSERT_TRUE(StartUnixProgram("/usr/bin/xdotool key ctrl+Caps_Lock")) << "error " << GetLastError();
    capsLock.Typed();
    const bool arrived = services_test::PumpUntil([&] { return feedbackAt != 0; });
    ASSERT_TRUE(arrived) << "no feedback message within 5 s";
    const auto forwarded = feedback.MessagesOf(runtime::kFeedbackMessage);
    ASSERT_EQ(forwarded.size(), 1u);
    EXPECT_EQ(forwarded[0].wParam, 33001u);
    EXPECT_EQ(forwarded[0].lParam, 0);
    EXPECT_EQ(window.MessagesOf(WM_HOTKEY).size(), 1u) << "the hot-key message should reach the window's procedure";

    // The X server has toggled its Caps Lock: type Caps_Lock once more, after the first program's
    // last key is in, so that the two programs' keys cannot interleave.
    ASSERT_TRUE(services_test::PumpUntil([&] { return CountKey(window, WM_KEYUP, VK_CONTROL) > 0; }))
        << "Ctrl's release never arrived";
    const std::size_t capsUps = CountKey(window, WM_KEYUP, VK_CAPITAL);
    ASSERT_TRUE(StartUnixProgram("/usr/bin/xdotool key Caps_Lock"));
    capsLock.Typed();
    ASSERT_TRUE(services_test::PumpUntil([&] { return CountKey(window, WM_KEYUP, VK_CAPITAL) > capsUps; }))
        << "the restoring Caps_Lock never arrived";
    EXPECT_EQ(feedback.MessagesOf(runtime::kFeedbackMessage).size(), 1u) << "Caps Lock alone fired the hot key";
    EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, lockBefore) << "Caps Lock was not put back as it was";

    std::printf("[ hot key  ] feedback %.1f ms after starting xdotool, %.1f ms after Ctrl's key-down arrived\n",
                services_test::Microseconds(typedAt, feedbackAt) / 1000,
                services_test::Microseconds(controlDownAt, feedbackAt) / 1000);
}

} // namespace
