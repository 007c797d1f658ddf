// The window runtime under Wine: building the main window from the stored block, its controls,
// events and keyboard, with recording routines in place of the program's handlers.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "RuntimeTestProgram.h"
#include "app/FatalError.h"
#include "app/MessageLoop.h"
#include "app/ProgramHandlers.h"
#include "app/RuntimeApp.h"
#include "runtime/Runtime.h"
#include "ui/FormWindow.h"
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
        if (control.text) {
            EXPECT_EQ(TextOf(child), control.text);
        }
    }
    // Stacking: the author label on top, then the check box, the button, the hot-key note.
    EXPECT_EQ(GetWindow(main, GW_CHILD), Child(130));
    EXPECT_EQ(GetWindow(Child(130), GW_HWNDNEXT), Child(120));
    EXPECT_EQ(GetWindow(Child(120), GW_HWNDNEXT), Child(110));
    EXPECT_EQ(GetWindow(Child(110), GW_HWNDNEXT), Child(100));
}

TEST_F(WindowRuntime, CreatedRunsBeforeShowingThenMovedAndResizedOnce) {
    Load();
    testprogram::PumpUntil([] { return false; }, 100); // whatever showing the window still sends
    const std::vector<std::string> expected = {"created", "moved", "resized"};
    EXPECT_EQ(RoutineNames(), expected) << "building and showing raise nothing more";
    ASSERT_FALSE(Calls().empty());
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

TEST_F(WindowRuntime, IdleComesAtTheThirdIdleCallOfAPeriodAndAgainOnlyWhenMoreIsWanted) {
    Load();
    Calls().clear();
    const auto idles = [] {
        const std::vector<std::string> names = RoutineNames();
        return std::count(names.begin(), names.end(), "idle");
    };
    EXPECT_TRUE(runtime::ApplicationIdleStep(0));
    EXPECT_TRUE(runtime::ApplicationIdleStep(1));
    EXPECT_EQ(idles(), 0) << "idle raised before the third call of the period";
    EXPECT_FALSE(runtime::ApplicationIdleStep(2)) << "a handler answering 0 wants no more";
    EXPECT_FALSE(runtime::ApplicationIdleStep(3));
    EXPECT_EQ(idles(), 1) << "raised once in the period";

    testprogram::idleAnswer = 1;
    runtime::ApplicationIdleStep(0);
    runtime::ApplicationIdleStep(1);
    EXPECT_TRUE(runtime::ApplicationIdleStep(2));
    EXPECT_TRUE(runtime::ApplicationIdleStep(3));
    EXPECT_EQ(idles(), 3) << "a handler that wants more is called again";
}

TEST_F(WindowRuntime, TheLoopRaisesIdleAndEndsWhenTheLastWindowIsGone) {
    Load();
    Calls().clear();
    testprogram::duringHandler = [](const std::string& routine) {
        if (routine == "idle") PostMessageA(Main(), WM_CLOSE, 0, 0);
    };
    runtime::RunMessageLoop(); // destruction of the last window posts the quit
    EXPECT_EQ(Main(), nullptr);
    EXPECT_EQ(runtime::RuntimeApp::Get().quitCode, 0);
    EXPECT_EQ(RoutineNames().front(), "idle");
    runtime::RuntimeApp::Get().mainLoopEntered = false;
}

// Memory freed while a handler runs is taken again at once and filled with garbage, so that an
// object deleted before the handling of its message is over is read as garbage (and crashes).
void ReuseFreedMemory() {
    static std::vector<std::vector<unsigned char>> garbage;
    for (std::size_t size :
         {sizeof(runtime::FormWindow), sizeof(runtime::LoadedWindow), sizeof(runtime::LabelControl)}) {
        for (int i = 0; i < 64; ++i)
            garbage.emplace_back(size, 0xA5);
    }
}

TEST_F(WindowRuntime, AHandlerMayDestroyItsWindowInTheMiddleOfTheWindowsMessage) {
    Load();
    Calls().clear();
    static std::size_t retiringInHandler = 0;
    testprogram::duringHandler = [](const std::string& routine) {
        if (routine != "close-request") return;
        DestroyWindow(Main());
        retiringInHandler = runtime::WindowRegistry::Get().RetiringObjects();
        ReuseFreedMemory();
    };
    SendMessageA(Main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(Main(), nullptr);
    const std::vector<std::string> expected = {"close-request", "destroyed"};
    EXPECT_EQ(RoutineNames(), expected) << "no query-close for a window that is gone";
    EXPECT_EQ(retiringInHandler, 1u) << "the object must outlast the message it is handling";
    EXPECT_EQ(runtime::WindowRegistry::Get().RetiringObjects(), 0u) << "and go once it is over";
}

TEST_F(WindowRuntime, DescriptionsReadAgainLeaveTheOldWindowToTheSystem) {
    Load();
    HWND old = Main();
    testprogram::InitialiseWith({testprogram::RecordingMainWindow()});
    ReuseFreedMemory();
    SendMessageA(old, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(old)) << "the default handling closes it";
    EXPECT_TRUE(Calls().empty()) << "a window whose description is gone raised " << RoutineNames().front();
}

// The system refuses to create buttons, so the window cannot be built.
LRESULT CALLBACK RefuseButtons(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const char* className = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->lpszClass;
        if (!IS_INTRESOURCE(className) && lstrcmpiA(className, "BUTTON") == 0) return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(WindowRuntime, AWindowThatCannotBeBuiltIsTakenDownWithoutEvents) {
    HHOOK hook = SetWindowsHookExA(WH_CBT, &RefuseButtons, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    const bool loaded = runtime::TryLoadWindow(kWindowId);
    UnhookWindowsHookEx(hook);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(Main(), nullptr) << "the half-built window was left behind";
    EXPECT_TRUE(Calls().empty()) << "an event was raised while the window was taken down: " << RoutineNames().front();
}

TEST_F(WindowRuntime, TheFatalReportIsComposedWithoutAllocatingAndCutAtACharacter) {
    Load();
    // A message far longer than the box takes, of double-byte characters after two single bytes: the
    // space left ends inside one.
    std::string message = "xy";
    while (message.size() < 3000)
        message += "中";
    runtime::FatalReportText report;
    const std::size_t before = testprogram::AllocationCount();
    runtime::ComposeFatalReport(report, message.c_str(), 7, kWindowId, 0x16010099);
    EXPECT_EQ(testprogram::AllocationCount(), before) << "composing the report allocated memory";

    const std::string text = report.text;
    EXPECT_EQ(text.rfind("运行时出错!\r\n\r\n错误代码：7\r\n\r\n错误信息：xy中中", 0), 0u) << text.substr(0, 60);
    EXPECT_GE(text.size(), sizeof report.text - 2) << "cut short of what fits";
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(text[i]))) {
            ASSERT_LT(++i, text.size()) << "the text ends in half a character";
        }
    }
}

TEST_F(WindowRuntime, WindowHandlesOfTheWindowAndOfAControl) {
    Load();
    EXPECT_EQ(runtime::GetWindowHandle(kWindowId, program::kMainWindowElementId), Main());
    EXPECT_EQ(runtime::GetWindowHandle(kWindowId, program::kHotKeyNoteLabelId), Child(100));
}

} // namespace
