// The tray icon against Wine's real notification area.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "TrayArea.h"
#include "TrayTestWindow.h"
#include "tray/IconFromBytes.h"
#include "tray/TrayIconImage.h"

namespace runtime {
namespace {

using tray_test::TrayIconTip;
using tray_test::TrayIconWindows;
using tray_test::TrayTestWindow;
using tray_test::WaitForIconCount;

// "最小化到系统托盘" and "最小化" in code page 936.
constexpr char kHiddenTip[] = "\xD7\xEE\xD0\xA1\xBB\xAF\xB5\xBD\xCF\xB5\xCD\xB3\xCD\xD0\xC5\xCC";
constexpr char kRestoredTip[] = "\xD7\xEE\xD0\xA1\xBB\xAF";

HICON NewTrayIcon() {
    return IconFromBytes(program::kTrayIconImage.bytes, static_cast<std::int32_t>(program::kTrayIconImageSize), 0);
}

bool IsLiveIcon(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return false;
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return true;
}

std::string OnlyIconTip() {
    const auto icons = TrayIconWindows();
    if (icons.size() != 1) return "<" + std::to_string(icons.size()) + " icons>";
    return TrayIconTip(icons[0]).value_or("<unreadable tip>");
}

class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.Handle());
        ASSERT_TRUE(WaitForIconCount(0)) << TrayIconWindows().size() << " icons left from before";
    }

    TrayTestWindow window;
};

TEST_F(TrayIconTest, AddChangeAndRemove) {
    HICON first = NewTrayIcon();
    EXPECT_TRUE(window.Tray().Update(first, kHiddenTip)) << "the shell took the icon";
    ASSERT_TRUE(WaitForIconCount(1)) << "after the add: " << TrayIconWindows().size() << " icons";
    EXPECT_TRUE(tray_test::StandaloneTrayVisible());
    EXPECT_EQ(OnlyIconTip(), kHiddenTip);
    EXPECT_EQ(window.Tray().Current(), first);
    EXPECT_STREQ(window.Tray().Tip(), kHiddenTip);

    HICON second = NewTrayIcon();
    EXPECT_TRUE(window.Tray().Update(second, kRestoredTip));
    EXPECT_TRUE(WaitForIconCount(1)) << "a change keeps one icon";
    EXPECT_EQ(OnlyIconTip(), kRestoredTip);
    EXPECT_FALSE(IsLiveIcon(first)) << "the replaced icon handle is destroyed";
    EXPECT_TRUE(IsLiveIcon(second));

    window.Tray().Update(nullptr, nullptr);
    EXPECT_TRUE(WaitForIconCount(0)) << "after the removal: " << TrayIconWindows().size() << " icons";
    EXPECT_TRUE(tray_test::PumpUntil(2000, [] { return !tray_test::StandaloneTrayVisible(); }))
        << "the tray window hides with its last icon";
    EXPECT_FALSE(IsLiveIcon(second));
    EXPECT_EQ(window.Tray().Current(), nullptr);
    EXPECT_STREQ(window.Tray().Tip(), "");
}

TEST_F(TrayIconTest, RemovingWithoutAnIconDoesNothing) {
    window.Tray().Update(nullptr, kHiddenTip);
    EXPECT_TRUE(WaitForIconCount(0));
    EXPECT_EQ(window.Tray().Current(), nullptr);
}

TEST_F(TrayIconTest, TheShellShowsTheTipCutAtACharacterBoundary) {
    const std::string seventy(70, 'a');
    window.Tray().Update(NewTrayIcon(), seventy.c_str());
    ASSERT_TRUE(WaitForIconCount(1));
    EXPECT_EQ(OnlyIconTip(), std::string(62, 'a'));

    // A character on bytes 61 and 62 would be cut in half; the shell gets the 61 bytes before it.
    const std::string straddling = std::string(61, 'b') + kRestoredTip;
    window.Tray().Update(NewTrayIcon(), straddling.c_str());
    EXPECT_EQ(OnlyIconTip(), std::string(61, 'b'));

    window.Tray().Update(NewTrayIcon(), nullptr);
    EXPECT_EQ(OnlyIconTip(), "");
}

// The window's callbacks so far, as (message, icon id) pairs of the fourth callback mode.
std::vector<std::pair<UINT, UINT>> Reported(const TrayTestWindow& window) {
    std::vector<std::pair<UINT, UINT>> reported;
    for (const tray_test::Callback& callback : window.Callbacks()) {
        reported.emplace_back(LOWORD(callback.lParam), HIWORD(callback.lParam));
    }
    return reported;
}

// Clicks the icon window as the mouse would and waits for the shell's callbacks.
void ClickOnTheIcon(const TrayTestWindow& window, std::initializer_list<UINT> mouseMessages, std::size_t callbacks) {
    const auto icons = TrayIconWindows();
    ASSERT_EQ(icons.size(), 1u);
    for (const UINT message : mouseMessages)
        SendMessageA(icons[0], message, 0, MAKELPARAM(5, 5));
    ASSERT_TRUE(tray_test::PumpUntil(2000, [&] { return window.Callbacks().size() >= callbacks; }))
        << window.Callbacks().size() << " callbacks";
}

TEST_F(TrayIconTest, TheShellReportsInTheFourthCallbackMode) {
    window.Tray().Update(NewTrayIcon(), kHiddenTip);
    ASSERT_TRUE(WaitForIconCount(1));
    ClickOnTheIcon(window, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP}, 6);
    // The icon id rides in the high word; a single click adds a select, a right click a menu request.
    const std::vector<std::pair<UINT, UINT>> expected = {{WM_LBUTTONDOWN, 100}, {WM_LBUTTONUP, 100},
                                                         {NIN_SELECT, 100},     {WM_LBUTTONDBLCLK, 100},
                                                         {WM_RBUTTONUP, 100},   {WM_CONTEXTMENU, 100}};
    EXPECT_EQ(Reported(window), expected);
    const int types[] = {kTrayNoEvent,     kTrayLeftButtonUp,  kTrayNoEvent,
                         kTrayOpenRequest, kTrayRightButtonUp, kTrayRightButtonUp};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(TrayEventType(window.Callbacks()[i].lParam), types[i]) << "callback " << i;
    }
}

TEST_F(TrayIconTest, AnAddTheShellRefusesIsReported) {
    // The shell refuses a second icon under the same window and id.
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window.Handle();
    record.uID = kTrayIconId;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &record));
    EXPECT_FALSE(window.Tray().Update(NewTrayIcon(), kHiddenTip));
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &record));
}

TEST_F(TrayIconTest, EachWindowHasItsOwnIcon) {
    TrayTestWindow other;
    window.Tray().Update(NewTrayIcon(), kHiddenTip);
    other.Tray().Update(NewTrayIcon(), kRestoredTip);
    EXPECT_TRUE(WaitForIconCount(2)) << "same icon id, different windows";
    other.Tray().Update(nullptr, nullptr);
    EXPECT_TRUE(WaitForIconCount(1));
    EXPECT_EQ(OnlyIconTip(), kHiddenTip);
}

TEST_F(TrayIconTest, TheIconComesBackWhenTheTaskbarIsRecreated) {
    window.Tray().Update(NewTrayIcon(), kHiddenTip);
    ASSERT_TRUE(WaitForIconCount(1));
    // A restarted taskbar has forgotten every icon.
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window.Handle();
    record.uID = kTrayIconId;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &record));
    ASSERT_TRUE(WaitForIconCount(0));

    const UINT taskbarCreated = TaskbarCreatedMessage();
    ASSERT_NE(taskbarCreated, 0u);
    EXPECT_EQ(taskbarCreated, RegisterWindowMessageA("TaskbarCreated"));
    PostMessageA(HWND_BROADCAST, taskbarCreated, 0, 0);
    ASSERT_TRUE(tray_test::PumpUntil(2000, [&] { return window.TaskbarCreatedCount() == 1; }));
    EXPECT_TRUE(WaitForIconCount(1)) << "the icon is added again";
    EXPECT_EQ(OnlyIconTip(), kHiddenTip) << "with the tip it had";
    ClickOnTheIcon(window, {WM_LBUTTONDBLCLK}, 1);
    EXPECT_EQ(Reported(window).back(), std::make_pair(UINT{WM_LBUTTONDBLCLK}, UINT{100})) << "and its callback mode";

    // Without an icon the message adds nothing.
    window.Tray().Update(nullptr, nullptr);
    ASSERT_TRUE(WaitForIconCount(0));
    PostMessageA(HWND_BROADCAST, taskbarCreated, 0, 0);
    ASSERT_TRUE(tray_test::PumpUntil(2000, [&] { return window.TaskbarCreatedCount() == 2; }));
    EXPECT_TRUE(WaitForIconCount(0));
}

TEST_F(TrayIconTest, AChangeTheShellRefusesAddsTheIconAfresh) {
    window.Tray().Update(NewTrayIcon(), kHiddenTip);
    ASSERT_TRUE(WaitForIconCount(1));
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window.Handle();
    record.uID = kTrayIconId;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &record));
    ASSERT_TRUE(WaitForIconCount(0));

    window.Tray().Update(NewTrayIcon(), kRestoredTip);
    EXPECT_TRUE(WaitForIconCount(1));
    EXPECT_EQ(OnlyIconTip(), kRestoredTip);
}

TEST_F(TrayIconTest, HandlesDoNotPileUpOver1000Changes) {
    window.Tray().Update(NewTrayIcon(), kHiddenTip);
    ASSERT_TRUE(WaitForIconCount(1));
    const tray_test::HandleLevels before = tray_test::CurrentHandleLevels();
    for (int i = 0; i < 1000; ++i) {
        HICON previous = window.Tray().Current();
        window.Tray().Update(NewTrayIcon(), (i % 2) ? kHiddenTip : kRestoredTip);
        if (i % 100 == 0) {
            ASSERT_FALSE(IsLiveIcon(previous)) << "change " << i << " left the old icon alive";
        }
    }
    const tray_test::HandleLevels after = tray_test::CurrentHandleLevels();
    // A leak of one icon per change would raise the level by about 1000.
    EXPECT_LE(after.user, before.user + 16) << "user handles before " << before.user << ", after " << after.user;
    EXPECT_LE(after.gdi, before.gdi + 16) << "GDI handles before " << before.gdi << ", after " << after.gdi;
    EXPECT_TRUE(WaitForIconCount(1));
    EXPECT_EQ(OnlyIconTip(), kHiddenTip);
}

} // namespace
} // namespace runtime
