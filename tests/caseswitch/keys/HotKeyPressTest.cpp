// A real Ctrl+CapsLock press, typed on the X server by xdotool, reaches the feedback window.
// Wine starts Unix programs from CreateProcessA (without a process handle to wait on), so the
// test drives xdotool itself and waits only for what arrives in its own windows.
#include <windows.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "ServicesTestSupport.h"
#include "caseswitch/keys/HotKeyService.h"
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
    // For a Unix program Wine gives no process handle (and no valid thread handle) at all.
    if (info.hProcess) {
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
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

// Types `keys` on the X server and waits until the release of `lastKey` has reached `window`.
bool TypeAndWait(const RecordingWindow& window, const char* keys, WPARAM lastKey, DWORD boundMilliseconds = 5000) {
    const std::size_t before = CountKey(window, WM_KEYUP, lastKey);
    const std::string command = std::string("/usr/bin/xdotool key ") + keys;
    if (!StartUnixProgram(command.c_str())) return false;
    return services_test::PumpUntil([&] { return CountKey(window, WM_KEYUP, lastKey) > before; }, boundMilliseconds);
}

// Wine takes key events from X only for the window with the X keyboard focus, which follows
// SetForegroundWindow a little later; and it brings its Caps Lock state in line with the X
// server's at every key event. A Shift press that arrives proves the first and makes the second
// happen before the hot key's Ctrl is down (with Ctrl held, that correction would fire the hot
// key again). Returns the Caps Lock state, or -1 when no Shift press got through.
int SettleKeyboard(const RecordingWindow& window) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (TypeAndWait(window, "shift", VK_SHIFT, 1000)) return GetKeyState(VK_CAPITAL) & 1;
    }
    return -1;
}

TEST(HotKeyPress, CtrlCapsLockTypedOnTheXServerReachesTheFeedbackWindow) {
    RecordingWindow window{nullptr, true};
    RecordingWindow feedback{window.Handle()};
    LONGLONG feedbackAt = 0;
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
    const int lockBefore = SettleKeyboard(window);
    ASSERT_GE(lockBefore, 0) << "typed keys do not reach the test window: it lacks the X keyboard focus";

    CapsLockRestorer capsLock;
    const LONGLONG typedAt = services_test::Now();
    ASSERT_TRUE(StartUnixProgram("/usr/bin/xdotool key ctrl+Caps_Lock")) << "error " << GetLastError();
    capsLock.Typed();
    ASSERT_TRUE(services_test::PumpUntil([&] { return feedbackAt != 0; })) << "no feedback message within 5 s";
    // Ctrl's release is the last key of that press: after it, nothing of it can still arrive.
    ASSERT_TRUE(services_test::PumpUntil([&] { return CountKey(window, WM_KEYUP, VK_CONTROL) > 0; }))
        << "Ctrl's release never arrived";
    const auto forwarded = feedback.MessagesOf(runtime::kFeedbackMessage);
    ASSERT_EQ(forwarded.size(), 1u) << "one press, one feedback message";
    EXPECT_EQ(forwarded[0].wParam, 33001u);
    EXPECT_EQ(forwarded[0].lParam, 0);
    EXPECT_EQ(window.MessagesOf(WM_HOTKEY).size(), 1u) << "the hot-key message should reach the window's procedure";

    // The X server toggled its Caps Lock with that press: one more puts it back.
    ASSERT_TRUE(TypeAndWait(window, "Caps_Lock", VK_CAPITAL)) << "the restoring Caps_Lock never arrived";
    capsLock.Typed();
    EXPECT_EQ(feedback.MessagesOf(runtime::kFeedbackMessage).size(), 1u) << "Caps Lock alone fired the hot key";
    EXPECT_EQ(SettleKeyboard(window), lockBefore) << "Caps Lock did not end as it began";

    std::printf("[ hot key  ] feedback %.1f ms after starting xdotool\n",
                services_test::Microseconds(typedAt, feedbackAt) / 1000);
}

} // namespace
