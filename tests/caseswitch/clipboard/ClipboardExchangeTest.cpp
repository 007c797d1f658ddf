// The clipboard exchange of one press, driven by this thread's messages as the program's loop
// drives it. The test's own windows are the target: its process copies and pastes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "ClipboardTestSupport.h"
#include "ServicesTestSupport.h"
#include "caseswitch/clipboard/ClipboardExchangeEnd.h"
#include "runtime/CaseSwitchCommands.h"

namespace runtime {
namespace {

using namespace exchange_test;

struct MemoryRelease {
    void operator()(char* text) const { ReleaseMemory(text); }
};
using OwnedText = std::unique_ptr<char, MemoryRelease>;

// What the program's step does once the copy has come: offers `offer` (when set) and awaits the
// paste for `pasteBound` ms. What it saw is kept for the test.
struct Step {
    const char* offer = nullptr;
    std::int32_t pasteBound = 5000;
    bool ran = false;
    bool copied = false;
    OwnedText copiedText;
    bool offered = false;
};
Step step;

void RunStep(ClipboardExchange& exchange) {
    step.ran = true;
    step.copied = exchange.Copied();
    if (!step.copied) return;
    step.copiedText.reset(exchange.TakeCopiedText());
    if (!step.offer) return;
    step.offered = exchange.OfferConverted(step.offer, false);
    exchange.AwaitPaste(step.pasteBound);
}

bool PumpUntilOver() {
    return services_test::PumpUntil([] { return !ClipboardExchangeUnderWay(); }, 5000);
}

// What a paste took, as the target's focused field takes it: opening the clipboard with the field,
// on the thread that handles the paste keys, which makes the exchange render the format.
struct Pasted {
    Bytes taken;
    bool excludedFromMonitors = false;
};

Pasted PasteInto(HWND field, UINT format) {
    Pasted pasted;
    const DWORD start = GetTickCount();
    while (!OpenClipboard(field) && GetTickCount() - start < 2000)
        Sleep(1);
    HANDLE data = GetClipboardData(format);
    if (const void* bytes = data ? GlobalLock(data) : nullptr) {
        const auto* first = static_cast<const unsigned char*>(bytes);
        pasted.taken.assign(first, first + GlobalSize(data));
        GlobalUnlock(data);
    }
    pasted.excludedFromMonitors =
        IsClipboardFormatAvailable(Registered("ExcludeClipboardContentFromMonitorProcessing")) != FALSE;
    CloseClipboard();
    return pasted;
}

const std::vector<Format> kEarlier = {{CF_TEXT, AnsiBytes("Earlier")}, SampleRichText(), SampleDib(), SampleCustom()};

// The earlier content is back, and marked as the offer is, so that the press adds nothing to
// clipboard history.
void ExpectEarlierContent() {
    for (const auto& [format, bytes] : kEarlier) {
        const std::optional<Bytes> now = ReadFormat(format);
        EXPECT_TRUE(now && StartsWith(*now, bytes))
            << "format " << format << " after the exchange: expected " << Describe(bytes) << ", got " << Describe(now);
    }
    const std::optional<Bytes> history = ReadFormat(Registered("CanIncludeInClipboardHistory"));
    EXPECT_TRUE(history && StartsWith(*history, Bytes(4, 0))) << "history mark: " << Describe(history);
}

// The test's target: a shown top-level window with two fields, the foreground window, the first
// field focused.
class Target {
public:
    Target() {
        window = CreateWindowExA(0, "STATIC", "exchange test", WS_POPUP | WS_VISIBLE, 10, 10, 200, 80, nullptr, nullptr,
                                 nullptr, nullptr);
        for (int i = 0; i < 2; ++i) {
            fields[i] = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, i * 40, 200, 30, window, nullptr,
                                        nullptr, nullptr);
        }
        SetForegroundWindow(window);
        SetFocus(fields[0]);
    }
    ~Target() { DestroyWindow(window); }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;
    HWND Handle() const { return window; }
    HWND Field(int i) const { return fields[i]; }
    bool InFront() const { return GetForegroundWindow() == window && GetFocus() == fields[0]; }
    // The target's copy: its window owns the content.
    bool Copy(const std::vector<Format>& formats) const { return PutFormats(formats, nullptr, window); }

private:
    HWND window;
    HWND fields[2] = {};
};

class ClipboardExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        step = Step();
        std::string why;
        ASSERT_TRUE(PutFormats(kEarlier, &why)) << why;
        ASSERT_TRUE(target.InFront()) << "the test window did not become the foreground window";
        exchange = BeginClipboardExchange();
        ASSERT_NE(exchange, nullptr);
    }
    void TearDown() override {
        if (ClipboardExchangeUnderWay()) exchange->RestoreClipboard();
        PumpUntilOver();
    }

    // Saves the clipboard, awaits the copy, lets the target copy `copied` and runs the step.
    void CopyAndStep(const std::vector<Format>& copied) {
        ASSERT_TRUE(exchange->SaveClipboard());
        exchange->AwaitCopy(2000, &RunStep);
        ASSERT_TRUE(target.Copy(copied));
        ASSERT_TRUE(services_test::PumpUntil([] { return step.ran; })) << "the copy was not seen";
        ASSERT_TRUE(step.copied);
    }

    // A paste of `format` by the target; the exchange is over afterwards.
    Bytes Paste(UINT format) {
        const Pasted pasted = PasteInto(target.Field(0), format);
        EXPECT_TRUE(PumpUntilOver()) << "the paste was not seen";
        EXPECT_TRUE(pasted.excludedFromMonitors) << "the offer lacks the monitor exclusion mark";
        return pasted.taken;
    }

    Target target;
    ClipboardExchange* exchange = nullptr;
};

TEST_F(ClipboardExchangeTest, OfferedTextReachesAPasteBeforeTheEarlierContentReturns) {
    ASSERT_TRUE(exchange->SaveClipboard());
    OwnedText saved(exchange->TakeSavedText());
    ASSERT_NE(saved, nullptr);
    EXPECT_STREQ(saved.get(), "Earlier");
    step.offer = "HELLO";
    exchange->AwaitCopy(2000, &RunStep);
    ASSERT_TRUE(target.Copy({{CF_UNICODETEXT, WideBytes(L"Hello")}}));
    ASSERT_TRUE(services_test::PumpUntil([] { return step.ran; }));
    ASSERT_NE(step.copiedText, nullptr);
    EXPECT_STREQ(step.copiedText.get(), "Hello");
    ASSERT_TRUE(step.offered);
    EXPECT_TRUE(Paste(CF_UNICODETEXT) == WideBytes(L"HELLO"));
    ExpectEarlierContent();
}

TEST_F(ClipboardExchangeTest, UnicodeTextOutsideTheCodePageIsConvertedAsUnicode) {
    step.offer = "LOSSY ANSI FORM";
    CopyAndStep({{CF_UNICODETEXT, WideBytes(L"a\xD83D\xDE00 b\x0E01")}}); // an emoji and a Thai letter: no GBK form
    EXPECT_TRUE(Paste(CF_UNICODETEXT) == WideBytes(L"A\xD83D\xDE00 B\x0E01"));
    ExpectEarlierContent();
}

TEST_F(ClipboardExchangeTest, TextTheCodePageHoldsIsOfferedAsTheGivenAnsiText) {
    step.offer = "THE ANSI PATH";
    CopyAndStep({{CF_UNICODETEXT, WideBytes(L"mixed \x4E2D\x6587 text")}});
    const Bytes taken = Paste(CF_TEXT);
    EXPECT_TRUE(StartsWith(taken, AnsiBytes("THE ANSI PATH"))) << "the paste got " << Describe(taken);
    ExpectEarlierContent();
}

TEST_F(ClipboardExchangeTest, OnePressAtATime) {
    EXPECT_EQ(BeginClipboardExchange(), nullptr) << "a second exchange began while one was under way";
    exchange->RestoreClipboard();
    EXPECT_NE(BeginClipboardExchange(), nullptr) << "no exchange could begin after the first ended";
}

TEST_F(ClipboardExchangeTest, NothingCopiedWritesNothingAndALateCopyIsPutBack) {
    const DWORD sequence = GetClipboardSequenceNumber();
    ASSERT_TRUE(exchange->SaveClipboard());
    exchange->AwaitCopy(60, &RunStep);
    ASSERT_TRUE(PumpUntilOver());
    EXPECT_TRUE(step.ran && !step.copied) << "a copy was seen where none was made";
    EXPECT_EQ(GetClipboardSequenceNumber(), sequence) << "the clipboard was written";
    // The target copies after all: the user's content must not be lost to it.
    ASSERT_TRUE(target.Copy({{CF_TEXT, AnsiBytes("late copy")}}));
    EXPECT_TRUE(services_test::PumpUntil([] {
        const std::optional<Bytes> text = ReadFormat(CF_TEXT);
        return text && StartsWith(*text, AnsiBytes("Earlier"));
    })) << "the late copy stayed on the clipboard";
    ExpectEarlierContent();
}

TEST_F(ClipboardExchangeTest, ABusyClipboardIsNeitherReadNorWritten) {
    const DWORD sequence = GetClipboardSequenceNumber();
    ClipboardHolderThread holder;
    ASSERT_TRUE(holder.Holding());
    EXPECT_FALSE(exchange->SaveClipboard()) << "saved a clipboard another thread holds open";
    exchange->RestoreClipboard();
    EXPECT_FALSE(ClipboardExchangeUnderWay());
    holder.Release();
    EXPECT_EQ(GetClipboardSequenceNumber(), sequence) << "the clipboard was written";
}

TEST_F(ClipboardExchangeTest, ContentAnotherProgramPutsThereMeanwhileIsKept) {
    step.offer = "ABC";
    CopyAndStep({{CF_TEXT, AnsiBytes("abc")}});
    ASSERT_TRUE(PutFormats({{CF_TEXT, AnsiBytes("newer copy")}}));
    EXPECT_TRUE(PumpUntilOver()) << "the takeover did not end the exchange";
    const std::optional<Bytes> text = ReadFormat(CF_TEXT);
    EXPECT_TRUE(text && StartsWith(*text, AnsiBytes("newer copy"))) << "got " << Describe(text);
}

TEST_F(ClipboardExchangeTest, NoticesWhenTheFocusLeavesTheFieldOfTheCopy) {
    ASSERT_TRUE(exchange->SaveClipboard());
    EXPECT_TRUE(exchange->SameFocus());
    SetFocus(target.Field(1));
    EXPECT_FALSE(exchange->SameFocus()) << "another field of the same window took the focus, unnoticed";
}

// Earlier content too large to put back on the press's time: its large format goes back announced
// only, rendered from the saved bytes for a reader, or for everyone when the exchange window goes.
class LargeEarlierContentTest : public ClipboardExchangeTest {
protected:
    void PressOverLargeContent() {
        ASSERT_TRUE(PutFormats(large));
        step.offer = "ABC";
        CopyAndStep({{CF_TEXT, AnsiBytes("abc")}});
        Paste(CF_TEXT);
    }
    void ExpectLargeContent() {
        for (const auto& [format, bytes] : large) {
            const std::optional<Bytes> now = ReadFormat(format);
            EXPECT_TRUE(now && StartsWith(*now, bytes))
                << "format " << format << ": got " << now.value_or(Bytes()).size() << " bytes for " << bytes.size();
        }
    }
    const std::vector<Format> large = {{CF_TEXT, AnsiBytes("Earlier")},
                                       {Registered("CaseSwitch.Test.Large"), Bytes(std::size_t{2} << 20, 0x5A)}};
};

TEST_F(LargeEarlierContentTest, IsRenderedWhenReadWithoutBeingANewContent) {
    PressOverLargeContent();
    const DWORD sequence = GetClipboardSequenceNumber();
    ExpectLargeContent();
    EXPECT_EQ(GetClipboardSequenceNumber(), sequence) << "rendering it made a new content for clipboard managers";
}

TEST_F(LargeEarlierContentTest, IsTheNextPresssSnapshotWhileItIsHeld) {
    PressOverLargeContent();
    // What the press's end left queued, the note of the put-back's sequence number among it.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    step = Step();
    exchange = BeginClipboardExchange();
    ASSERT_NE(exchange, nullptr);
    step.offer = "DEF";
    CopyAndStep({{CF_TEXT, AnsiBytes("def")}});
    EXPECT_TRUE(Paste(CF_TEXT) == AnsiBytes("DEF"));
    ExpectLargeContent();
}

TEST_F(LargeEarlierContentTest, OutlivesTheExchangeWindow) {
    PressOverLargeContent();
    FinishClipboardExchange();
    ExpectLargeContent();
}

TEST_F(ClipboardExchangeTest, WithoutAPasteTheEarlierContentReturnsAfterTheBound) {
    step.offer = "ABC";
    step.pasteBound = 50;
    CopyAndStep({{CF_TEXT, AnsiBytes("abc")}});
    EXPECT_TRUE(PumpUntilOver());
    ExpectEarlierContent();
}

} // namespace
} // namespace runtime
