// ShowMessageBox on the test's main thread, watched and answered from a second thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "CoreServicesForTest.h"
#include "runtime/MessageBoxCommands.h"

namespace runtime {
namespace {

constexpr char kDefaultCaption[] = "信息："; // GBK C5 C5 CF A2 A3 BA in the Windows build
constexpr DWORD kBoxWaitMilliseconds = 10000;

struct BoxSeen {
    bool found = false;
    std::string caption;
    std::string text;
    HWND owner = nullptr;
    LONG exStyle = 0;
    bool probeEnabled = true;
};

// A top-level window of the test's thread, standing in for the program's main window.
class ProbeWindow {
public:
    ProbeWindow() {
        window = CreateWindowExA(0, "STATIC", "probe", WS_OVERLAPPEDWINDOW, 0, 0, 100, 50, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    }
    ~ProbeWindow() { DestroyWindow(window); }
    ProbeWindow(const ProbeWindow&) = delete;
    ProbeWindow& operator=(const ProbeWindow&) = delete;
    HWND Get() const { return window; }

private:
    HWND window = nullptr;
};

struct FindContext {
    HWND box = nullptr;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM parameter) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof(className));
    if (std::string(className) != "#32770" || !IsWindowVisible(window)) return TRUE;
    reinterpret_cast<FindContext*>(parameter)->box = window;
    return FALSE;
}

// Waits for a message box on the given thread, records what it shows and presses the button with
// the given command id. Found by thread and class rather than by caption, so that a wrong caption
// fails the assertions instead of leaving the box open forever. A box that comes later than
// kBoxWaitMilliseconds counts as not found, but is answered all the same, so that the test fails
// rather than hangs; the search ends without a box only once the box call has returned.
class BoxAnswerer {
public:
    BoxAnswerer(DWORD threadId, HWND probe, WORD button)
        : worker([this, threadId, probe, button] { Run(threadId, probe, button); }) {}
    ~BoxAnswerer() {
        boxCallReturned = true;
        if (worker.joinable()) worker.join();
    }
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    // Called once the box call has returned.
    const BoxSeen& Seen() {
        boxCallReturned = true;
        worker.join();
        return seen;
    }

private:
    void Run(DWORD threadId, HWND probe, WORD button) {
        const DWORD start = GetTickCount();
        FindContext context;
        while (!boxCallReturned) {
            EnumThreadWindows(threadId, FindDialog, reinterpret_cast<LPARAM>(&context));
            if (context.box) break;
            Sleep(5);
        }
        if (!context.box) return;
        seen.found = GetTickCount() - start < kBoxWaitMilliseconds;
        char buffer[512] = {};
        GetWindowTextA(context.box, buffer, sizeof(buffer));
        seen.caption = buffer;
        buffer[0] = '\0';
        GetDlgItemTextA(context.box, 0xFFFF, buffer, sizeof(buffer));
        seen.text = buffer;
        seen.owner = GetWindow(context.box, GW_OWNER);
        seen.exStyle = GetWindowLongA(context.box, GWL_EXSTYLE);
        if (probe) seen.probeEnabled = IsWindowEnabled(probe) != FALSE;
        PostMessageA(context.box, WM_COMMAND, button, 0);
    }

    BoxSeen seen;
    std::atomic<bool> boxCallReturned{false};
    std::thread worker;
};

class MessageBoxCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::StartCoreLibrary();
        ASSERT_NE(probe.Get(), nullptr);
    }

    ProbeWindow probe;
};

TEST_F(MessageBoxCommandsTest, DefaultBoxIsTaskModalWithTheProgramsCaption) {
    BoxAnswerer answerer(GetCurrentThreadId(), probe.Get(), IDOK);
    const std::int32_t index = ShowMessageBox("\xB9\xD8\xB1\xD5 notice", 0);
    const BoxSeen& seen = answerer.Seen();
    ASSERT_TRUE(seen.found) << "no message box appeared within " << kBoxWaitMilliseconds << " ms";
    EXPECT_EQ(seen.caption, kDefaultCaption);
    EXPECT_EQ(seen.text, "\xB9\xD8\xB1\xD5 notice");
    EXPECT_EQ(seen.owner, nullptr);
    EXPECT_FALSE(seen.probeEnabled) << "MB_TASKMODAL disables the thread's windows while the box is open";
    EXPECT_TRUE(IsWindowEnabled(probe.Get())) << "and enables them again afterwards";
    EXPECT_EQ(index, kButtonOk);
}

TEST_F(MessageBoxCommandsTest, SystemModalStyleIsPassedUnchanged) {
    BoxAnswerer answerer(GetCurrentThreadId(), probe.Get(), IDOK);
    ShowMessageBox("system", MB_SYSTEMMODAL, "Caption");
    const BoxSeen& seen = answerer.Seen();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.caption, "Caption");
    EXPECT_TRUE(seen.probeEnabled) << "without MB_TASKMODAL the thread's other windows stay enabled";
    EXPECT_NE(seen.exStyle & WS_EX_TOPMOST, 0)
        << "a system-modal box stays on top; extended style 0x" << std::hex << seen.exStyle;
}

TEST_F(MessageBoxCommandsTest, MissingMessageShowsAnEmptyText) {
    BoxAnswerer answerer(GetCurrentThreadId(), nullptr, IDOK);
    ShowMessageBox(nullptr, 0);
    const BoxSeen& seen = answerer.Seen();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text, "");
    EXPECT_EQ(seen.caption, kDefaultCaption);
}

TEST_F(MessageBoxCommandsTest, ButtonsMapToTheirIndexes) {
    const struct {
        std::int32_t style;
        WORD button;
        std::int32_t index;
    } cases[] = {
        {MB_OKCANCEL, IDCANCEL, kButtonCancel},       {MB_ABORTRETRYIGNORE, IDABORT, kButtonAbort},
        {MB_ABORTRETRYIGNORE, IDRETRY, kButtonRetry}, {MB_ABORTRETRYIGNORE, IDIGNORE, kButtonIgnore},
        {MB_YESNOCANCEL, IDYES, kButtonYes},          {MB_YESNO, IDNO, kButtonNo},
    };
    for (const auto& entry : cases) {
        BoxAnswerer answerer(GetCurrentThreadId(), nullptr, entry.button);
        const std::int32_t index = ShowMessageBox("choose", entry.style);
        ASSERT_TRUE(answerer.Seen().found) << "style " << entry.style;
        EXPECT_EQ(index, entry.index) << "style " << entry.style << ", button id " << entry.button;
    }
}

TEST_F(MessageBoxCommandsTest, OwnerIsALoadedElementOrARawHandle) {
    test::Answers().elementWindowId = 0x52010001;
    test::Answers().elementId = 0x06010000;
    test::Answers().elementHandle = probe.Get();
    {
        BoxAnswerer answerer(GetCurrentThreadId(), nullptr, IDOK);
        ShowMessageBox("owned", 0, nullptr, MessageBoxOwner::Element(0x52010001, 0x06010000));
        const BoxSeen& seen = answerer.Seen();
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(seen.owner, probe.Get()) << "owner of a loaded element";
    }
    {
        BoxAnswerer answerer(GetCurrentThreadId(), nullptr, IDOK);
        ShowMessageBox("unowned", 0, nullptr, MessageBoxOwner::Element(0x52010001, 0x16010099));
        const BoxSeen& seen = answerer.Seen();
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(seen.owner, nullptr) << "an element that is not loaded gives no owner";
    }
    {
        BoxAnswerer answerer(GetCurrentThreadId(), nullptr, IDOK);
        ShowMessageBox("raw", 0, nullptr, MessageBoxOwner::Handle(probe.Get()));
        const BoxSeen& seen = answerer.Seen();
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(seen.owner, probe.Get()) << "owner given as a raw handle";
    }
}

} // namespace
} // namespace runtime
