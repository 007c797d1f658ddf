// Where the icon comes from: bytes that make an icon add or change it; anything else removes it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "IconFileBuilder.h"
#include "TrayArea.h"
#include "TrayTestWindow.h"
#include "tray/TrayIconImage.h"
#include "tray/TrayIconSource.h"

namespace runtime {
namespace {

using tray_test::TrayIconWindows;
using tray_test::TrayTestWindow;
using tray_test::WaitForIconCount;

const std::uint8_t* const kImage = program::kTrayIconImage.bytes;
constexpr std::int32_t kImageLength = static_cast<std::int32_t>(program::kTrayIconImageSize);

class OwnedFile {
public:
    explicit OwnedFile(HANDLE handle) : handle(handle) {}
    ~OwnedFile() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    OwnedFile(const OwnedFile&) = delete;
    OwnedFile& operator=(const OwnedFile&) = delete;
    HANDLE Get() const { return handle; }

private:
    HANDLE handle;
};

// A file in the temporary folder holding `bytes`, deleted at the end of the test.
class TempFile {
public:
    TempFile(const std::uint8_t* bytes, std::int32_t length) {
        char folder[MAX_PATH];
        char name[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        GetTempFileNameA(folder, "ico", 0, name);
        path = name;
        const OwnedFile file(
            CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (length > 0) WriteFile(file.Get(), bytes, static_cast<DWORD>(length), &written, nullptr);
    }
    ~TempFile() { DeleteFileA(path.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const char* Path() const { return path.c_str(); }

private:
    std::string path;
};

class TrayIconSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.Handle());
        ASSERT_TRUE(WaitForIconCount(0));
    }

    // Shows the image so that the next call has an icon to change or remove.
    void ShowImage() {
        SetTrayIconFromBytes(window.Tray(), kImage, kImageLength, "shown");
        ASSERT_NE(window.Tray().Current(), nullptr);
        ASSERT_TRUE(WaitForIconCount(1));
    }

    void ExpectRemoved(const char* what) {
        EXPECT_EQ(window.Tray().Current(), nullptr) << what;
        EXPECT_TRUE(WaitForIconCount(0)) << what << ": " << TrayIconWindows().size() << " icons";
    }

    TrayTestWindow window;
};

TEST_F(TrayIconSourceTest, IconBytesAddThenChangeTheIcon) {
    ShowImage();
    const HICON first = window.Tray().Current();
    SetTrayIconFromBytes(window.Tray(), kImage, kImageLength, "again");
    EXPECT_NE(window.Tray().Current(), nullptr);
    EXPECT_NE(window.Tray().Current(), first) << "every call makes a fresh handle";
    EXPECT_TRUE(WaitForIconCount(1));
    EXPECT_STREQ(window.Tray().Tip(), "again");
}

TEST_F(TrayIconSourceTest, BytesThatGiveNoIconRemoveIt) {
    const tray_test::Bytes notAnImage = tray_test::IconFile({{16, 16, 4}});
    struct Case {
        const std::uint8_t* bytes;
        std::int32_t length;
        const char* what;
    };
    const Case cases[] = {
        {nullptr, kImageLength, "no bytes"},
        {kImage, 0, "length 0"},
        {kImage, -5, "negative length"},
        {kImage, kImageLength - 1, "cut short by one byte"},
        {notAnImage.data(), static_cast<std::int32_t>(notAnImage.size()), "an image the system refuses"},
    };
    for (const Case& c : cases) {
        ShowImage();
        SetTrayIconFromBytes(window.Tray(), c.bytes, c.length, "tip");
        ExpectRemoved(c.what);
    }
}

TEST_F(TrayIconSourceTest, AnIconFileIsReadWhole) {
    const TempFile file(kImage, kImageLength);
    SetTrayIconFromFile(window.Tray(), file.Path(), "from a file");
    EXPECT_NE(window.Tray().Current(), nullptr);
    EXPECT_TRUE(WaitForIconCount(1));

    const FileBytes content = ReadWholeFile(file.Path());
    ASSERT_EQ(content.length, kImageLength);
    EXPECT_EQ(std::memcmp(content.bytes.get(), kImage, program::kTrayIconImageSize), 0);
}

TEST_F(TrayIconSourceTest, FilesThatGiveNoBytesRemoveTheIcon) {
    const TempFile empty(nullptr, 0);
    const TempFile cut(kImage, 100);
    const TempFile whole(kImage, kImageLength);

    const char* const names[] = {nullptr, "", "Z:\\no\\such\\folder\\tray.ico", empty.Path(), cut.Path()};
    for (const char* name : names) {
        ShowImage();
        SetTrayIconFromFile(window.Tray(), name, "tip");
        ExpectRemoved(name ? name : "(null name)");
    }

    // A file someone is writing to is not read: it is opened with writing by others denied.
    const OwnedFile writer(CreateFileA(whole.Path(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(writer.Get(), INVALID_HANDLE_VALUE);
    ShowImage();
    SetTrayIconFromFile(window.Tray(), whole.Path(), "tip");
    ExpectRemoved("file open for writing elsewhere");
    EXPECT_EQ(ReadWholeFile(whole.Path()).length, 0);
}

TEST_F(TrayIconSourceTest, AFileOthersOnlyReadIsRead) {
    const TempFile whole(kImage, kImageLength);
    const OwnedFile reader(CreateFileA(whole.Path(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(reader.Get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadWholeFile(whole.Path()).length, kImageLength);
}

} // namespace
} // namespace runtime
