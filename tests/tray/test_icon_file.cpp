#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <vector>

#include "IconFileBuilder.h"
#include "tray/IconFile.h"
#include "tray/TrayIconImage.h"

namespace runtime {
namespace {

using tray_test::Bytes;
using tray_test::Entry;
using tray_test::IconFile;
using tray_test::ImageOffset;

std::optional<IconImage> Locate(const Bytes& file, int preference) {
    return LocateIconImage(file.data(), static_cast<std::int32_t>(file.size()), preference);
}

// Which entry's image was chosen, by where it starts; -1 for none.
int ChosenEntry(const Bytes& file, std::size_t entryCount, int preference) {
    const std::optional<IconImage> image = Locate(file, preference);
    if (!image) return -1;
    for (std::size_t i = 0; i < entryCount; ++i) {
        if (image->offset == ImageOffset(entryCount, i)) return static_cast<int>(i);
    }
    ADD_FAILURE() << "image at " << image->offset << " belongs to no entry";
    return -2;
}

TEST(IconFileEntryChoice, EntriesWithFewerThan16ColoursNeverStopTheSearch) {
    // Colour count 0 stands for 256 colours or more: such files always give their last entry.
    const Bytes deep = IconFile({{16, 0}, {32, 0}, {48, 0}});
    EXPECT_EQ(ChosenEntry(deep, 3, kPreferSmallImage), 2);
    EXPECT_EQ(ChosenEntry(deep, 3, kPreferLargeImage), 2);

    const Bytes fifteen = IconFile({{16, 15}, {32, 15}, {24, 0}});
    EXPECT_EQ(ChosenEntry(fifteen, 3, kPreferSmallImage), 2);
    EXPECT_EQ(ChosenEntry(fifteen, 3, kPreferLargeImage), 2);
}

TEST(IconFileEntryChoice, SixteenColourEntriesOfThePreferredWidthWin) {
    const Bytes file = IconFile({{16, 16}, {32, 16}});
    EXPECT_EQ(ChosenEntry(file, 2, kPreferSmallImage), 0);
    EXPECT_EQ(ChosenEntry(file, 2, kPreferLargeImage), 1);

    // The first matching entry is taken, after entries that do not match.
    const Bytes later = IconFile({{48, 0}, {32, 255}, {16, 16}, {16, 200}, {32, 16}});
    EXPECT_EQ(ChosenEntry(later, 5, kPreferSmallImage), 2);
    EXPECT_EQ(ChosenEntry(later, 5, kPreferLargeImage), 1);
}

TEST(IconFileEntryChoice, AnUnknownPreferenceTakesTheLastEntry) {
    const Bytes file = IconFile({{16, 16}, {32, 16}, {48, 16}});
    for (const int preference : {2, -1, INT_MAX}) {
        EXPECT_EQ(ChosenEntry(file, 3, preference), 2) << "preference " << preference;
    }
}

TEST(IconFileImage, TheImageHeaderGivesWidthHalfTheHeightAndBitCount) {
    Bytes file = IconFile({{32, 0, 8}});
    const std::optional<IconImage> image = Locate(file, kPreferSmallImage);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->offset, ImageOffset(1, 0));
    EXPECT_EQ(image->size, tray_test::kImageSize);
    EXPECT_EQ(image->width, 32);
    EXPECT_EQ(image->height, 32);
    EXPECT_EQ(image->bitsPerPixel, 8);

    // Odd and negative heights are halved toward zero; the directory's own sizes play no part.
    tray_test::PutU32(file, ImageOffset(1, 0) + 4, 7);
    tray_test::PutU32(file, ImageOffset(1, 0) + 8, static_cast<std::uint32_t>(-7));
    file[tray_test::EntryOffset(0)] = 99;
    const std::optional<IconImage> odd = Locate(file, kPreferSmallImage);
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->width, 7);
    EXPECT_EQ(odd->height, -3);
}

TEST(IconFileImage, APngImageGivesItsOwnWidthAndHeight) {
    Bytes file = IconFile({{16, 0}});
    const std::size_t at = ImageOffset(1, 0);
    const std::uint8_t png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13,
                                'I',  'H', 'D', 'R', 0,    0,    0,    20,   0, 0, 0, 24};
    std::copy(std::begin(png), std::end(png), file.begin() + static_cast<std::ptrdiff_t>(at));
    const std::optional<IconImage> image = Locate(file, kPreferSmallImage);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 20);
    EXPECT_EQ(image->height, 24);
    EXPECT_EQ(image->bitsPerPixel, 0);
}

TEST(IconFileHeader, OnlyIconAndCursorFilesWithImagesAreRead) {
    const Bytes good = IconFile({{16, 0}});
    EXPECT_TRUE(Locate(good, kPreferSmallImage));
    EXPECT_TRUE(Locate(IconFile({{16, 0}}, 2), kPreferSmallImage)) << "cursor files give icons too";

    Bytes reserved = good;
    tray_test::PutU16(reserved, 0, 1);
    EXPECT_FALSE(Locate(reserved, kPreferSmallImage)) << "reserved field not 0";

    for (const std::uint16_t type : {0, 3, 0xFFFF}) {
        EXPECT_FALSE(Locate(IconFile({{16, 0}}, type), kPreferSmallImage)) << "resource type " << type;
    }

    Bytes none = good;
    tray_test::PutU16(none, 4, 0);
    EXPECT_FALSE(Locate(none, kPreferSmallImage)) << "zero images";
}

TEST(IconFileHeader, NoBytesGiveNoImage) {
    const Bytes good = IconFile({{16, 0}});
    EXPECT_FALSE(LocateIconImage(nullptr, 100, kPreferSmallImage));
    EXPECT_FALSE(LocateIconImage(good.data(), 0, kPreferSmallImage));
    EXPECT_FALSE(LocateIconImage(good.data(), -1, kPreferSmallImage));
    EXPECT_FALSE(LocateIconImage(good.data(), INT32_MIN, kPreferSmallImage));
}

// Each cut-short copy lives in a heap block of exactly its length, so the sanitizer catches any
// read past its end, not only a wrong answer.
void ExpectNoImageWhenCut(const std::uint8_t* bytes, std::size_t full, std::size_t needed, const char* what) {
    for (std::size_t length = 0; length < full; ++length) {
        const Bytes cut(bytes, bytes + length);
        const std::optional<IconImage> image =
            LocateIconImage(cut.data(), static_cast<std::int32_t>(length), kPreferSmallImage);
        EXPECT_EQ(image.has_value(), length >= needed) << what << " cut to " << length << " of " << full << " bytes";
    }
}

TEST(IconFileBounds, TheTrayImageCutAtAnyLengthGivesNoImage) {
    const auto& block = program::kTrayIconImage;
    ExpectNoImageWhenCut(block.bytes, program::kTrayIconImageSize, program::kTrayIconImageSize, "tray image");
}

TEST(IconFileBounds, BytesAfterTheChosenImageAreNotNeeded) {
    // Entry 1 matches; entry 2 and the images after entry 1's image are never read.
    const Bytes file = IconFile({{48, 0}, {16, 16}, {32, 0}});
    ExpectNoImageWhenCut(file.data(), file.size(), ImageOffset(3, 1) + tray_test::kImageSize, "three images");
    // But every entry up to the chosen one must be whole.
    const Bytes last = IconFile({{48, 0}, {32, 0}});
    const Bytes directoryOnly(last.begin(), last.begin() + static_cast<std::ptrdiff_t>(tray_test::EntryOffset(2) - 1));
    EXPECT_FALSE(Locate(directoryOnly, kPreferSmallImage));
}

TEST(IconFileBounds, ImagesOutsideTheFileGiveNoImage) {
    const Bytes good = IconFile({{16, 0}});
    const std::size_t entry = tray_test::EntryOffset(0);
    struct Case {
        std::uint32_t size;
        std::uint32_t offset;
        const char* what;
    };
    const std::uint32_t fileSize = static_cast<std::uint32_t>(good.size());
    const Case cases[] = {
        {48, fileSize, "offset at the end"},
        {48, fileSize - 47, "one byte past the end"},
        {48, 0xFFFFFFF0u, "offset + size wraps around 32 bits"},
        {0xFFFFFFFFu, 22, "size beyond the file"},
        {0, 22, "empty image"},
        {15, 22, "too small for the fields read from it"},
    };
    for (const Case& c : cases) {
        Bytes file = good;
        tray_test::PutU32(file, entry + 8, c.size);
        tray_test::PutU32(file, entry + 12, c.offset);
        EXPECT_FALSE(Locate(file, kPreferSmallImage)) << c.what;
    }

    // An image may end exactly at the end of the file, and the smallest one holds 16 bytes.
    Bytes exact = good;
    tray_test::PutU32(exact, entry + 8, 16);
    tray_test::PutU32(exact, entry + 12, fileSize - 16);
    const std::optional<IconImage> image = Locate(exact, kPreferSmallImage);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->offset + image->size, fileSize);
}

} // namespace
} // namespace runtime
