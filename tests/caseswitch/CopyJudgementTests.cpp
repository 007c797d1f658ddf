#include "caseswitch/CopyJudgement.h"

#include <gtest/gtest.h>

namespace runtime {
namespace {

constexpr std::uint32_t kText = 1;
constexpr std::uint32_t kUnicodeText = 13;
constexpr std::uint32_t kDib = 8;
constexpr std::uint32_t kFiles = 15;

ListedFormat Registered(const char* name, std::string data = {}) {
    return {0xC100, name, std::move(data)};
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
    const std::string emptyLine = "{\"version\":1,\"isFromEmptySelection\" : true,\"mode\":\"plaintext\"}";
    const Case cases[] = {
        {"plain text", {{kUnicodeText, {}, {}}, {kText, {}, {}}}, CopyVerdict::Text},
        {"rich text", {Registered("Rich Text Format"), {kText, {}, {}}}, CopyVerdict::Text},
        {"a picture", {{kDib, {}, {}}}, CopyVerdict::NoText},
        {"files", {{kFiles, {}, {}}}, CopyVerdict::NoText},
        {"files named as text too", {{kFiles, {}, {}}, {kText, {}, {}}}, CopyVerdict::NotPlainText},
        {"spreadsheet cells", {Registered("Biff8"), {kText, {}, {}}}, CopyVerdict::NotPlainText},
        {"spreadsheet XML", {{kText, {}, {}}, Registered("XML Spreadsheet")}, CopyVerdict::NotPlainText},
        {"names in any letter case", {{kText, {}, {}}, Registered("biff12")}, CopyVerdict::NotPlainText},
        {"a code editor's line copy", {{kText, {}, {}}, Registered("MSDEVLineSelect")}, CopyVerdict::NotPlainText},
        {"Visual Studio's line copy",
         {{kText, {}, {}}, Registered("VisualStudioEditorOperationsLineCutCopyClipboardTag")},
         CopyVerdict::NotPlainText},
        {"a block selection", {{kText, {}, {}}, Registered("MSDEVColumnSelect")}, CopyVerdict::NotPlainText},
        {"VS Code, empty selection",
         {{kText, {}, {}}, Registered("vscode-editor-data", emptyLine)},
         CopyVerdict::NotPlainText},
        {"VS Code, a selection",
         {{kText, {}, {}}, Registered("vscode-editor-data", "{\"isFromEmptySelection\":false,\"x\":\"true\"}")},
         CopyVerdict::Text},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(Name(JudgeCopy(c.listed)), Name(c.expected)) << c.what;
    }
    EXPECT_TRUE(FormatDataDecides("vscode-editor-data"));
    EXPECT_FALSE(FormatDataDecides("Biff8")) << "a spreadsheet format decides by its presence alone";
}

TEST(CopyJudgement, ConsoleAndTerminalWindowsAreKnownByTheirClass) {
    for (const char* console :
         {"ConsoleWindowClass", "CASCADIA_HOSTING_WINDOW_CLASS", "WineConsoleClass", "consolewindowclass"}) {
        EXPECT_TRUE(IsConsoleWindowClass(console)) << console;
    }
    for (const char* other : {"Notepad", "WORDPADTOP", "ConsoleWindowClas", ""}) {
        EXPECT_FALSE(IsConsoleWindowClass(other)) << other;
    }
}

} // namespace
} // namespace runtime
