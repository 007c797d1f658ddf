// Clipboard text access under Wine: what reads as no text, what a write leaves behind, how a busy
// clipboard is handled and how Unicode-only text comes back.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "ServicesTestSupport.h"
#include "caseswitch/clipboard/ClipboardGuard.h"
#include "runtime/ClipboardCommands.h"

namespace {

using services_test::BesideTest;
using services_test::ChildProcess;

struct OwnedText {
    runtime::Text text;
    explicit OwnedText(runtime::Text text) : text(text) {}
    ~OwnedText() { runtime::ReleaseMemory(text); }
    std::string Bytes() const { return text ? std::string(text) : std::string("<no text>"); }
};

class ClipboardText : public ::testing::Test {
protected:
    void SetUp() override {
        owner = services_test::StartExtensionLibrary();
        ASSERT_TRUE(services_test::WaitForClipboardManager()) << "Wine's clipboard manager did not start";
    }

    // Replaces the clipboard's content by blocks of the given formats, bypassing the code under test.
    void Put(const std::vector<std::pair<UINT, std::string>>& formats) {
        runtime::ClipboardGuard clipboard(owner, 1000);
        ASSERT_TRUE(clipboard.IsOpen()) << "held by window " << GetOpenClipboardWindow();
        ASSERT_TRUE(EmptyClipboard());
        for (const auto& [format, bytes] : formats) {
            runtime::GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
            ASSERT_TRUE(block);
            {
                runtime::GlobalLockGuard lock(block.Get());
                ASSERT_TRUE(lock.IsLocked());
                std::memcpy(lock.Data(), bytes.data(), bytes.size());
            }
            ASSERT_TRUE(SetClipboardData(format, block.Get())) << "format " << format << " error " << GetLastError();
            block.Release();
        }
    }

    std::vector<UINT> Formats() {
        runtime::ClipboardGuard clipboard(owner, 1000);
        std::vector<UINT> formats;
        if (!clipboard.IsOpen()) return formats;
        for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
            formats.push_back(format);
        }
        return formats;
    }

    // The whole block of a format, as big as the system says it is; "<none>" without one.
    std::string Block(UINT format) {
        runtime::ClipboardGuard clipboard(owner, 1000);
        if (!clipboard.IsOpen()) return "<not open>";
        runtime::GlobalLockGuard lock(GetClipboardData(format));
        if (!lock.IsLocked()) return "<none>";
        return std::string(static_cast<const char*>(lock.Data()), lock.Size());
    }

    HWND owner = nullptr;
};

std::string Dib() {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = 1;
    header.biHeight = 1;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof(header));
    bytes.append("\x10\x20\x30\x00", 4);
    return bytes;
}

std::string Wide(const wchar_t* text) {
    return std::string(reinterpret_cast<const char*>(text), (wcslen(text) + 1) * sizeof(wchar_t));
}

bool IsTextFormat(UINT format) {
    return format == CF_TEXT || format == CF_OEMTEXT || format == CF_UNICODETEXT || format == CF_LOCALE;
}

std::string Hex(const std::string& bytes) {
    std::string out;
    char digits[4];
    for (unsigned char c : bytes) {
        std::snprintf(digits, sizeof digits, "%02X ", c);
        out += digits;
    }
    return out;
}

TEST_F(ClipboardText, NoTextReadsAsTheEmptyText) {
    Put({{CF_DIB, Dib()}});
    OwnedText fromPicture(runtime::GetClipboardText());
    EXPECT_EQ(fromPicture.text, nullptr) << "a picture only gave \"" << fromPicture.Bytes() << "\"";

    Put({{CF_TEXT, std::string(1, '\0')}});
    OwnedText fromEmpty(runtime::GetClipboardText());
    EXPECT_EQ(fromEmpty.text, nullptr) << "an empty text gave \"" << fromEmpty.Bytes() << "\"";
}

TEST_F(ClipboardText, WrittenTextIsCodePage936OwnedByTheOwnerWindow) {
    const char text[] = "Hello \xD6\xD0\xCE\xC4"; // Hello and two GBK characters
    ASSERT_TRUE(runtime::SetClipboardText(text));
    EXPECT_EQ(GetClipboardOwner(), owner) << "the clipboard should belong to the runtime's owner window";
    OwnedText read(runtime::GetClipboardText());
    EXPECT_EQ(Hex(read.Bytes()), Hex(text));
    EXPECT_EQ(Block(CF_UNICODETEXT), Wide(L"Hello \u4E2D\u6587")) << "the system did not read the bytes as GBK";
}

TEST_F(ClipboardText, WritingTheEmptyStringLeavesOneEmptyTextAndNothingElse) {
    Put({{CF_DIB, Dib()}, {CF_TEXT, std::string("old\0", 4)}});
    for (const char* empty : {"", static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(empty ? "empty string" : "null text");
        ASSERT_TRUE(runtime::SetClipboardText(empty));
        EXPECT_EQ(Hex(Block(CF_TEXT)), Hex(std::string(1, '\0'))) << "CF_TEXT should be one NUL byte";
        std::string seen;
        for (UINT format : Formats()) {
            seen += std::to_string(format) + " ";
            EXPECT_TRUE(IsTextFormat(format)) << "format " << format << " survived the write";
        }
        std::printf("[ formats  ] after writing the empty text: %s(CountClipboardFormats %d)\n", seen.c_str(),
                    CountClipboardFormats());
        OwnedText read(runtime::GetClipboardText());
        EXPECT_EQ(read.text, nullptr) << "gave \"" << read.Bytes() << "\"";
    }
}

TEST_F(ClipboardText, UnicodeOnlyTextComesBackInCodePage936) {
    Put({{CF_UNICODETEXT, Wide(L"\u4E2D\u6587abc")}});
    OwnedText read(runtime::GetClipboardText());
    EXPECT_EQ(Hex(read.Bytes()), Hex("\xD6\xD0\xCE\xC4"
                                     "abc"));
}

TEST_F(ClipboardText, RefusedHandOverIsReportedAsFailure) {
    // Without an open clipboard SetClipboardData refuses every block.
    ASSERT_EQ(GetOpenClipboardWindow(), nullptr);
    EXPECT_FALSE(runtime::ReplaceOpenClipboardText("refused"));
}

// A second process that keeps the clipboard open for longer than the operations wait.
class ClipboardHolder {
public:
    ClipboardHolder() {
        const std::string suffix = std::to_string(GetCurrentProcessId());
        const std::string openedName = "services-test-opened-" + suffix;
        const std::string releaseName = "services-test-release-" + suffix;
        opened = CreateEventA(nullptr, TRUE, FALSE, openedName.c_str());
        release = CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str());
        process = std::make_unique<ChildProcess>("\"" + BesideTest("caseswitch_clipboard_holder.exe") + "\" " +
                                                 openedName + " " + releaseName);
        // Wine's new process sends to this thread's windows before it runs: keep handling messages.
        holding =
            process->Started() &&
            services_test::PumpUntil([&] { return WaitForSingleObject(opened, 0) == WAIT_OBJECT_0; }, 10000, opened);
    }
    ~ClipboardHolder() {
        Release();
        CloseHandle(opened);
        CloseHandle(release);
    }
    bool Holding() const { return holding; }
    // Lets the holder close the clipboard; its exit code (0 when it held it until told).
    DWORD Release() {
        SetEvent(release);
        DWORD code = 0xFFFFFFFF;
        process->WaitForExit(10000, code);
        return code;
    }

private:
    HANDLE opened = nullptr;
    HANDLE release = nullptr;
    std::unique_ptr<ChildProcess> process;
    bool holding = false;
};

TEST_F(ClipboardText, ClipboardHeldByAnotherProcessIsLeftAlone) {
    ASSERT_TRUE(runtime::SetClipboardText("kept"));
    ClipboardHolder holder;
    ASSERT_TRUE(holder.Holding()) << "the holder process did not open the clipboard";
    const DWORD sequence = GetClipboardSequenceNumber();

    LONGLONG start = services_test::Now();
    OwnedText read(runtime::GetClipboardText());
    const double readMicroseconds = services_test::Microseconds(start, services_test::Now());
    EXPECT_EQ(read.text, nullptr) << "read \"" << read.Bytes() << "\" from a clipboard held by another process";

    start = services_test::Now();
    const bool written = runtime::SetClipboardText("replaced");
    const double writeMicroseconds = services_test::Microseconds(start, services_test::Now());
    EXPECT_FALSE(written) << "a write to a clipboard held by another process reported success";
    std::printf("[ busy     ] read gave up after %.1f ms, write after %.1f ms\n", readMicroseconds / 1000,
                writeMicroseconds / 1000);

    EXPECT_EQ(holder.Release(), 0u) << "the holder lost the clipboard before it was told to close it";
    EXPECT_EQ(GetClipboardSequenceNumber(), sequence) << "the clipboard changed";
    OwnedText after(runtime::GetClipboardText());
    EXPECT_EQ(after.Bytes(), "kept");
}

TEST_F(ClipboardText, ShortHoldIsOutlastedAndSentMessagesAreHandledWhileWaiting) {
    // Another thread holds the clipboard, then asks this thread (by a sent message, which only the
    // guard's wait can handle) and closes the clipboard once it has been answered.
    services_test::RecordingWindow receiver;
    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND seenHolder = nullptr;
    receiver.onMessage = [&](const services_test::Message& m) {
        if (m.message == WM_APP) seenHolder = GetOpenClipboardWindow();
    };
    std::thread holder([&] {
        services_test::RecordingWindow holderWindow;
        if (!OpenClipboard(holderWindow.Handle())) return;
        SetEvent(opened);
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(receiver.Handle(), WM_APP, 0, 0, SMTO_NORMAL, 5000, &answer);
        CloseClipboard();
    });
    ASSERT_EQ(WaitForSingleObject(opened, 10000), WAIT_OBJECT_0) << "the holder thread did not open the clipboard";

    const LONGLONG start = services_test::Now();
    int attempts = 0;
    bool open = false;
    {
        runtime::ClipboardGuard clipboard(owner);
        attempts = clipboard.Attempts();
        open = clipboard.IsOpen();
    }
    const double microseconds = services_test::Microseconds(start, services_test::Now());
    holder.join();
    CloseHandle(opened);
    EXPECT_TRUE(open) << "gave up after " << attempts << " attempts";
    EXPECT_GE(attempts, 2);
    EXPECT_NE(seenHolder, nullptr) << "the sent message was handled while nobody held the clipboard";
    std::printf("[ retry    ] %s after %d attempts, %.2f ms\n", open ? "opened" : "gave up", attempts,
                microseconds / 1000);
}

} // namespace
