// The main window's focus cues under Wine: Tab asks the system to show the focus rectangle, as
// Windows' dialog manager does once the keyboard is in use.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "../app/RuntimeTestProgram.h"
#include "app/MessageLoop.h"
#include "app/ProgramHandlers.h"
#include "runtime/Runtime.h"

namespace {

std::vector<WPARAM> uiStateRequests;
WNDPROC windowProcedure = nullptr;

LRESULT CALLBACK Recording(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHANGEUISTATE) uiStateRequests.push_back(wParam);
    return CallWindowProcA(windowProcedure, window, message, wParam, lParam);
}

TEST(WindowKeyboardCues, TabClearsTheHiddenFocusState) {
    testprogram::InitialiseWith({testprogram::RecordingMainWindow()});
    runtime::LoadWindow(program::kMainWindowId);
    HWND main = FindWindowA("FormWindow", nullptr);
    ASSERT_NE(main, nullptr);
    SetForegroundWindow(main);
    ASSERT_TRUE(testprogram::PumpUntil([&] { return GetFocus() == GetDlgItem(main, 110); }));
    windowProcedure =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Recording)));
    // As Windows leaves a window that the mouse opened.
    SendMessageA(main, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    uiStateRequests.clear();

    const MSG tab = {GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_TRUE(runtime::PreTranslate(tab));
    EXPECT_EQ(uiStateRequests, std::vector<WPARAM>{MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS)});
    // What the button and the check box draw by; Wine 8 answers 0 whatever the state.
    EXPECT_EQ(SendMessageA(GetFocus(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS, 0);
    SetWindowLongPtrA(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(windowProcedure));
    DestroyWindow(main);
}

} // namespace
