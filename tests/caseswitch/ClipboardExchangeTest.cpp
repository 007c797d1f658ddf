#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

#include "ClipboardTestSupport.h"
#include "runtime/CaseSwitchCommands.h"

namespace runtime {
namespace {

using namespace exchange_test;

struct MemoryRelease {
    void operator()(char* text) const { ReleaseMemory(text); }
};
using OwnedText = std::unique_ptr<char, MemoryRelease>;

// A window of the test's thread. A message sent to it is answered only while that thread handles
// sent messages, that is inside one of the exchange's waits: another program's thread waits on it
// to act while the exchange waits, rather than after a fixed delay.
class ExchangeWaiting {
public:
    ExchangeWaiting()
        : window(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~ExchangeWaiting() { DestroyWindow(window); }
    ExchangeWaiting(const ExchangeWaiting&) = delete;
    ExchangeWaiting& operator=(const ExchangeWaiting&) = delete;
    // Returns once a wait of the exchange has answered, or after 5 s.
    void Await() const {
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
    }

private:
    HWND window;
};

// Another program's copy, made on a thread of its own once the exchange waits for it.
class Copier {
public:
    explicit Copier(std::vector<Format> formats)
        : thread([this, formats] {
              waiting.Await();
              PutFormats(formats);
          }) {}
    ~Copier() { thread.join(); }

private:
    ExchangeWaiting waiting;
    std::thread thread;
};

// A program pasting: opens the clipboard with a window of its own, takes one format (which makes
// the exchange render it), with `hold` keeps the clipboard open while the exchange's wait goes
// round twice, as a slow program would, and notes that it is about to close it.
class Paster {
public:
    Paster(UINT format, bool hold)
        : thread([this, format, hold] {
              HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
              const DWORD start = GetTickCount();
              while (!OpenClipboard(window) && GetTickCount() - start < 2000)
                  Sleep(1);
              HANDLE data = GetClipboardData(format);
              if (const void* bytes = data ? GlobalLock(data) : nullptr) {
                  const auto* start = static_cast<const unsigned char*>(bytes);
                  taken.assign(start, start + GlobalSize(data));
                  GlobalUnlock(data);
              }
              excludedFromMonitors =
                  IsClipboardFormatAvailable(Registered("ExcludeClipboardContentFromMonitorProcessing")) != FALSE;
              HANDLE history = GetClipboardData(Registered("CanIncludeInClipboardHistory"));
              if (const void* value = history ? GlobalLock(history) : nullptr) {
                  historyMark = *static_cast<const DWORD*>(value);
                  GlobalUnlock(history);
              }
              if (hold) {
                  waiting.Await();
                  waiting.Await();
              }
              aboutToClose = true;
              CloseClipboard();
              DestroyWindow(window);
          }) {}
    ~Paster() { thread.join(); }

    Bytes taken;
    bool excludedFromMonitors = false;
    DWORD historyMark = 0xFFFFFFFF;
    std::atomic<bool> aboutToClose{false};

private:
    ExchangeWaiting waiting;
    std::thread thread;
};

const std::vector<Format> kEarlier = {{CF_TEXT, AnsiBytes("Earlier")}, SampleRichText(), SampleDib(), SampleCustom()};

void ExpectEarlierContent() {
    for (const auto& [format, bytes] : kEarlier) {
        const std::optional<Bytes> now = ReadFormat(format);
        EXPECT_TRUE(now && StartsWith(*now, bytes))
            << "format " << format << " after the exchange: expected " << Describe(bytes) << ", got " << Describe(now);
    }
}

// A shown top-level window of the test's own, made the foreground window: the exchange expects
// the paste from the process that had the foreground at the copy.
class ForegroundWindow {
public:
    ForegroundWindow() {
        window = CreateWindowExA(0, "STATIC", "exchange test", WS_POPUP | WS_VISIBLE, 10, 10, 80, 40, nullptr, nullptr,
                                 nullptr, nullptr);
        SetForegroundWindow(window);
    }
    ~ForegroundWindow() { DestroyWindow(window); }
    ForegroundWindow(const ForegroundWindow&) = delete;
    ForegroundWindow& operator=(const ForegroundWindow&) = delete;
    HWND Handle() const { return window; }
    bool InFront() const { return GetForegroundWindow() == window; }

private:
    HWND window;
};

class ClipboardExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        ASSERT_TRUE(PutFormats(kEarlier, &why)) << why;
        ASSERT_TRUE(foreground.InFront()) << "the test window did not become the foreground window";
    }

    ForegroundWindow foreground;
};

TEST_F(ClipboardExchangeTest, OfferedTextReachesAPasteBeforeTheEarlierContentReturns) {
    ClipboardExchange exchange;
    ASSERT_TRUE(exchange.SaveClipboard());
    OwnedText saved(exchange.TakeSavedText());
    ASSERT_NE(saved, nullptr);
    EXPECT_STREQ(saved.get(), "Earlier");
    {
        Copier copier({{CF_UNICODETEXT, WideBytes(L"Hello")}});
        ASSERT_TRUE(exchange.WaitForCopy(2000)) << "the copy was not seen";
    }
    OwnedText copied(exchange.TakeCopiedText());
    ASSERT_NE(copied, nullptr);
    EXPECT_STREQ(copied.get(), "Hello");
    ASSERT_TRUE(exchange.OfferConverted("HELLO", false));
    {
        Paster paster(CF_UNICODETEXT, true);
        ASSERT_TRUE(exchange.WaitForPaste(3000)) << "the paste was not seen";
        EXPECT_TRUE(paster.aboutToClose) << "the wait ended while the paster still held the clipboard";
        ASSERT_TRUE(exchange.RestoreClipboard());
        EXPECT_TRUE(paster.taken == WideBytes(L"HELLO")) << "the paste got " << Describe(paster.taken);
        EXPECT_TRUE(paster.excludedFromMonitors) << "the offer lacks the monitor exclusion mark";
        EXPECT_EQ(paster.historyMark, 0u) << "the offer's CanIncludeInClipboardHistory should be 0";
    }
    ExpectEarlierContent();
}

TEST_F(ClipboardExchangeTest, UnicodeTextOutsideTheCodePageIsConvertedAsUnicode) {
    const std::wstring copiedText = L"a\xD83D\xDE00 b\x0E01"; // an emoji and a Thai letter: no GBK form
    ClipboardExchange exchange;
    ASSERT_TRUE(exchange.SaveClipboard());
    {
        Copier copier({{CF_UNICODETEXT, WideBytes(copiedText)}});
        ASSERT_TRUE(exchange.WaitForCopy(2000));
    }
    OwnedText copied(exchange.TakeCopiedText());
    ASSERT_NE(copied, nullptr);
    ASSERT_TRUE(exchange.OfferConverted("LOSSY ANSI FORM", false));
    {
        Paster paster(CF_UNICODETEXT, false);
        ASSERT_TRUE(exchange.WaitForPaste(3000));
        ASSERT_TRUE(exchange.RestoreClipboard());
        EXPECT_TRUE(paster.taken == WideBytes(L"A\xD83D\xDE00 B\x0E01")) << "the paste got " << Describe(paster.taken);
    }
    ExpectEarlierContent();
}

TEST_F(ClipboardExchangeTest, TextTheCodePageHoldsIsOfferedAsTheGivenAnsiText) {
    ClipboardExchange exchange;
    ASSERT_TRUE(exchange.SaveClipboard());
    {
        Copier copier({{CF_UNICODETEXT, WideBytes(L"mixed \x4E2D\x6587 text")}});
        ASSERT_TRUE(exchange.WaitForCopy(2000));
    }
    ASSERT_TRUE(exchange.OfferConverted("THE ANSI PATH", false));
    {
        Paster paster(CF_TEXT, false);
        ASSERT_TRUE(exchange.WaitForPaste(3000));
        ASSERT_TRUE(exchange.RestoreClipboard());
        EXPECT_TRUE(StartsWith(paster.taken, AnsiBytes("THE ANSI PATH"))) << "the paste got " << Describe(paster.taken);
    }
    ExpectEarlierContent();
}

TEST_F(ClipboardExchangeTest, NothingCopiedWritesNothingAndLeavesPostedMessagesQueued) {
    const DWORD sequence = GetClipboardSequenceNumber();
    // A further hot-key press arrives as a posted message: the waits must leave it for the loop.
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_APP + 7, 33001, 0));
    {
        ClipboardExchange exchange;
        ASSERT_TRUE(exchange.SaveClipboard());
        EXPECT_FALSE(exchange.WaitForCopy(60)) << "a copy was seen where none was made";
        EXPECT_TRUE(exchange.RestoreClipboard());
    }
    EXPECT_EQ(GetClipboardSequenceNumber(), sequence) << "the clipboard was written";
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_APP + 7, WM_APP + 7, PM_REMOVE)) << "the posted message was taken";
    ExpectEarlierContent();
}

TEST_F(ClipboardExchangeTest, ABusyClipboardIsNeitherReadNorWritten) {
    const DWORD sequence = GetClipboardSequenceNumber();
    ClipboardHolderThread holder;
    ASSERT_TRUE(holder.Holding());
    {
        ClipboardExchange exchange;
        EXPECT_FALSE(exchange.SaveClipboard()) << "saved a clipboard another thread holds open";
        EXPECT_FALSE(exchange.WaitForCopy(0));
        EXPECT_FALSE(exchange.OfferConverted("X", false));
    }
    holder.Release();
    EXPECT_EQ(GetClipboardSequenceNumber(), sequence) << "the clipboard was written";
    ExpectEarlierContent();
}

TEST_F(ClipboardExchangeTest, ContentAnotherProgramPutsThereMeanwhileIsKept) {
    ClipboardExchange exchange;
    ASSERT_TRUE(exchange.SaveClipboard());
    {
        Copier copier({{CF_TEXT, AnsiBytes("abc")}});
        ASSERT_TRUE(exchange.WaitForCopy(2000));
    }
    ASSERT_TRUE(exchange.OfferConverted("ABC", false));
    {
        // Its EmptyClipboard tells the exchange window, which only a wait of the exchange answers.
        Copier other({{CF_TEXT, AnsiBytes("newer copy")}});
        EXPECT_TRUE(exchange.WaitForPaste(3000)) << "the takeover did not end the wait";
    }
    EXPECT_TRUE(exchange.RestoreClipboard());
    const std::optional<Bytes> text = ReadFormat(CF_TEXT);
    EXPECT_TRUE(text && StartsWith(*text, AnsiBytes("newer copy"))) << "got " << Describe(text);
}

TEST_F(ClipboardExchangeTest, NoticesAChangeOfForegroundWindowSinceTheCopy) {
    ClipboardExchange exchange;
    ASSERT_TRUE(exchange.SaveClipboard());
    EXPECT_TRUE(exchange.SameForeground());
    ForegroundWindow other;
    ASSERT_TRUE(other.InFront());
    EXPECT_FALSE(exchange.SameForeground()) << "another window came to the front, unnoticed";
}

TEST_F(ClipboardExchangeTest, WithoutAPasteTheEarlierContentReturnsAfterTheBound) {
    ClipboardExchange exchange;
    ASSERT_TRUE(exchange.SaveClipboard());
    {
        Copier copier({{CF_TEXT, AnsiBytes("abc")}});
        ASSERT_TRUE(exchange.WaitForCopy(2000));
    }
    ASSERT_TRUE(exchange.OfferConverted("ABC", false));
    EXPECT_FALSE(exchange.WaitForPaste(50)) << "a paste was seen where none was made";
    EXPECT_TRUE(exchange.RestoreClipboard());
    ExpectEarlierContent();
}

} // namespace
} // namespace runtime
