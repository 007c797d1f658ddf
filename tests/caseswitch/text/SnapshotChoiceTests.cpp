#include "caseswitch/text/SnapshotChoice.h"

#include <gtest/gtest.h>

#include <string>

namespace runtime {
namespace {

using namespace format;

std::string List(const std::vector<std::uint32_t>& formats) {
    std::string out;
    for (std::uint32_t id : formats)
        out += std::to_string(id) + " ";
    return out;
}

TEST(SnapshotChoice, WinesSynthesisedFormatsAreKnownByWhereTheyStand) {
    struct Case {
        const char* placed;
        std::vector<std::uint32_t> listed; // as Wine 8 lists them (measured)
        std::size_t expected;
    };
    const Case cases[] = {
        {"CF_TEXT", {kText, kLocale, kOemText, kUnicodeText}, 1},
        {"CF_UNICODETEXT", {kUnicodeText, kLocale, kText, kOemText}, 1},
        {"CF_TEXT, CF_UNICODETEXT", {kText, kUnicodeText, kLocale, kOemText}, 2},
        {"CF_TEXT, CF_LOCALE, CF_UNICODETEXT", {kText, kLocale, kUnicodeText, kOemText}, 3},
        {"CF_DIB", {kDib, kBitmap, kDibV5}, 1},
        {"CF_DIB, RTF, CF_TEXT", {kDib, 0xC01C, kText, kLocale, kOemText, kUnicodeText, kBitmap, kDibV5}, 3},
        {"nothing", {}, 0},
        {"a listing Wine never makes", {kText, kOemText}, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlacedUnderWine(c.listed), c.expected) << c.placed << ": " << List(c.listed);
    }
}

TEST(SnapshotChoice, KeepsWhatTheOwnerPlacedAsBytes) {
    struct Case {
        const char* what;
        std::vector<ListedFormat> listed;
        std::size_t placed;
        std::vector<std::uint32_t> expected;
    };
    const ListedFormat rtf{0xC01C, "Rich Text Format", {}};
    const Case cases[] = {
        {"every text format, a later CF_UNICODETEXT too",
         {{kText, {}, {}}, {kUnicodeText, {}, {}}, {kLocale, {}, {}}, {kOemText, {}, {}}},
         4,
         {kText, kUnicodeText, kLocale, kOemText}},
        {"both DIB forms; no handles",
         {{kBitmap, {}, {}}, {kDib, {}, {}}, {kDibV5, {}, {}}, {kPalette, {}, {}}},
         4,
         {kDib, kDibV5}},
        {"the enhanced metafile, not the picture handle",
         {{kMetafilePicture, {}, {}}, {kEnhancedMetafile, {}, {}}},
         2,
         {kEnhancedMetafile}},
        {"display, private, GDI formats and OLE links",
         {{kOwnerDisplay, {}, {}},
          {kDisplayBitmap, {}, {}},
          {0x200, {}, {}},
          {0x3FF, {}, {}},
          {0xC001, "Link Source", {}},
          {0xC002, "ole private data", {}},
          rtf,
          {kFileList, {}, {}}},
         8,
         {0xC01C, kFileList}},
        {"under Wine: the locale but no synthesised text",
         {{kUnicodeText, {}, {}}, rtf, {kLocale, {}, {}}, {kText, {}, {}}, {kOemText, {}, {}}},
         2,
         {kUnicodeText, 0xC01C, kLocale}},
        {"under Wine: a bitmap placed as a handle keeps one DIB",
         {{kBitmap, {}, {}}, {kDib, {}, {}}, {kDibV5, {}, {}}},
         1,
         {kDib}},
        {"under Wine: a metafile picture keeps its enhanced form",
         {{kMetafilePicture, {}, {}}, {kEnhancedMetafile, {}, {}}},
         1,
         {kEnhancedMetafile}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint32_t> chosen;
        for (const FormatToSave& saved : ChooseFormatsToSave(c.listed, c.placed)) {
            chosen.push_back(saved.id);
            EXPECT_EQ(saved.enhancedMetafile, saved.id == kEnhancedMetafile) << c.what;
        }
        EXPECT_EQ(List(chosen), List(c.expected)) << c.what;
    }
}

TEST(SnapshotChoice, OnlyTheLargeFormatsOfALargeContentGoBackLater) {
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    struct Case {
        std::size_t format, content;
        bool later;
    };
    const Case cases[] = {
        {kMiB, kMiB, false},          // the whole content is small
        {kMiB, kMiB + 1, true},       // a large format of a large content
        {64 << 10, 32 * kMiB, false}, // a small format (a locale, a short text) of a large content
        {(64 << 10) + 1, 2 * kMiB, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PutBackLater(c.format, c.content), c.later) << c.format << " bytes of " << c.content;
    }
}

} // namespace
} // namespace runtime
