#include "caseswitch/clipboard/ClipboardSnapshot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ClipboardTestSupport.h"
#include "caseswitch/clipboard/ClipboardGuard.h"

namespace runtime {
namespace {

using namespace exchange_test;

std::string List(const std::vector<UINT>& formats) {
    std::string out;
    for (UINT format : formats)
        out += std::to_string(format) + " ";
    return out;
}

std::vector<UINT> SavedFormats(const ClipboardSnapshot& snapshot) {
    std::vector<UINT> formats;
    for (const SavedFormat& saved : snapshot.Formats())
        formats.push_back(saved.format);
    return formats;
}

ClipboardSnapshot TakeSnapshot() {
    ClipboardGuard clipboard(nullptr, 2000);
    EXPECT_TRUE(clipboard.IsOpen()) << "could not open the clipboard";
    return ClipboardSnapshot::TakeFromOpenClipboard();
}

bool PutBack(const ClipboardSnapshot& snapshot) {
    ClipboardGuard clipboard(nullptr, 2000);
    if (!clipboard.IsOpen()) return false;
    EmptyClipboard();
    return snapshot.PutOnOpenClipboard();
}

bool Contains(const std::vector<UINT>& formats, UINT format) {
    return std::find(formats.begin(), formats.end(), format) != formats.end();
}

TEST(ClipboardSnapshot, EveryCopyableFormatComesBackByteForByte) {
    const std::vector<Format> earlier = {
        {CF_TEXT, AnsiBytes("Earlier text")}, SampleRichText(), SampleDib(), SampleCustom()};
    std::string why;
    ASSERT_TRUE(PutFormats(earlier, &why)) << why;
    const std::vector<UINT> listedBefore = ListFormats();
    const ClipboardSnapshot snapshot = TakeSnapshot();

    ASSERT_TRUE(PutFormats({{CF_TEXT, AnsiBytes("something else")}}, &why)) << why;
    ASSERT_TRUE(PutBack(snapshot)) << "a saved format was refused";

    for (const auto& [format, bytes] : earlier) {
        const std::optional<Bytes> now = ReadFormat(format);
        EXPECT_TRUE(now && StartsWith(*now, bytes))
            << "format " << format << ": expected " << Describe(bytes) << ", got " << Describe(now);
    }
    EXPECT_EQ(List(ListFormats()), List(listedBefore)) << "the clipboard lists other formats than before";
}

bool RunningOnWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

TEST(ClipboardSnapshot, KeepsEveryFormatTheOwnerPlacedAndNoneWineSynthesised) {
    // A real CF_UNICODETEXT after CF_TEXT and a real CF_DIBV5 after CF_DIB, each unlike what the
    // system would make from the first.
    const std::vector<Format> placed = {{CF_TEXT, AnsiBytes("ansi text")},
                                        {CF_UNICODETEXT, WideBytes(L"unicode \x4E2D\xD83D\xDE00")},
                                        SampleDib(),
                                        SampleDibV5()};
    std::string why;
    ASSERT_TRUE(PutFormats(placed, &why)) << why;
    const std::vector<UINT> listed = ListFormats();
    const ClipboardSnapshot snapshot = TakeSnapshot();
    const std::vector<UINT> saved = SavedFormats(snapshot);
    for (UINT format : {CF_TEXT, CF_UNICODETEXT, CF_DIB, CF_DIBV5, CF_LOCALE}) {
        EXPECT_TRUE(Contains(saved, format)) << "format " << format << " was not saved: " << List(saved);
    }
    // The system made CF_OEMTEXT (and CF_BITMAP, a handle, never saved). Under Wine, reading what
    // it synthesised costs memory for good; elsewhere it is read like the rest.
    ASSERT_TRUE(Contains(listed, CF_OEMTEXT)) << "expected a synthesised CF_OEMTEXT: " << List(listed);
    EXPECT_EQ(Contains(saved, CF_OEMTEXT), !RunningOnWine()) << "saved " << List(saved);
    EXPECT_FALSE(Contains(saved, CF_BITMAP)) << "saved " << List(saved);

    ASSERT_TRUE(PutFormats({{CF_TEXT, AnsiBytes("something else")}}, &why)) << why;
    ASSERT_TRUE(PutBack(snapshot));
    for (const auto& [format, bytes] : placed) {
        const std::optional<Bytes> now = ReadFormat(format);
        EXPECT_TRUE(now && StartsWith(*now, bytes))
            << "format " << format << ": expected " << Describe(bytes) << ", got " << Describe(now);
    }
}

TEST(ClipboardSnapshot, EnhancedMetafileComesBackWithTheSameRecords) {
    HDC recorder = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(recorder, nullptr);
    Rectangle(recorder, 1, 2, 30, 40);
    HENHMETAFILE metafile = CloseEnhMetaFile(recorder);
    ASSERT_NE(metafile, nullptr);
    Bytes expected(GetEnhMetaFileBits(metafile, 0, nullptr));
    GetEnhMetaFileBits(metafile, static_cast<UINT>(expected.size()), expected.data());
    {
        ClipboardGuard clipboard(nullptr, 2000);
        ASSERT_TRUE(clipboard.IsOpen());
        EmptyClipboard();
        ASSERT_NE(SetClipboardData(CF_ENHMETAFILE, metafile), nullptr);
    }
    const ClipboardSnapshot snapshot = TakeSnapshot();
    ASSERT_TRUE(EmptyTheClipboard());
    ASSERT_TRUE(PutBack(snapshot));

    ClipboardGuard clipboard(nullptr, 2000);
    ASSERT_TRUE(clipboard.IsOpen());
    HENHMETAFILE restored = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
    ASSERT_NE(restored, nullptr) << "no enhanced metafile after the restore";
    Bytes seen(GetEnhMetaFileBits(restored, 0, nullptr));
    GetEnhMetaFileBits(restored, static_cast<UINT>(seen.size()), seen.data());
    EXPECT_TRUE(seen == expected) << "expected " << Describe(expected) << ", got " << Describe(seen);
}

TEST(ClipboardSnapshot, AnEmptyClipboardStaysEmpty) {
    ASSERT_TRUE(EmptyTheClipboard());
    const ClipboardSnapshot snapshot = TakeSnapshot();
    EXPECT_TRUE(snapshot.Formats().empty()) << "saved " << List(SavedFormats(snapshot));
    ASSERT_TRUE(PutFormats({{CF_TEXT, AnsiBytes("converted")}}));
    ASSERT_TRUE(PutBack(snapshot));
    EXPECT_EQ(List(ListFormats()), "") << "an empty clipboard came back with formats";
}

} // namespace
} // namespace runtime
