// Keystroke injection under Wine: the events that reach the focused window, in order.
#include <windows.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "ServicesTestSupport.h"
#include "runtime/CaseSwitchCommands.h"
#include "runtime/KeyCommands.h"

namespace {

using services_test::Message;
using services_test::RecordingWindow;

// A key event as the focused window saw it.
struct KeyEvent {
    bool down;
    WPARAM key;
    bool operator==(const KeyEvent&) const = default;
};

std::string Describe(const std::vector<KeyEvent>& events) {
    std::string out;
    char item[32];
    for (const KeyEvent& e : events) {
        std::snprintf(item, sizeof item, "%s 0x%02X, ", e.down ? "down" : "up", static_cast<unsigned>(e.key));
        out += item;
    }
    return out.empty() ? "nothing" : out;
}

// After the injected keys, a press of this key marks the end of what they produced: the input
// stream keeps its order, so everything before the marker came from the keys under test.
constexpr BYTE kMarker = VK_F24;

class Keystrokes : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(window.Handle(), nullptr);
        SetForegroundWindow(window.Handle());
        SetFocus(window.Handle());
        ASSERT_TRUE(services_test::PumpUntil([&] { return GetFocus() == window.Handle(); }))
            << "the test window did not get the keyboard focus; focus is " << GetFocus();
        window.Clear();
    }

    // Key events up to the marker (which is left out), once the marker's release has arrived.
    std::vector<KeyEvent> EventsUntilMarker() {
        keybd_event(kMarker, 0, 0, 0);
        keybd_event(kMarker, 0, KEYEVENTF_KEYUP, 0);
        std::vector<KeyEvent> events;
        bool marked = false;
        services_test::PumpUntil([&] {
            for (const Message& m : window.Messages()) {
                if ((m.message == WM_KEYUP || m.message == WM_SYSKEYUP) && m.wParam == kMarker) marked = true;
            }
            return marked;
        });
        EXPECT_TRUE(marked) << "the marker key never arrived";
        for (const Message& m : window.Messages()) {
            const bool down = m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN;
            const bool up = m.message == WM_KEYUP || m.message == WM_SYSKEYUP;
            if (!down && !up) continue;
            if (m.wParam == kMarker) break;
            events.push_back({down, m.wParam});
        }
        window.Clear();
        return events;
    }

    RecordingWindow window{nullptr, true};
};

TEST_F(Keystrokes, KeysGoDownInOrderAndComeUpInTheSameOrder) {
    runtime::SimulateKeys(VK_CONTROL, 'C');
    const std::vector<KeyEvent> expected = {{true, VK_CONTROL}, {true, 'C'}, {false, VK_CONTROL}, {false, 'C'}};
    const std::vector<KeyEvent> seen = EventsUntilMarker();
    EXPECT_EQ(seen, expected) << "saw " << Describe(seen);
}

TEST_F(Keystrokes, ZeroKeysAfterTheFirstAreSkipped) {
    runtime::SimulateKeys('A');
    std::vector<KeyEvent> seen = EventsUntilMarker();
    EXPECT_EQ(seen, (std::vector<KeyEvent>{{true, 'A'}, {false, 'A'}})) << "saw " << Describe(seen);

    runtime::SimulateKeys('A', 0, 'B');
    seen = EventsUntilMarker();
    EXPECT_EQ(seen, (std::vector<KeyEvent>{{true, 'A'}, {true, 'B'}, {false, 'A'}, {false, 'B'}}))
        << "saw " << Describe(seen);
}

TEST_F(Keystrokes, OnlyTheLowEightBitsOfAnIntegerCount) {
    runtime::SimulateKeys(0x141);
    const std::vector<KeyEvent> seen = EventsUntilMarker();
    EXPECT_EQ(seen, (std::vector<KeyEvent>{{true, 0x41}, {false, 0x41}})) << "saw " << Describe(seen);
}

TEST_F(Keystrokes, TextKeysGiveTheirKeyWithoutShift) {
    runtime::SimulateKeys("a");
    const std::vector<KeyEvent> small = EventsUntilMarker();
    runtime::SimulateKeys("A");
    const std::vector<KeyEvent> capital = EventsUntilMarker();
    const std::vector<KeyEvent> expected = {{true, 'A'}, {false, 'A'}};
    EXPECT_EQ(small, expected) << "\"a\" gave " << Describe(small);
    EXPECT_EQ(capital, expected) << "\"A\" gave " << Describe(capital);

    runtime::SimulateKeys(VK_CONTROL, "v");
    const std::vector<KeyEvent> paste = EventsUntilMarker();
    EXPECT_EQ(paste, (std::vector<KeyEvent>{{true, VK_CONTROL}, {true, 'V'}, {false, VK_CONTROL}, {false, 'V'}}))
        << "saw " << Describe(paste);
}

// Another program's key event, as far as this thread's view of the keyboard goes: injected from a
// thread of its own.
void KeyFromAnotherThread(BYTE key, DWORD flags) {
    std::thread([key, flags] { keybd_event(key, 0, flags, 0); }).join();
}

TEST(KeyRelease, AKeyPressedRightAfterALookIsSeenHeld) {
    constexpr BYTE kKey = VK_F22;
    ASSERT_TRUE(runtime::WaitForKeysReleased(kKey, 0, 0)) << "the key was held before the test";
    KeyFromAnotherThread(kKey, 0);
    const bool released = runtime::WaitForKeysReleased(kKey, 0, 100);
    KeyFromAnotherThread(kKey, KEYEVENTF_KEYUP);
    EXPECT_FALSE(released) << "the key was taken for released while it was held";
    EXPECT_TRUE(runtime::WaitForKeysReleased(kKey, 0, 1000)) << "the key's release was not seen";
}

} // namespace
