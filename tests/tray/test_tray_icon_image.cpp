// The tray icon image as the program carries it: the byte block around an icon file with one
// 48 by 48, 32 bits per pixel image, and a picture that is what it should be.
#include <gtest/gtest.h>

#include <cstdint>

#include "IconFileBuilder.h"
#include "tray/IconFile.h"
#include "tray/TrayIconImage.h"

namespace program {
namespace {

using tray_test::U16;
using tray_test::U32;

constexpr std::size_t kImageStart = 22;
constexpr std::size_t kPixelsStart = kImageStart + 40;
constexpr std::size_t kMaskStart = kPixelsStart + 48 * 48 * 4;

TEST(TrayIconImage, TheByteBlockHoldsOneIconFileOf9662Bytes) {
    EXPECT_EQ(kTrayIconImage.marker, 1u);
    EXPECT_EQ(kTrayIconImage.byteCount, 9662u);
    EXPECT_EQ(sizeof kTrayIconImage.bytes, 9662u);
    EXPECT_EQ(kMaskStart + 384, 9662u);
}

TEST(TrayIconImage, HeaderDirectoryAndBitmapHeaderHaveTheirFixedValues) {
    const std::uint8_t* b = kTrayIconImage.bytes;
    EXPECT_EQ(U16(b, 0), 0) << "reserved";
    EXPECT_EQ(U16(b, 2), 1) << "resource type";
    EXPECT_EQ(U16(b, 4), 1) << "number of images";
    EXPECT_EQ(b[6], 48) << "width";
    EXPECT_EQ(b[7], 48) << "height";
    EXPECT_EQ(b[8], 0) << "colour count";
    EXPECT_EQ(b[9], 0) << "entry reserved";
    EXPECT_EQ(U16(b, 10), 1) << "planes";
    EXPECT_EQ(U16(b, 12), 32) << "bits per pixel";
    EXPECT_EQ(U32(b, 14), 9640u) << "image size";
    EXPECT_EQ(U32(b, 18), 22u) << "image offset";

    const std::size_t h = kImageStart;
    EXPECT_EQ(U32(b, h + 0), 40u) << "header size";
    EXPECT_EQ(U32(b, h + 4), 48u) << "width";
    EXPECT_EQ(U32(b, h + 8), 96u) << "height: colour rows plus mask rows";
    EXPECT_EQ(U16(b, h + 12), 1) << "planes";
    EXPECT_EQ(U16(b, h + 14), 32) << "bits per pixel";
    EXPECT_EQ(U32(b, h + 16), 0u) << "compression";
    EXPECT_EQ(U32(b, h + 20), 9216u) << "image size";
    EXPECT_EQ(U32(b, h + 24), 2835u) << "x pixels per metre";
    EXPECT_EQ(U32(b, h + 28), 2835u) << "y pixels per metre";
    EXPECT_EQ(U32(b, h + 32), 0u) << "colours used";
    EXPECT_EQ(U32(b, h + 36), 0u) << "important colours";
}

TEST(TrayIconImage, TheOneEntryIsTakenUnderEitherPreference) {
    for (const int preference : {runtime::kPreferSmallImage, runtime::kPreferLargeImage}) {
        const auto image = runtime::LocateIconImage(kTrayIconImage.bytes, 9662, preference);
        ASSERT_TRUE(image) << "preference " << preference;
        EXPECT_EQ(image->offset, 22u);
        EXPECT_EQ(image->size, 9640u);
        EXPECT_EQ(image->width, 48);
        EXPECT_EQ(image->height, 48);
        EXPECT_EQ(image->bitsPerPixel, 32);
    }
}

struct Pixel {
    std::uint8_t blue, green, red, alpha;
};

// Rows counted from the top, as the picture is seen.
Pixel PixelAt(int x, int yFromTop) {
    const std::size_t at = kPixelsStart + (static_cast<std::size_t>(47 - yFromTop) * 48 + x) * 4;
    const std::uint8_t* b = kTrayIconImage.bytes + at;
    return {b[0], b[1], b[2], b[3]};
}

bool MaskBit(int x, int yFromTop) {
    const std::uint8_t row = kTrayIconImage.bytes[kMaskStart + static_cast<std::size_t>(47 - yFromTop) * 8 + x / 8];
    return (row & (0x80 >> (x % 8))) != 0;
}

TEST(TrayIconImage, TheMaskMarksExactlyTheTransparentPixels) {
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x) {
            EXPECT_EQ(MaskBit(x, y), PixelAt(x, y).alpha == 0) << "pixel " << x << "," << y;
        }
        // The two padding bytes of each mask row stay zero.
        const std::size_t row = kMaskStart + static_cast<std::size_t>(47 - y) * 8;
        EXPECT_EQ(kTrayIconImage.bytes[row + 6] | kTrayIconImage.bytes[row + 7], 0) << "row " << y;
    }
}

bool IsGrey(const Pixel& p) {
    return p.alpha == 255 && p.red == p.green && p.green == p.blue && p.red < 160;
}
bool IsWhite(const Pixel& p) {
    return p.alpha == 255 && p.red == 255 && p.green == 255 && p.blue == 255;
}
bool IsBlue(const Pixel& p) {
    return p.alpha == 255 && p.blue > 150 && p.blue > p.red + 60;
}

TEST(TrayIconImage, GreyLettersOnWhitePanelsOverABlueTile) {
    int greyLeft = 0, greyRight = 0, white = 0, blueEdge = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x) {
            const Pixel p = PixelAt(x, y);
            if (IsGrey(p)) ++(x < 24 ? greyLeft : greyRight);
            if (IsWhite(p)) ++white;
            if ((x == 2 || x == 45 || y == 2 || y == 45) && IsBlue(p)) ++blueEdge;
        }
    }
    // Capital A on the left, small a on the right: both letters carry a fair share of grey.
    EXPECT_GT(greyLeft, 150);
    EXPECT_GT(greyRight, 150);
    EXPECT_GT(white, 600);
    EXPECT_GT(blueEdge, 150) << "the tile shows around the panels";
    // The capital is taller than the small letter: grey starts higher on the left.
    auto topmostGrey = [](int fromX, int toX) {
        for (int y = 0; y < 48; ++y) {
            for (int x = fromX; x < toX; ++x) {
                if (IsGrey(PixelAt(x, y))) return y;
            }
        }
        return 48;
    };
    EXPECT_LT(topmostGrey(0, 24) + 6, topmostGrey(24, 48));
    // Corners of the rounded tile are transparent.
    EXPECT_EQ(PixelAt(0, 0).alpha, 0);
    EXPECT_EQ(PixelAt(47, 47).alpha, 0);
}

} // namespace
} // namespace program
