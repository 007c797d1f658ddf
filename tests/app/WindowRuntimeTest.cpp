// The window runtime under Wine: building the main window from the stored block, its controls,
// events and keyboard, with recording routines in place of the program's handlers.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "RuntimeTestProgram.h"
#include "app/MessageLoop.h"
#include "app/ProgramHandlers.h"
#include "app/RuntimeApp.h"
#include "runtime/Runtime.h"
#include "ui/LoadWindow.h"

using testprogram::Calls;
using testprogram::RoutineNames;

namespace {

constexpr std::uint32_t kWindowId = program::kMainWindowId;

class WindowRuntime : public ::testing::Test {
protected:
    void SetUp() override { testprogram::InitialiseWith({testprogram::RecordingMainWindow()}); }
    void TearDown() override {
        if (HWND main = Main()) DestroyWindow(main);
        testprogram::PumpUntil([] { return false; }, 20);
    }
    static HWND Main() { return FindWindowA("FormWindow", nullptr); }
    static HWND Child(int id) { return GetDlgItem(Main(), id); }
    static void Load() {
        runtime::LoadWindow(kWindowId);
        ASSERT_NE(Main(), nullptr) << "no FormWindow after loading";
    }
};

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

TEST_F(WindowRuntime, BuildsTheCentredFixedSizeWindowWithItsFourControls) {
    Load();
    HWND main = Main();
    RECT outer;
    GetWindowRect(main, &outer);
    EXPECT_EQ(outer.right - outer.left, 380);
    EXPECT_EQ(outer.bottom - outer.top, 185);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 380) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - 185) / 2);
    const DWORD style = static_cast<DWORD>(GetWindowLongA(main, GWL_STYLE));
    EXPECT_EQ(style & ~(WS_VISIBLE | WS_CLIPSIBLINGS), 0x02CA0000u) << std::hex << style;
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(TextOf(main), "切换大小写-Toolbox");
    EXPECT_EQ(GetWindow(main, GW_OWNER), nullptr) << "a window shown on the taskbar has no owner";

    struct Expected {
        int id;
        const char* className;
        DWORD style;
        const char* text;
    } const expected[] = {
        {100, "FormLabel", WS_CHILD | WS_CLIPSIBLINGS, nullptr},
        {110, "BUTTON", 0x44012F00, "最小化至系统托盘"},
        {120, "BUTTON", 0x44012D03, "开机自动启动"},
        {130, "FormLabel", WS_CHILD | WS_CLIPSIBLINGS, "作者：CapsKit"},
    };
    for (const Expected& control : expected) {
        HWND child = Child(control.id);
        ASSERT_NE(child, nullptr) << "control id " << control.id;
        EXPECT_EQ(lstrcmpiA(ClassOf(child).c_str(), control.className), 0)
            << "control id " << control.id << " has class " << ClassOf(child);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE)) & ~WS_VISIBLE, control.style)
            << "control id " << control.id;
        EXPECT_TRUE(IsWindowVisible(child)) << "control id " << control.id;
        if (control.text) EXPECT_EQ(TextOf(child), control.text);
    }
    // Stacking: the author label on top, then the check box, the button, the hot-key note.
    EXPECT_EQ(GetWindow(main, GW_CHILD), Child(130));
    EXPECT_EQ(GetWindow(Child(130), GW_HWNDNEXT), Child(120));
    EXPECT_EQ(GetWindow(Child(120), GW_HWNDNEXT), Child(110));
    EXPECT_EQ(GetWindow(Child(110), GW_HWNDNEXT), Child(100));
}

TEST_F(WindowRuntime, CreatedRunsBeforeShowingThenMovedAndResizedOnce) {
    Load();
    const std::vector<std::string> expected = {"created", "moved", "resized"};
    std::vector<std::string> names = RoutineNames();
    ASSERT_GE(names.size(), 3u);
    names.resize(3);
    EXPECT_EQ(names, expected) << "building must not raise moved or resized before created";
    EXPECT_FALSE(Calls()[0].windowVisible) << "the creation handler runs before the window is shown";
}

TEST_F(WindowRuntime, FirstShowingPutsTheFocusOnTheButtonAndTabTogglesBetweenTheTwoStops) {
    Load();
    SetForegroundWindow(Main());
    ASSERT_TRUE(testprogram::PumpUntil([] { return GetFocus() == Child(110); })) << "focus on " << GetFocus();
    MSG tab = {Child(110), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    // The loop's pre-translation is what moves the focus.
    EXPECT_TRUE(runtime::PreTranslate(tab));
    EXPECT_EQ(GetFocus(), Child(120));
    tab.hwnd = Child(120);
    EXPECT_TRUE(runtime::PreTranslate(tab));
    EXPECT_EQ(GetFocus(), Child(110));
}

TEST_F(WindowRuntime, FeedbackMessageRunsTheLabelsHandlerAndIsAnsweredZero) {
    Load();
    Calls().clear();
    const LRESULT answer = SendMessageA(Child(100), 0x8075, 33001, 0);
    EXPECT_EQ(answer, 0);
    ASSERT_EQ(RoutineNames(), std::vector<std::string>{"feedback"});
    EXPECT_EQ(Calls()[0].first, 33001);
    EXPECT_EQ(Calls()[0].second, 0);
}

TEST_F(WindowRuntime, ACheckBoxClickRunsItsHandlerOnceAfterTheBoxToggled) {
    Load();
    Calls().clear();
    SendMessageA(Child(120), BM_CLICK, 0, 0);
    ASSERT_EQ(RoutineNames(), std::vector<std::string>{"box-clicked"});
    EXPECT_TRUE(Calls()[0].boxChecked) << "the handler must see the new state";
    EXPECT_TRUE(runtime::GetChecked(kWindowId, program::kAutostartCheckBoxId));
}

TEST_F(WindowRuntime, SettingCheckedTicksTheBoxWithoutAClick) {
    Load();
    Calls().clear();
    runtime::SetChecked(kWindowId, program::kAutostartCheckBoxId, true);
    EXPECT_EQ(SendMessageA(Child(120), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(WindowRuntime, CloseRequestAnsweredZeroKeepsTheWindowOpen) {
    Load();
    Calls().clear();
    testprogram::closeAnswer = 0;
    SendMessageA(Main(), WM_CLOSE, 0, 0);
    EXPECT_NE(Main(), nullptr);
    EXPECT_EQ(RoutineNames(), std::vector<std::string>{"close-request"})
        << "query-close follows only an accepted request";
    testprogram::closeAnswer = 1;
    Calls().clear();
    SendMessageA(Main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(Main(), nullptr);
    const std::vector<std::string> expected = {"close-request", "query-close", "destroyed"};
    EXPECT_EQ(RoutineNames(), expected);
}

TEST_F(WindowRuntime, NoHandlerRunsWhileEventsAreSuppressed) {
    Load();
    Calls().clear();
    runtime::RuntimeApp::Get().suppressionCount += 1;
    SendMessageA(Child(100), 0x8075, 33001, 0);
    SendMessageA(Child(110), BM_CLICK, 0, 0);
    runtime::RuntimeApp::Get().suppressionCount -= 1;
    EXPECT_TRUE(Calls().empty());
}

TEST_F(WindowRuntime, VisibleHidesAndShowsTheWindowAndReadsBack) {
    Load();
    runtime::SetVisible(kWindowId, program::kMainWindowElementId, false);
    EXPECT_FALSE(IsWindowVisible(Main()));
    EXPECT_FALSE(runtime::GetVisible(kWindowId, program::kMainWindowElementId));
    runtime::SetVisible(kWindowId, program::kMainWindowElementId, true);
    EXPECT_TRUE(runtime::GetVisible(kWindowId, program::kMainWindowElementId));
}

TEST_F(WindowRuntime, ASecondLoadBuildsNothing) {
    Load();
    HWND first = Main();
    Calls().clear();
    runtime::LoadWindow(kWindowId);
    EXPECT_EQ(Main(), first);
    EXPECT_TRUE(Calls().empty()) << "no second created event";
}

TEST_F(WindowRuntime, AWindowWithUnreadableKindDataDoesNotLoad) {
    runtime::WindowDescription window = testprogram::RecordingMainWindow();
    std::get<runtime::LabelData>(window.elements[1].data).version = 3;
    testprogram::InitialiseWith({window});
    EXPECT_FALSE(runtime::TryLoadWindow(kWindowId));
    EXPECT_EQ(Main(), nullptr);
}

TEST_F(WindowRuntime, TheLoopRaisesIdleOncePerPeriodAndEndsWhenTheLastWindowIsGone) {
    Load();
    Calls().clear();
    runtime::RunMessageLoop(); // the idle routine closes the window; destruction posts the quit
    EXPECT_EQ(Main(), nullptr);
    EXPECT_EQ(runtime::RuntimeApp::Get().quitCode, 0);
    std::vector<std::string> names = RoutineNames();
    const auto idles = std::count(names.begin(), names.end(), "idle");
    EXPECT_GE(idles, 1);
    // Every idle call was answered 0, so each period raises the event once: never twice in a row.
    for (std::size_t i = 1; i < names.size(); ++i)
        EXPECT_FALSE(names[i] == "idle" && names[i - 1] == "idle") << "idle raised twice in one period at " << i;
    runtime::RuntimeApp::Get().mainLoopEntered = false;
}

TEST_F(WindowRuntime, WindowHandlesOfTheWindowAndOfAControl) {
    Load();
    EXPECT_EQ(runtime::GetWindowHandle(kWindowId, program::kMainWindowElementId), Main());
    EXPECT_EQ(runtime::GetWindowHandle(kWindowId, program::kHotKeyNoteLabelId), Child(100));
}

} // namespace
