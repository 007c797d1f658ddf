#include "caseswitch/text/RtfText.h"

#include <algorithm>
#include <array>
#include <optional>

namespace runtime {
namespace {

// Which bytes open a double-byte character in a code page.
enum class LeadBytes {
    None,     // single-byte code pages
    AllHigh,  // every byte from 0x80, as the program's own rule for code page 936
    ShiftJis, // 932: 0x81-0x9F and 0xE0-0xFC (0xA1-0xDF are single-byte katakana)
    Johab,    // 1361
    Symbol,   // a symbol font (\fcharset2, code page 42): single bytes that are glyphs, not letters
};

bool Opens(LeadBytes lead, unsigned char byte) {
    switch (lead) {
    case LeadBytes::None:
    case LeadBytes::Symbol:
        return false;
    case LeadBytes::AllHigh:
        return byte >= 0x80;
    case LeadBytes::ShiftJis:
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case LeadBytes::Johab:
        return (byte >= 0x84 && byte <= 0xD3) || (byte >= 0xD8 && byte <= 0xDE) || (byte >= 0xE0 && byte <= 0xF9);
    }
    return false;
}

LeadBytes FromCodePage(long codePage) {
    switch (codePage) {
    case 932:
    case 10001:
        return LeadBytes::ShiftJis;
    case 1361:
        return LeadBytes::Johab;
    case 42: // CP_SYMBOL
        return LeadBytes::Symbol;
    case 936:
    case 949:
    case 950:
    case 10002:
    case 10003:
    case 10008:
        return LeadBytes::AllHigh;
    default:
        return LeadBytes::None;
    }
}

// A font's \fcharset; DEFAULT_CHARSET (1) leaves the document's code page in force.
std::optional<LeadBytes> FromCharset(long charset) {
    switch (charset) {
    case 1:
        return std::nullopt;
    case 2: // SYMBOL_CHARSET
        return LeadBytes::Symbol;
    case 128: // SHIFTJIS_CHARSET
    case 78:  // Mac Japanese
        return LeadBytes::ShiftJis;
    case 130: // JOHAB_CHARSET
        return LeadBytes::Johab;
    case 129: // HANGUL_CHARSET
    case 134: // GB2312_CHARSET
    case 136: // CHINESEBIG5_CHARSET
    case 79:  // Mac Korean
    case 80:  // Mac Simplified Chinese
    case 81:  // Mac Traditional Chinese
        return LeadBytes::AllHigh;
    default:
        return LeadBytes::None;
    }
}

// Destinations whose content is no text of the document. Every \* destination is skipped too, so
// that a reader's private additions are never touched. Sorted, for the binary search.
constexpr std::array<std::string_view, 64> kSkippedDestinations = {
    "annotation", "atnauthor",    "atnid",
    "author",     "bkmkend",      "bkmkstart",
    "buptim",     "category",     "colorschememapping",
    "colortbl",   "comment",      "company",
    "creatim",    "datastore",    "doccomm",
    "docvar",     "filetbl",      "fldinst",
    "footer",     "footerf",      "footerl",
    "footerr",    "footnote",     "generator",
    "header",     "headerf",      "headerl",
    "headerr",    "hlinkbase",    "info",
    "keywords",   "latentstyles", "listoverridetable",
    "listtable",  "listtext",     "manager",
    "nonshppict", "objclass",     "objdata",
    "object",     "objname",      "operator",
    "pict",       "pntext",       "pntxta",
    "pntxtb",     "printim",      "private",
    "revtbl",     "revtim",       "rsidtbl",
    "rxe",        "shp",          "shpinst",
    "stylesheet", "subject",      "tc",
    "template",   "themedata",    "title",
    "txe",        "userprops",    "xe",
    "xmlnstbl",
};
static_assert(std::is_sorted(kSkippedDestinations.begin(), kSkippedDestinations.end()));

bool IsSkippedDestination(std::string_view word) {
    return std::binary_search(kSkippedDestinations.begin(), kSkippedDestinations.end(), word);
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

struct Group {
    enum class Content { Text, Skipped, FontTable };
    Content content = Content::Text;
    long font = -1; // -1: the document's default font
};

// The bytes of a font that the font table names, by \cpg or by \fcharset; a code page given
// as well names them more exactly than the character set.
struct FontBytes {
    long font;
    LeadBytes lead;
    bool fromCodePage;
};

// Where the font's entry is in entries sorted by font, or where it would be inserted.
template <typename Entries> auto FontPlace(Entries& entries, long font) {
    return std::lower_bound(entries.begin(), entries.end(), font,
                            [](const FontBytes& entry, long key) { return entry.font < key; });
}

struct ControlWord {
    std::string_view name;
    bool hasParameter = false;
    long long parameter = 0;
    std::size_t parameterOffset = 0;
    std::size_t parameterLength = 0;
};

class Scanner {
public:
    explicit Scanner(std::string_view document) : text(document) {}

    std::optional<std::vector<TextPiece>> Scan() {
        if (text.substr(0, 5) != "{\\rtf") return std::nullopt;
        while (at < text.size()) {
            const char c = text[at];
            if (c == '{') {
                groups.push_back(groups.empty() ? Group{} : groups.back());
                ++at;
            } else if (c == '}') {
                groups.pop_back();
                ++at;
                if (groups.empty()) break; // the document's last brace: what follows is no part of it
            } else if (c == '\\') {
                Control();
            } else {
                if (c != '\r' && c != '\n' && c != '\0') AddByte(TextPiece::Spelling::Literal, at, 1, c);
                ++at;
            }
        }
        return std::move(pieces);
    }

private:
    Group& Current() { return groups.back(); }
    bool InText() const { return !groups.empty() && groups.back().content == Group::Content::Text; }

    LeadBytes FontLead() const {
        const long font = groups.back().font >= 0 ? groups.back().font : defaultFont;
        const auto found = FontPlace(fontLeads, font);
        return found != fontLeads.end() && found->font == font ? found->lead : documentLead;
    }

    void SetFontLead(long font, LeadBytes lead, bool fromCodePage) {
        const auto place = FontPlace(fontLeads, font);
        if (place == fontLeads.end() || place->font != font) {
            fontLeads.insert(place, {font, lead, fromCodePage});
        } else if (fromCodePage || !place->fromCodePage) {
            *place = {font, lead, fromCodePage};
        }
    }

    void AddByte(TextPiece::Spelling spelling, std::size_t offset, std::size_t length, char value) {
        if (!InText()) return;
        const auto byte = static_cast<unsigned char>(value);
        // A byte is read in the current font's code page alone: an \'e9 in a Western font of a
        // Chinese document is an accented letter, and the letter after it is a letter.
        const LeadBytes lead = FontLead();
        pieces.push_back({spelling, offset, length, byte, Opens(lead, byte), lead == LeadBytes::Symbol});
    }

    void Control() {
        const std::size_t start = at++;
        if (at >= text.size()) return;
        const char c = text[at];
        if (IsLetter(c)) {
            Word(ReadWord());
            return;
        }
        ++at;
        switch (c) {
        case '\'': {
            const int high = at < text.size() ? HexValue(text[at]) : -1;
            const int low = at + 1 < text.size() ? HexValue(text[at + 1]) : -1;
            if (high < 0 || low < 0) return; // no escape after all: what follows is read afresh
            AddByte(TextPiece::Spelling::Hex, at, 2, static_cast<char>(high * 16 + low));
            at += 2;
            return;
        }
        case '\\':
        case '{':
        case '}':
            AddByte(TextPiece::Spelling::Literal, start + 1, 1, c);
            return;
        case '*':
            if (!groups.empty()) Current().content = Group::Content::Skipped;
            return;
        default:
            return; // \~ \- \_ \: \| and the rest: no letters of the text
        }
    }

    ControlWord ReadWord() {
        ControlWord word;
        const std::size_t nameStart = at;
        while (at < text.size() && IsLetter(text[at]))
            ++at;
        word.name = text.substr(nameStart, at - nameStart);
        const std::size_t parameterStart = at;
        if (at < text.size() && text[at] == '-' && at + 1 < text.size() && IsDigit(text[at + 1])) ++at;
        const bool negative = at > parameterStart;
        while (at < text.size() && IsDigit(text[at])) {
            // Past any meaningful size the value only has to stay out of every range that matters.
            if (word.parameter < 1000000000) word.parameter = word.parameter * 10 + (text[at] - '0');
            ++at;
        }
        word.hasParameter = at > parameterStart;
        if (negative) word.parameter = -word.parameter;
        word.parameterOffset = parameterStart;
        word.parameterLength = at - parameterStart;
        if (at < text.size() && text[at] == ' ') ++at; // the delimiter belongs to the word
        return word;
    }

    void Word(const ControlWord& word) {
        if (word.name == "bin") {
            // Raw bytes follow, braces and backslashes included.
            const long long count = word.hasParameter && word.parameter > 0 ? word.parameter : 0;
            at += static_cast<std::size_t>(std::min<long long>(count, static_cast<long long>(text.size() - at)));
            return;
        }
        if (groups.empty()) return;
        Group& group = Current();
        if (group.content == Group::Content::FontTable) {
            FontTableWord(word);
            return;
        }
        if (word.name == "fonttbl") {
            group.content = Group::Content::FontTable;
        } else if (IsSkippedDestination(word.name)) {
            group.content = Group::Content::Skipped;
        } else if (word.name == "ansicpg" && word.hasParameter) {
            documentLead = FromCodePage(static_cast<long>(word.parameter));
        } else if (word.name == "mac" || word.name == "pc" || word.name == "pca") {
            documentLead = LeadBytes::None;
        } else if (word.name == "deff" && word.hasParameter) {
            defaultFont = static_cast<long>(word.parameter);
        } else if (word.name == "f" && word.hasParameter) {
            group.font = static_cast<long>(word.parameter);
        } else if (word.name == "plain") {
            // Back to the default character formatting, the document's default font with it.
            group.font = -1;
        } else if (word.name == "u" && word.hasParameter && InText()) {
            // A signed 16-bit code unit; some writers give the unsigned value instead.
            if (word.parameter >= -32768 && word.parameter <= 65535) {
                const auto unit =
                    static_cast<std::uint32_t>(word.parameter < 0 ? word.parameter + 65536 : word.parameter);
                pieces.push_back({TextPiece::Spelling::Decimal, word.parameterOffset, word.parameterLength, unit, false,
                                  FontLead() == LeadBytes::Symbol});
            }
        }
    }

    void FontTableWord(const ControlWord& word) {
        if (!word.hasParameter) return;
        const long value = static_cast<long>(word.parameter);
        if (word.name == "f") {
            definingFont = value;
        } else if (word.name == "fcharset") {
            if (const std::optional<LeadBytes> lead = FromCharset(value)) SetFontLead(definingFont, *lead, false);
        } else if (word.name == "cpg") {
            SetFontLead(definingFont, FromCodePage(value), true);
        }
    }

    std::string_view text;
    std::size_t at = 0;
    std::vector<Group> groups;
    std::vector<TextPiece> pieces;
    // Without \ansicpg the program's own code page is assumed: a lead byte is never mistaken.
    LeadBytes documentLead = LeadBytes::AllHigh;
    long defaultFont = -1;
    long definingFont = -1;
    // Sorted by font: a font table names a few fonts, and a sorted array finds them as a tree would.
    std::vector<FontBytes> fontLeads;
};

} // namespace

std::optional<std::vector<TextPiece>> FindRtfText(std::string_view document) {
    return Scanner(document).Scan();
}

std::optional<std::string> ConvertRtfCase(LetterCase letterCase, std::string_view document) {
    const std::optional<std::vector<TextPiece>> pieces = FindRtfText(document);
    if (!pieces) return std::nullopt;
    return RewritePieces(document, *pieces, letterCase);
}

} // namespace runtime
