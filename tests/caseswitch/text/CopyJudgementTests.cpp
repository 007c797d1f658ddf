#include "caseswitch/text/CopyJudgement.h"

#include <gtest/gtest.h>

#include "WebCustomDataWriter.h"
#include "caseswitch/text/TerminalWindows.h"

namespace runtime {
namespace {

constexpr std::uint32_t kText = 1;
constexpr std::uint32_t kOemText = 7;
constexpr std::uint32_t kUnicodeText = 13;
constexpr std::uint32_t kDib = 8;
constexpr std::uint32_t kFiles = 15;
constexpr std::uint32_t kLocale = 16;

ListedFormat Registered(const char* name, std::string data = {}) {
    return {0xC100, name, std::move(data)};
}

// A browser engine's copy: its text beside the page's own types.
std::vector<ListedFormat> WebCopy(const std::vector<std::pair<std::u16string_view, std::u16string_view>>& entries) {
    return {{kUnicodeText, {}, {}},
            Registered("HTML Format", "<b>x</b>"),
            Registered("Chromium Web Custom MIME Data Format", testing_support::WebCustomDataOf(entries))};
}

const char* Name(CopyVerdict verdict) {
    switch (verdict) {
    case CopyVerdict::Text:
        return "text";
    case CopyVerdict::NoText:
        return "no text";
    case CopyVerdict::NotPlainText:
        return "not plain text";
    }
    return "?";
}

TEST(CopyJudgement, EachKindOfCopyIsJudgedByItsFormats) {
    struct Case {
        const char* what;
        std::vector<ListedFormat> listed;
        CopyVerdict expected;
    };
    const std::u16string lineCopy = u"{\"version\":1,\"isFromEmptySelection\" : true,\"mode\":\"plaintext\"}";
    const std::u16string selectionCopy = u"{\"isFromEmptySelection\":false,\"x\":\"true\"}";
    const Case cases[] = {
        {"plain text", {{kUnicodeText, {}, {}}, {kText, {}, {}}}, CopyVerdict::Text},
        {"rich text", {Registered("Rich Text Format"), {kText, {}, {}}}, CopyVerdict::Text},
        {"a picture", {{kDib, {}, {}}}, CopyVerdict::NoText},
        {"files", {{kFiles, {}, {}}}, CopyVerdict::NoText},
        {"files named as text too", {{kFiles, {}, {}}, {kText, {}, {}}}, CopyVerdict::NotPlainText},
        {"a program's own files", {Registered("FileGroupDescriptorW"), {kText, {}, {}}}, CopyVerdict::NotPlainText},
        {"spreadsheet cells", {Registered("Biff8"), {kText, {}, {}}}, CopyVerdict::NotPlainText},
        {"spreadsheet XML", {{kText, {}, {}}, Registered("XML Spreadsheet")}, CopyVerdict::NotPlainText},
        {"names in any letter case", {{kText, {}, {}}, Registered("biff12")}, CopyVerdict::NotPlainText},
        {"web spreadsheet cells in HTML",
         {{kText, {}, {}}, Registered("HTML Format", "<google-sheets-html-origin><table>")},
         CopyVerdict::NotPlainText},
        {"a code editor's line copy", {{kText, {}, {}}, Registered("MSDEVLineSelect")}, CopyVerdict::NotPlainText},
        {"Visual Studio's line copy",
         {{kText, {}, {}}, Registered("VisualStudioEditorOperationsLineCutCopyClipboardTag")},
         CopyVerdict::NotPlainText},
        {"a block selection", {{kText, {}, {}}, Registered("MSDEVColumnSelect")}, CopyVerdict::NotPlainText},
        {"VS Code, empty selection", WebCopy({{u"vscode-editor-data", lineCopy}}), CopyVerdict::NotPlainText},
        {"VS Code, a selection",
         WebCopy({{u"vscode-editor-data", selectionCopy}, {u"application/vnd.code.copymetadata", u"{\"id\":\"1\"}"}}),
         CopyVerdict::Text},
        {"a web spreadsheet's own cells", WebCopy({{u"application/x-vnd.sheet-cells", u"[[\"=A1*2\"]]"}}),
         CopyVerdict::NotPlainText},
        {"custom data that cannot be read",
         {{kUnicodeText, {}, {}}, Registered("Chromium Web Custom MIME Data Format", "\x10")},
         CopyVerdict::NotPlainText},
        {"a chat message with a picture",
         {{kText, {}, {}},
          Registered("QQ_Unicode_RichEdit_Format",
                     "<QQRichEditFormat><EditElement type=\"0\">Hi</EditElement>"
                     "<EditElement type=\"1\" filepath=\"a.png\"></EditElement></QQRichEditFormat>")},
         CopyVerdict::NotPlainText},
        {"a chat message of text alone",
         {{kText, {}, {}},
          Registered("QQ_Unicode_RichEdit_Format", "<QQRichEditFormat><EditElement type=\"0\">Hi</EditElement>")},
         CopyVerdict::Text},
        {"Office shapes", {Registered("Art::GVML ClipFormat"), {kText, {}, {}}}, CopyVerdict::NotPlainText},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(Name(JudgeCopy(c.listed)), Name(c.expected)) << c.what;
    }
    EXPECT_TRUE(FormatDataDecides("chromium web custom mime data format"));
    EXPECT_FALSE(FormatDataDecides("Biff8")) << "a spreadsheet format decides by its presence alone";
}

TEST(CopyJudgement, UnmarkedLineCopiesAreKnownByTheEditorAndOneWholeLine) {
    const std::vector<ListedFormat> text = {{kUnicodeText, {}, {}}};
    struct Case {
        const char* foreground;
        const char* text;
        CopyVerdict expected;
    };
    const Case cases[] = {
        {"SunAwtFrame", "    foo();\r\n", CopyVerdict::NotPlainText},
        {"PX_WINDOW_CLASS", "foo();\n", CopyVerdict::NotPlainText},
        {"SunAwtFrame", "foo", CopyVerdict::Text},
        {"SunAwtFrame", "one\r\ntwo\r\n", CopyVerdict::Text},
        {"Notepad", "    foo();\r\n", CopyVerdict::Text},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(Name(JudgeCopy(text, {c.foreground, c.text})), Name(c.expected)) << c.foreground << c.text;
    }
}

TEST(CopyJudgement, TheUnicodeTextIsReadWheneverItWasPlaced) {
    const auto listed = [](std::initializer_list<std::uint32_t> ids) {
        std::vector<ListedFormat> formats;
        for (std::uint32_t id : ids)
            formats.push_back({id, {}, {}});
        return formats;
    };
    EXPECT_EQ(TextFormatToRead(listed({kText, kUnicodeText, kLocale, kOemText})), kUnicodeText);
    EXPECT_EQ(TextFormatToRead(listed({kUnicodeText, kLocale, kText, kOemText})), kUnicodeText);
    EXPECT_EQ(TextFormatToRead(listed({kText, kLocale, kOemText, kUnicodeText})), kText)
        << "a Unicode text the system made from the ANSI one";
    EXPECT_EQ(TextFormatToRead(listed({kOemText, kLocale, kText, kUnicodeText})), kOemText);
    EXPECT_EQ(TextFormatToRead(listed({kDib})), 0u);
}

TEST(TerminalWindows, ConsolesAndTerminalsAreKnownByTheirClassOrTheirProgram) {
    for (const char* terminal : {"ConsoleWindowClass", "CASCADIA_HOSTING_WINDOW_CLASS", "WineConsoleClass",
                                 "consolewindowclass", "mintty", "PuTTY", "VirtualConsoleClass"}) {
        EXPECT_TRUE(IsTerminalWindow(terminal, "other.exe")) << terminal;
    }
    for (const char* image : {"Xshell.exe", "MOBAXTERM.EXE", "Tabby.exe", "alacritty.exe"}) {
        EXPECT_TRUE(IsTerminalWindow("Chrome_WidgetWin_1", image)) << image;
    }
    for (const char* other : {"Notepad", "WORDPADTOP", "ConsoleWindowClas", ""}) {
        EXPECT_FALSE(IsTerminalWindow(other, "notepad.exe")) << other;
    }
    EXPECT_FALSE(IsTerminalWindow("Chrome_WidgetWin_1", "Code.exe"));
}

} // namespace
} // namespace runtime
