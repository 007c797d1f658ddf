// The rich-text converters against hand-written documents, some shaped like real editors' output.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "caseswitch/text/HtmlText.h"
#include "caseswitch/text/RtfText.h"

namespace runtime {
namespace {

std::string Upper(std::string_view rtf) {
    return ConvertRtfCase(LetterCase::Upper, rtf).value_or("<not converted>");
}

std::string Lower(std::string_view rtf) {
    return ConvertRtfCase(LetterCase::Lower, rtf).value_or("<not converted>");
}

// The bytes of the text, concatenated: what a reader would show, escapes resolved.
std::string ByteText(const std::vector<TextPiece>& pieces) {
    std::string text;
    for (const TextPiece& piece : pieces) {
        if (piece.spelling != TextPiece::Spelling::Decimal) text += static_cast<char>(piece.value);
    }
    return text;
}

// As WordPad (RichEdit) writes a selection on a Chinese system: code page 936, a Chinese font whose
// name is escaped, a colour table, bold, italic and coloured runs, Chinese text as \'hh pairs (one
// of them 81 61, its second byte written as the letter it reads as) and a quotation mark as \uN
// with its fallback.
constexpr std::string_view kWordPad =
    "{\\rtf1\\ansi\\ansicpg936\\deff0\\nouicompat\\deflang1033\\deflangfe2052{\\fonttbl{\\f0\\fnil\\fcharset134 "
    "\\'cb\\'ce\\'cc\\'e5;}{\\f1\\fnil\\fcharset0 Calibri;}}\r\n"
    "{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
    "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
    "\\pard\\sa200\\sl276\\slmult1\\f1\\fs22\\lang9 Plain \\b Bold\\b0  \\i Italic\\i0  \\cf1 Red\\cf0  "
    "\\f0\\'d6\\'d0\\'ce\\'c4\\'81a\\f1  \\u8220?Quote\\u8221?\\par\r\n}\r\n";

TEST(RtfText, OnlyTheTextOfAWordPadDocumentChanges) {
    const std::string expected =
        "{\\rtf1\\ansi\\ansicpg936\\deff0\\nouicompat\\deflang1033\\deflangfe2052{\\fonttbl{\\f0\\fnil\\fcharset134 "
        "\\'cb\\'ce\\'cc\\'e5;}{\\f1\\fnil\\fcharset0 Calibri;}}\r\n"
        "{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
        "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
        "\\pard\\sa200\\sl276\\slmult1\\f1\\fs22\\lang9 PLAIN \\b BOLD\\b0  \\i ITALIC\\i0  \\cf1 RED\\cf0  "
        "\\f0\\'d6\\'d0\\'ce\\'c4\\'81a\\f1  \\u8220?QUOTE\\u8221?\\par\r\n}\r\n";
    EXPECT_EQ(Upper(kWordPad), expected);
}

TEST(RtfText, ConvertingTheDocumentsTextEqualsConvertingItsPlainText) {
    const std::vector<TextPiece> before = FindRtfText(kWordPad).value();
    const std::string converted = Upper(kWordPad);
    const std::string plain = ByteText(before);
    std::string expected(plain.size(), '\0');
    ConvertCase(LetterCase::Upper, plain.data(), plain.size(), expected.data());
    EXPECT_EQ(ByteText(FindRtfText(converted).value()), expected);
}

TEST(RtfText, DestinationsBinaryDataAndControlWordsStayAsTheyAre) {
    // Tables, information, a picture's hex data (its letters a-f too), a field's instruction (its
    // shown result is text), an ignorable destination, old readers' list text, raw \bin bytes with
    // braces in them, and escaped braces and backslashes in the text.
    const std::string document =
        "{\\rtf1\\ansi{\\stylesheet{\\s1 heading 1;}}{\\info{\\title Title}{\\author Someone}}"
        "{\\pict\\wmetafile8\\picw10 0aFFbc}{\\field{\\*\\fldinst HYPERLINK \"http://example.com\"}{\\fldrslt link}}"
        "{\\*\\userdata secret}{\\listtext a.\\tab}{\\object\\objemb{\\*\\objclass Paint}{\\objdata 01ab}}"
        "{\\*\\shpinst{\\sp{\\sn fillColor}{\\sv 255}}}\\bin4 {a}b \\{c\\}\\\\d {\\footnote note}\\BadWord x}";
    const std::string expected =
        "{\\rtf1\\ansi{\\stylesheet{\\s1 heading 1;}}{\\info{\\title Title}{\\author Someone}}"
        "{\\pict\\wmetafile8\\picw10 0aFFbc}{\\field{\\*\\fldinst HYPERLINK \"http://example.com\"}{\\fldrslt LINK}}"
        "{\\*\\userdata secret}{\\listtext a.\\tab}{\\object\\objemb{\\*\\objclass Paint}{\\objdata 01ab}}"
        "{\\*\\shpinst{\\sp{\\sn fillColor}{\\sv 255}}}\\bin4 {a}b \\{C\\}\\\\D {\\footnote note}\\BadWord X}";
    EXPECT_EQ(Upper(document), expected);
}

TEST(RtfText, TheSecondByteOfADoubleByteCharacterNeverChanges) {
    struct Case {
        const char* what;
        const char* document;
        const char* expected;
    };
    const Case cases[] = {
        // 81 61 is one character whose second byte reads "a", written as a literal or as an escape.
        {"literal second byte", "{\\rtf1\\ansi\\ansicpg936 \\'81a\\'81\\'61b}",
         "{\\rtf1\\ansi\\ansicpg936 \\'81a\\'81\\'61B}"},
        {"a character split by a control word", "{\\rtf1 \\'81\\b a}", "{\\rtf1 \\'81\\b a}"},
        {"no code page given: the program's own", "{\\rtf1\\ansi \\'d6ab}", "{\\rtf1\\ansi \\'d6aB}"},
        // Western text: every byte a character of its own, so the letter after it changes.
        {"code page 1252", "{\\rtf1\\ansi\\ansicpg1252 \\'c5ngstr\\'f6m}",
         "{\\rtf1\\ansi\\ansicpg1252 \\'c5NGSTR\\'f6M}"},
        {"a Chinese font in a Western document",
         "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset134 SimSun;}}\\f0 \\'e9a\\f1 "
         "\\'81a}",
         "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset134 SimSun;}}\\f0 \\'e9A\\f1 "
         "\\'81a}"},
        // Shift-JIS: A1-DF are single-byte katakana, 81-9F open characters.
        {"code page 932", "{\\rtf1\\ansi\\ansicpg932 \\'b1a\\'83a}", "{\\rtf1\\ansi\\ansicpg932 \\'b1A\\'83a}"},
        {"a font's own code page",
         "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset0\\cpg932 MS Mincho;}}\\f0 \\'83a\\'b1a}",
         "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset0\\cpg932 MS Mincho;}}\\f0 \\'83a\\'b1A}"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Upper(c.document), c.expected) << c.what;
    }
}

// As WordPad and Word write a Western word in a Chinese document: its accented letters escaped in
// the Western font's code page.
constexpr std::string_view kResume =
    "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}"
    "{\\f1\\fswiss\\fcharset0 Arial;}}\\f1 R\\'e9sum\\'e9\\par}";

TEST(RtfText, AWesternFontsTextInAChineseDocumentConvertsAsItsPlainText) {
    // "Résumé" as plain text (é is one character) upper-cases to "RéSUMé".
    EXPECT_EQ(Upper(kResume), "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 "
                              "\\'cb\\'ce\\'cc\\'e5;}{\\f1\\fswiss\\fcharset0 Arial;}}\\f1 R\\'e9SUM\\'e9\\par}");
}

TEST(RtfText, TheFontInForceDecidesAndPlainAndGroupsBringTheDefaultBack) {
    struct Case {
        const char* what;
        const char* text; // after a font table: f0 Chinese (the default), f1 Western, f2 a symbol font
        const char* expected;
    };
    const Case cases[] = {
        {"\\plain returns to the Chinese default font", "\\f1 \\'e9a\\plain \\'d6a", "\\f1 \\'e9A\\plain \\'d6a"},
        {"a group's end returns to the font before it", "{\\f1 \\'e9a}\\'d6a", "{\\f1 \\'e9A}\\'d6a"},
        {"a symbol font's glyphs stay", "{\\f2 abc\\'4a\\u97?}d", "{\\f2 abc\\'4a\\u97?}D"},
    };
    const std::string table = "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fcharset134 SimSun;}"
                              "{\\f1\\fcharset0 Arial;}{\\f2\\fcharset2 Wingdings;}}";
    for (const Case& c : cases) {
        EXPECT_EQ(Upper(table + c.text + "}"), table + c.expected + "}") << c.what;
    }
}

TEST(RtfText, UnicodeEscapesAreTextInBothDirections) {
    // \u65 is "A"; negative values are code units above 32767 (\u-3913 is U+F0B7); the fallback
    // after \uN changes with it; a hex escape spells a letter too, in the writer's digit case.
    EXPECT_EQ(Lower("{\\rtf1\\uc1 \\u65A\\u-3913?\\u20013\\'d6\\'d0\\'4A\\'4a}"),
              "{\\rtf1\\uc1 \\u97a\\u-3913?\\u20013\\'d6\\'d0\\'6A\\'6a}");
    EXPECT_EQ(Upper("{\\rtf1 \\u122z}"), "{\\rtf1 \\u90Z}");
}

TEST(RtfText, OnlyDocumentsAreConverted) {
    for (const char* notRtf : {"", "plain text", "{\\rt", " {\\rtf1 x}", "{\\RTF1 x}"}) {
        EXPECT_FALSE(ConvertRtfCase(LetterCase::Upper, notRtf).has_value()) << notRtf;
    }
    // Text after the document's last brace is no part of it.
    EXPECT_EQ(Upper("{\\rtf1 a}b"), "{\\rtf1 A}b");
}

// An "HTML Format" payload as browsers and office programs write it: ten-digit offsets.
std::string HtmlPayload(std::string_view before, std::string_view fragment, std::string_view after,
                        bool withContext = true) {
    constexpr std::string_view kHeader = "Version:0.9\r\nStartHTML:%010zu\r\nEndHTML:%010zu\r\nStartFragment:%010zu\r\n"
                                         "EndFragment:%010zu\r\nSourceURL:https://example.com/a:b\r\n";
    char header[256];
    const std::size_t headerLength = static_cast<std::size_t>(std::snprintf(
        header, sizeof header, kHeader.data(), std::size_t{0}, std::size_t{0}, std::size_t{0}, std::size_t{0}));
    const std::size_t start = headerLength;
    const std::size_t fragmentStart = start + before.size();
    const std::size_t fragmentEnd = fragmentStart + fragment.size();
    const std::size_t end = fragmentEnd + after.size();
    if (withContext) {
        std::snprintf(header, sizeof header, kHeader.data(), start, end, fragmentStart, fragmentEnd);
    } else {
        std::snprintf(header, sizeof header,
                      "Version:0.9\r\nStartHTML:-000000001\r\nEndHTML:-000000001\r\nStartFragment:%010zu\r\n"
                      "EndFragment:%010zu\r\nSourceURL:https://example.com/a:b\r\n",
                      fragmentStart, fragmentEnd);
    }
    return std::string(header) + std::string(before) + std::string(fragment) + std::string(after);
}

std::string HtmlUpper(const std::string& payload) {
    return ConvertHtmlCase(LetterCase::Upper, payload).value_or("<not converted>");
}

TEST(HtmlText, OnlyTheFragmentsTextChanges) {
    // As a browser copies: context with a style sheet and a script, a fragment with tags,
    // attribute values, character references, a comment and Chinese text (UTF-8).
    const std::string before = "<html><head><title>Title</title><style>p { color: red }</style></head><body>\r\n"
                               "<script>var hello = 'World';</script><!--StartFragment-->";
    const std::string fragment =
        "<b class=\"Bold\" title='a > b'>Bold</b> and <i>italic</i> &amp; &nbsp;&#65;&#x62;x "
        "<!-- Comment --><a href=\"http://example.com/Page\">Link</a> \xE4\xB8\xAD\xE6\x96\x87z a<b";
    const std::string after = "<!--EndFragment-->\r\nOutside</body>\r\n</html>";
    const std::string expectedFragment =
        "<b class=\"Bold\" title='a > b'>BOLD</b> AND <i>ITALIC</i> &amp; &nbsp;&#65;&#x62;X "
        "<!-- Comment --><a href=\"http://example.com/Page\">LINK</a> \xE4\xB8\xAD\xE6\x96\x87Z A<b";
    EXPECT_EQ(HtmlUpper(HtmlPayload(before, fragment, after)), HtmlPayload(before, expectedFragment, after));
    // Without context the fragment is read from its own start.
    EXPECT_EQ(HtmlUpper(HtmlPayload("", fragment, "", false)), HtmlPayload("", expectedFragment, "", false));
}

TEST(HtmlText, WhereTheFragmentBeginsIsReadFromTheContext) {
    // An office program's fragment inside a comment of its context, and one that starts inside a
    // tag or a script: none of it is text.
    const std::string insideComment = HtmlPayload("<body><!--[if gte mso 9]>", "<p>word</p>", "<![endif]--></body>");
    EXPECT_EQ(HtmlUpper(insideComment), insideComment);
    const std::string insideTag = HtmlPayload("<body><p title=\"", "value\">Text", "</p></body>");
    EXPECT_EQ(HtmlUpper(insideTag), HtmlPayload("<body><p title=\"", "value\">TEXT", "</p></body>"));
    const std::string insideScript = HtmlPayload("<SCRIPT>", "var x = '</scripts>'; </ScRiPt >y", "");
    EXPECT_EQ(HtmlUpper(insideScript), HtmlPayload("<SCRIPT>", "var x = '</scripts>'; </ScRiPt >Y", ""));
}

TEST(HtmlText, AHeaderThatDoesNotDescribeThePayloadIsRefused) {
    const std::string good = HtmlPayload("<p>", "x", "</p>");
    ASSERT_TRUE(ReadHtmlClipboardHeader(good).has_value());
    const char* const bad[] = {
        "",
        "<p>no header</p>",
        "Version:0.9\r\nStartFragment:0000000010\r\n<p>x",                                   // no end
        "Version:0.9\r\nStartFragment:0000000064\r\nEndFragment:0000000063\r\nxy",           // reversed
        "Version:0.9\r\nStartFragment:0000000063\r\nEndFragment:0000000999\r\nxy",           // past the payload
        "Version:0.9\r\nStartFragment:0000000002\r\nEndFragment:0000000050\r\nxy",           // inside the header
        "Version:0.9\r\nStartFragment:12a\r\nEndFragment:0000000050\r\nxy",                  // not a number
        "StartHTML:0000000073\r\nStartFragment:0000000072\r\nEndFragment:0000000074\r\nxyz", // context after it
    };
    for (const char* payload : bad) {
        EXPECT_FALSE(ReadHtmlClipboardHeader(payload).has_value()) << payload;
        EXPECT_FALSE(ConvertHtmlCase(LetterCase::Upper, payload).has_value()) << payload;
    }
}

} // namespace
} // namespace runtime
