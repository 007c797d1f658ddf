// The hot key service under Wine: ids, refusals, the modifier table, forwarding by the installed
// window procedure and its removal.
#include <windows.h>

#include <vector>

#include <gtest/gtest.h>

#include "ServicesTestSupport.h"
#include "caseswitch/keys/HotKeyService.h"
#include "runtime/HotKeyCommands.h"

namespace {

using runtime::CurrentHotKeyState;
using services_test::RecordingWindow;

// Keys no desktop is likely to hold with these modifiers.
constexpr std::int32_t kKeyA = VK_F13;
constexpr std::int32_t kKeyB = VK_F14;

// The window procedure a window runs now; the full pointer, also in a 64-bit build.
WNDPROC ProcedureOf(HWND window) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
}

class HotKeyService : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CurrentHotKeyState().registrationCount, 0) << "an earlier test left registrations behind";
        ASSERT_EQ(CurrentHotKeyState().subclassedWindow, nullptr);
        ownProcedure = ProcedureOf(window.Handle());
    }

    void TearDown() override {
        // Every attempt counts, refused ones too, so every one is given back.
        for (const auto& [hwnd, id] : attempts)
            runtime::UnregisterGlobalHotKey(hwnd, id);
    }

    std::int32_t Register(HWND receiver, HWND feedback, std::int32_t modifiers, std::int32_t key) {
        const std::int32_t id = runtime::RegisterGlobalHotKey(receiver, feedback, modifiers, key);
        attempts.push_back({receiver, id});
        return id;
    }

    // Posts WM_HOTKEY with each id, then a marker, and handles messages until the marker is in.
    void Press(const std::vector<WPARAM>& ids) {
        for (WPARAM id : ids)
            PostMessageA(window.Handle(), WM_HOTKEY, id, 0);
        PostMessageA(window.Handle(), WM_APP, 0, 0);
        ASSERT_TRUE(services_test::PumpUntil([&] { return !window.MessagesOf(WM_APP).empty(); }));
    }

    static std::vector<WPARAM> WParams(const std::vector<services_test::Message>& messages) {
        std::vector<WPARAM> values;
        for (const auto& m : messages)
            values.push_back(m.wParam);
        return values;
    }

    RecordingWindow window;
    RecordingWindow feedback{window.Handle()};
    WNDPROC ownProcedure = nullptr;
    std::vector<std::pair<HWND, std::int32_t>> attempts;
};

TEST_F(HotKeyService, IdsCountEveryAttemptRefusedOnesIncluded) {
    const std::int32_t before = CurrentHotKeyState().sequence;
    const std::int32_t expectedFirst = static_cast<std::int32_t>(runtime::kHotKeyIdBase) + before + 1;
    EXPECT_EQ(Register(window.Handle(), feedback.Handle(), 7, kKeyA), expectedFirst);
    // The same combination again, in the same process: refused, and its id is gone.
    EXPECT_EQ(Register(window.Handle(), feedback.Handle(), 7, kKeyA), 0);
    EXPECT_EQ(CurrentHotKeyState().lastId, static_cast<std::uint32_t>(expectedFirst + 1));
    EXPECT_EQ(Register(window.Handle(), feedback.Handle(), 7, kKeyB), expectedFirst + 2);
    EXPECT_EQ(CurrentHotKeyState().registrationCount, 3);
}

TEST_F(HotKeyService, ModifierSetsReachTheSystemAsItsFlags) {
    struct Case {
        std::int32_t modifierSet;
        UINT flags;
    };
    const Case cases[] = {{0, 0},
                          {1, MOD_CONTROL},
                          {2, MOD_SHIFT},
                          {3, MOD_CONTROL | MOD_SHIFT},
                          {4, MOD_ALT},
                          {5, MOD_CONTROL | MOD_ALT},
                          {6, MOD_SHIFT | MOD_ALT},
                          {7, MOD_ALT | MOD_CONTROL | MOD_SHIFT},
                          {MOD_WIN | MOD_SHIFT, MOD_WIN | MOD_SHIFT}};
    RecordingWindow probe;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.modifierSet);
        ASSERT_NE(Register(window.Handle(), feedback.Handle(), c.modifierSet, kKeyA), 0);
        // The system now holds exactly that combination: registering it directly is refused.
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(RegisterHotKey(probe.Handle(), 1, c.flags, kKeyA)) << "flags 0x" << std::hex << c.flags;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED));
        UnregisterHotKey(probe.Handle(), 1);
        const auto [hwnd, id] = attempts.back();
        attempts.pop_back();
        ASSERT_TRUE(runtime::UnregisterGlobalHotKey(hwnd, id));
    }
}

TEST_F(HotKeyService, OurIdsReachTheLatestFeedbackWindowAndEveryMessageReachesTheOldProcedure) {
    RecordingWindow secondFeedback{window.Handle()};
    const std::int32_t first = Register(window.Handle(), feedback.Handle(), 7, kKeyA);
    ASSERT_NE(first, 0);
    EXPECT_EQ(ProcedureOf(window.Handle()), &runtime::HotKeyWindowProc);

    const WPARAM below = runtime::kHotKeyIdBase;
    const WPARAM firstId = static_cast<WPARAM>(first);
    Press({below, firstId, firstId + 1, 7});
    EXPECT_EQ(WParams(feedback.MessagesOf(runtime::kFeedbackMessage)), std::vector<WPARAM>{firstId});
    for (const auto& m : feedback.MessagesOf(runtime::kFeedbackMessage))
        EXPECT_EQ(m.lParam, 0);
    EXPECT_EQ(WParams(window.MessagesOf(WM_HOTKEY)), (std::vector<WPARAM>{below, firstId, firstId + 1, 7}))
        << "every hot-key message should reach the window's own procedure";

    // A later registration, for another feedback window: both ids go there.
    const std::int32_t second = Register(window.Handle(), secondFeedback.Handle(), 7, kKeyB);
    ASSERT_EQ(second, first + 1);
    feedback.Clear();
    window.Clear();
    Press({firstId, firstId + 1, firstId + 2});
    EXPECT_TRUE(feedback.MessagesOf(runtime::kFeedbackMessage).empty());
    EXPECT_EQ(WParams(secondFeedback.MessagesOf(runtime::kFeedbackMessage)),
              (std::vector<WPARAM>{firstId, firstId + 1}));
    EXPECT_EQ(window.MessagesOf(WM_HOTKEY).size(), 3u);
}

TEST_F(HotKeyService, TheLastUnregistrationPutsTheOldProcedureBack) {
    RecordingWindow other;
    const std::int32_t first = Register(window.Handle(), feedback.Handle(), 7, kKeyA);
    // Only the first registration subclasses, even when a later one names another window.
    const std::int32_t second = Register(other.Handle(), feedback.Handle(), 7, kKeyB);
    ASSERT_NE(first, 0);
    ASSERT_NE(second, 0);
    EXPECT_EQ(ProcedureOf(other.Handle()), &RecordingWindow::Procedure);

    attempts.clear();
    EXPECT_TRUE(runtime::UnregisterGlobalHotKey(window.Handle(), first));
    EXPECT_EQ(ProcedureOf(window.Handle()), &runtime::HotKeyWindowProc);
    // The last one names the other window, yet the subclassed window is the one put back.
    EXPECT_TRUE(runtime::UnregisterGlobalHotKey(other.Handle(), second));
    EXPECT_EQ(ProcedureOf(window.Handle()), ownProcedure);
    EXPECT_EQ(ProcedureOf(other.Handle()), &RecordingWindow::Procedure);
    EXPECT_EQ(CurrentHotKeyState().subclassedWindow, nullptr);

    Press({static_cast<WPARAM>(first)});
    EXPECT_TRUE(feedback.MessagesOf(runtime::kFeedbackMessage).empty()) << "forwarded after the last unregistration";

    // Registering again subclasses anew.
    ASSERT_NE(Register(window.Handle(), feedback.Handle(), 7, kKeyA), 0);
    EXPECT_EQ(ProcedureOf(window.Handle()), &runtime::HotKeyWindowProc);
}

TEST_F(HotKeyService, DestroyingTheSubclassedWindowLeavesNothingBehind) {
    auto doomed = std::make_unique<RecordingWindow>();
    const std::int32_t first = Register(doomed->Handle(), feedback.Handle(), 7, kKeyA);
    ASSERT_NE(first, 0);
    doomed.reset();
    EXPECT_EQ(CurrentHotKeyState().subclassedWindow, nullptr);
    EXPECT_EQ(CurrentHotKeyState().previousWindowProcedure, nullptr);

    // A new window is subclassed and forwarded as usual; the destroyed window's combination is free again.
    const std::int32_t second = Register(window.Handle(), feedback.Handle(), 7, kKeyA);
    EXPECT_NE(second, 0) << "the destroyed window still holds its hot key";
    EXPECT_EQ(ProcedureOf(window.Handle()), &runtime::HotKeyWindowProc);
    Press({static_cast<WPARAM>(second)});
    EXPECT_EQ(WParams(feedback.MessagesOf(runtime::kFeedbackMessage)), std::vector<WPARAM>{WPARAM(second)});
}

} // namespace
