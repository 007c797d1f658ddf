#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <vector>

#include "IconFileBuilder.h"
#include "tray/IconFile.h"
#include "tray/IconFromBytes.h"
#include "tray/IconHandle.h"
#include "tray/TrayIconImage.h"
#include "tray/TrayIconSource.h"

namespace runtime {
namespace {

using tray_test::Bytes;

struct IconSize {
    LONG width = 0;
    LONG height = 0;
    bool isIcon = false;
};

class Bitmap {
public:
    explicit Bitmap(HBITMAP bitmap) : bitmap(bitmap) {}
    ~Bitmap() {
        if (bitmap) DeleteObject(bitmap);
    }
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    HBITMAP Get() const { return bitmap; }

private:
    HBITMAP bitmap;
};

// The size of the icon's colour bitmap, from the system's own record of the icon.
IconSize SizeOf(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return {};
    const Bitmap colour(info.hbmColor);
    const Bitmap mask(info.hbmMask);
    BITMAP bitmap = {};
    if (!GetObjectA(colour.Get() ? colour.Get() : mask.Get(), sizeof bitmap, &bitmap)) return {};
    return {bitmap.bmWidth, colour.Get() ? bitmap.bmHeight : bitmap.bmHeight / 2, info.fIcon != FALSE};
}

const std::uint8_t* TrayBytes() {
    return program::kTrayIconImage.bytes;
}
constexpr std::int32_t kTrayLength = static_cast<std::int32_t>(program::kTrayIconImageSize);

TEST(IconFromBytes, TheTrayImageGivesA48By48IconUnderEitherPreference) {
    for (const int preference : {kPreferSmallImage, kPreferLargeImage}) {
        const IconHandle icon(IconFromBytes(TrayBytes(), kTrayLength, preference));
        ASSERT_TRUE(icon) << "preference " << preference << ", error " << GetLastError();
        const IconSize size = SizeOf(icon.Get());
        EXPECT_TRUE(size.isIcon);
        EXPECT_EQ(size.width, 48);
        EXPECT_EQ(size.height, 48);
    }
}

TEST(IconFromBytes, EachCallMakesANewHandle) {
    const IconHandle first(IconFromBytes(TrayBytes(), kTrayLength, kPreferSmallImage));
    const IconHandle second(IconFromBytes(TrayBytes(), kTrayLength, kPreferSmallImage));
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_NE(first.Get(), second.Get());
}

TEST(IconFromBytes, TheProgramIconFileGivesItsLastImage) {
    // All of its images have 256 colours or more, so neither preference picks the 32 by 32 one; the
    // last, like the others, is a PNG, whose own header gives the size.
    const FileBytes file = ReadWholeFile(CASESWITCH_PROGRAM_ICON_FILE);
    ASSERT_GT(file.length, 0) << CASESWITCH_PROGRAM_ICON_FILE;
    for (const int preference : {kPreferSmallImage, kPreferLargeImage}) {
        const IconHandle icon(IconFromBytes(file.bytes.get(), file.length, preference));
        ASSERT_TRUE(icon) << "preference " << preference;
        const IconSize size = SizeOf(icon.Get());
        EXPECT_EQ(size.width, 16);
        EXPECT_EQ(size.height, 16);
    }
}

TEST(IconFromBytes, CutShortBytesGiveNoIcon) {
    for (std::int32_t length = 0; length < kTrayLength; length += (length < 100 ? 1 : 97)) {
        const Bytes cut(TrayBytes(), TrayBytes() + length);
        const IconHandle icon(IconFromBytes(cut.data(), length, kPreferSmallImage));
        EXPECT_FALSE(icon) << "cut to " << length << " bytes";
    }
    EXPECT_FALSE(IconHandle(IconFromBytes(TrayBytes(), kTrayLength - 1, kPreferSmallImage)));
}

// Damaged image headers are the system's to judge; whatever it answers, it answers without
// taking the process down, and an icon it does make is a proper one.
TEST(IconFromBytes, DamagedImageHeadersAreSurvived) {
    struct Damage {
        std::size_t at; // offset in the file
        std::uint32_t value;
        const char* what;
    };
    const Damage damages[] = {
        {22 + 0, 0xFFFFFFFF, "header size huge"},
        {22 + 0, 12, "header size of an OS/2 header"},
        {22 + 4, 0x80000000, "width most negative"},
        {22 + 4, 0x7FFFFFFF, "width huge"},
        {22 + 4, 0, "width 0"},
        {22 + 8, 0, "height 0"},
        {22 + 8, 0xFFFFFFA0, "height negative"},
        {22 + 8, 0x7FFFFFFF, "height huge"},
        {22 + 14, 16, "16 bits per pixel"},
        {22 + 14, 1, "1 bit per pixel, no palette"},
        {22 + 14, 7, "7 bits per pixel"},
        {22 + 16, 3, "bit-field compression"},
        {22 + 16, 0xFFFFFFFF, "unknown compression"},
        {22 + 32, 0xFFFFFFFF, "palette of 4 billion colours"},
        {14, 40, "image size holds the header alone"},
    };
    for (const Damage& damage : damages) {
        Bytes file(TrayBytes(), TrayBytes() + kTrayLength);
        const bool sixteenBit = damage.at == 22 + 14;
        if (sixteenBit) {
            tray_test::PutU16(file, damage.at, static_cast<std::uint16_t>(damage.value));
        } else {
            tray_test::PutU32(file, damage.at, damage.value);
        }
        const IconHandle icon(IconFromBytes(file.data(), kTrayLength, kPreferSmallImage));
        if (icon) {
            const IconSize size = SizeOf(icon.Get());
            EXPECT_TRUE(size.isIcon) << damage.what;
            EXPECT_GT(size.width, 0) << damage.what;
        }
    }
}

TEST(IconFromBytes, MadeUpImagesWithoutPixelsGiveNoIcon) {
    // The builder's images hold a header and 8 bytes: far too few for their pixels.
    const Bytes file = tray_test::IconFile({{16, 16, 4}, {32, 16, 4}});
    EXPECT_FALSE(IconHandle(IconFromBytes(file.data(), static_cast<std::int32_t>(file.size()), 0)));
    EXPECT_FALSE(IconHandle(IconFromBytes(file.data(), static_cast<std::int32_t>(file.size()), 1)));
}

} // namespace
} // namespace runtime
