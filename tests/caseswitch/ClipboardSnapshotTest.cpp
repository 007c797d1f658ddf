#include "caseswitch/ClipboardSnapshot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ClipboardTestSupport.h"
#include "caseswitch/ClipboardGuard.h"

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

TEST(ClipboardSnapshot, KeepsOnlyTheSourceOfSynthesisedFormats) {
    std::string why;
    ASSERT_TRUE(PutFormats({{CF_UNICODETEXT, WideBytes(L"Only Unicode")}, SampleDib()}, &why)) << why;
    const std::vector<UINT> listed = ListFormats();
    ASSERT_TRUE(Contains(listed, CF_TEXT) && Contains(listed, CF_BITMAP))
        << "the system was expected to synthesise CF_TEXT and CF_BITMAP; it lists " << List(listed);

    const std::vector<UINT> saved = SavedFormats(TakeSnapshot());
    EXPECT_TRUE(Contains(saved, CF_UNICODETEXT) && Contains(saved, CF_DIB)) << "saved " << List(saved);
    for (UINT synthesised : {CF_TEXT, CF_OEMTEXT, CF_BITMAP, CF_DIBV5, CF_PALETTE}) {
        EXPECT_FALSE(Contains(saved, synthesised))
            << "saved the synthesised format " << synthesised << ": " << List(saved);
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

TEST(ClipboardSnapshot, ChoosesFamiliesByTheirFirstMemberAndSkipsHandlesAndLinks) {
    struct Case {
        const char* what;
        std::vector<UINT> listed;
        std::vector<UINT> expected;
    };
    const UINT rtf = Registered("Rich Text Format");
    const Case cases[] = {
        {"bitmap handle first: its DIB", {CF_BITMAP, CF_DIB, CF_DIBV5, CF_PALETTE}, {CF_DIB}},
        {"DIBV5 first", {CF_DIBV5, CF_BITMAP, CF_DIB}, {CF_DIBV5}},
        {"bitmap handle without a DIB", {CF_BITMAP}, {}},
        {"metafile picture first: the enhanced form", {CF_METAFILEPICT, CF_ENHMETAFILE}, {CF_ENHMETAFILE}},
        {"ANSI text first", {CF_TEXT, CF_LOCALE, CF_OEMTEXT, CF_UNICODETEXT}, {CF_TEXT, CF_LOCALE}},
        {"handles of the copying program", {CF_PRIVATEFIRST, CF_GDIOBJFIRST + 3, CF_OWNERDISPLAY, CF_DSPBITMAP}, {}},
        {"OLE links",
         {Registered("Link Source"), Registered("Ole Private Data"), Registered("DataObject"), rtf, CF_HDROP},
         {rtf, CF_HDROP}},
    };
    for (const Case& c : cases) {
        std::vector<UINT> chosen;
        for (const SavedFormat& saved : ChooseFormatsToSave(c.listed))
            chosen.push_back(saved.format);
        EXPECT_EQ(List(chosen), List(c.expected)) << c.what;
    }
}

} // namespace
} // namespace runtime
