#include "caseswitch/text/HtmlText.h"

#include <algorithm>
#include <array>

#include "caseswitch/text/AsciiNames.h"

namespace runtime {
namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Elements whose content is raw text up to their end tag: scripts and style sheets, and those a
// browser also reads without tags (a text area's or title's content is left alone with them).
constexpr std::array<std::string_view, 10> kRawTextElements = {
    "script", "style", "xmp", "iframe", "noembed", "noframes", "noscript", "textarea", "title", "plaintext",
};

bool IsRawTextElement(std::string_view name) {
    return std::any_of(kRawTextElements.begin(), kRawTextElements.end(),
                       [&](std::string_view raw) { return SameAsciiName(name, raw); });
}

// One "Name:value" header line; false at the first line that is not one.
bool ReadHeaderLine(std::string_view payload, std::size_t& at, std::string_view& name, std::string_view& value) {
    std::size_t end = at;
    while (end < payload.size() && IsAsciiLetter(payload[end]))
        ++end;
    if (end == at || end >= payload.size() || payload[end] != ':') return false;
    name = payload.substr(at, end - at);
    std::size_t lineEnd = end + 1;
    while (lineEnd < payload.size() && payload[lineEnd] != '\r' && payload[lineEnd] != '\n')
        ++lineEnd;
    value = payload.substr(end + 1, lineEnd - end - 1);
    if (lineEnd < payload.size() && payload[lineEnd] == '\r') ++lineEnd;
    if (lineEnd < payload.size() && payload[lineEnd] == '\n') ++lineEnd;
    at = lineEnd;
    return true;
}

std::optional<long long> Offset(std::string_view value) {
    std::size_t at = 0;
    while (at < value.size() && value[at] == ' ')
        ++at;
    const bool negative = at < value.size() && value[at] == '-';
    if (negative) ++at;
    if (at >= value.size() || value.size() - at > 12) return std::nullopt;
    long long number = 0;
    for (; at < value.size(); ++at) {
        if (!IsAsciiDigit(value[at])) return std::nullopt;
        number = number * 10 + (value[at] - '0');
    }
    return negative ? -number : number;
}

class Scanner {
public:
    Scanner(std::string_view payload, const HtmlClipboardOffsets& offsets)
        : text(payload.substr(0, static_cast<std::size_t>(offsets.endFragment))),
          fragmentStart(static_cast<std::size_t>(offsets.startFragment)),
          at(static_cast<std::size_t>(offsets.startHtml >= 0 ? offsets.startHtml : offsets.startFragment)) {}

    std::vector<TextPiece> Scan() {
        while (at < text.size()) {
            const char c = text[at];
            if (c == '<') {
                Markup();
            } else if (c == '&') {
                CharacterReference();
            } else {
                AddText(at++);
            }
        }
        return std::move(pieces);
    }

private:
    bool At(std::string_view what) const { return text.substr(at, what.size()) == what; }
    bool LetterAt(std::size_t index) const { return index < text.size() && IsAsciiLetter(text[index]); }

    void AddText(std::size_t offset) {
        if (offset < fragmentStart) return;
        pieces.push_back({TextPiece::Spelling::Literal, offset, 1, static_cast<unsigned char>(text[offset]), false});
    }

    void SkipPast(std::string_view end) {
        const std::size_t found = text.find(end, at);
        at = found == std::string_view::npos ? text.size() : found + end.size();
    }

    void Markup() {
        if (At("<!--")) {
            at += 4;
            // "<!-->" and "<!--->" are whole (empty) comments.
            if (At(">")) {
                ++at;
            } else if (At("->")) {
                at += 2;
            } else {
                SkipPast("-->");
            }
        } else if (At("<!") || At("<?")) {
            at += 2;
            SkipPast(">");
        } else if (At("</") && LetterAt(at + 2)) {
            at += 2;
            Tag();
        } else if (LetterAt(at + 1)) {
            ++at;
            const std::string_view name = Tag();
            if (IsRawTextElement(name)) RawText(name);
        } else {
            AddText(at++); // a "<" that opens nothing is text
        }
    }

    // From the tag's name to past its ">"; quoted attribute values may hold ">".
    std::string_view Tag() {
        const std::size_t nameStart = at;
        while (at < text.size() && !IsSpace(text[at]) && text[at] != '/' && text[at] != '>')
            ++at;
        const std::string_view name = text.substr(nameStart, at - nameStart);
        while (at < text.size()) {
            const char c = text[at];
            if (c == '>') {
                ++at;
                break;
            }
            if (IsSpace(c) || c == '/') {
                ++at;
                continue;
            }
            ++at; // an attribute name's first character may be anything, "=" included
            while (at < text.size() && !IsSpace(text[at]) && text[at] != '/' && text[at] != '>' && text[at] != '=')
                ++at;
            while (at < text.size() && IsSpace(text[at]))
                ++at;
            if (at < text.size() && text[at] == '=') AttributeValue();
        }
        return name;
    }

    void AttributeValue() {
        ++at;
        while (at < text.size() && IsSpace(text[at]))
            ++at;
        if (at >= text.size()) return;
        const char quote = text[at];
        if (quote == '"' || quote == '\'') {
            ++at;
            SkipPast(std::string_view(&quote, 1));
            return;
        }
        while (at < text.size() && !IsSpace(text[at]) && text[at] != '>')
            ++at;
    }

    // Up to the element's end tag: "</name" followed by a space, "/" or ">", in any letter case.
    void RawText(std::string_view name) {
        if (SameAsciiName(name, "plaintext")) {
            at = text.size();
            return;
        }
        while (at < text.size()) {
            const std::size_t open = text.find("</", at);
            if (open == std::string_view::npos) break;
            const std::size_t after = open + 2 + name.size();
            if (SameAsciiName(text.substr(open + 2, name.size()), name) &&
                (after >= text.size() || IsSpace(text[after]) || text[after] == '/' || text[after] == '>')) {
                at = open;
                return;
            }
            at = open + 2;
        }
        at = text.size();
    }

    // "&#65;", "&#x41;", "&amp;" and their forms without ";" are markup; a lone "&" is text.
    void CharacterReference() {
        std::size_t end = at + 1;
        if (end < text.size() && text[end] == '#') ++end;
        const std::size_t nameStart = end;
        while (end < text.size() && (IsAsciiLetter(text[end]) || IsAsciiDigit(text[end])))
            ++end;
        if (end == nameStart) {
            AddText(at++);
            return;
        }
        if (end < text.size() && text[end] == ';') ++end;
        at = end;
    }

    std::string_view text;
    std::size_t fragmentStart;
    std::size_t at;
    std::vector<TextPiece> pieces;
};

} // namespace

std::optional<HtmlClipboardOffsets> ReadHtmlClipboardHeader(std::string_view payload) {
    HtmlClipboardOffsets offsets;
    bool haveStart = false;
    bool haveEnd = false;
    std::size_t at = 0;
    std::string_view name;
    std::string_view value;
    while (ReadHeaderLine(payload, at, name, value)) {
        long long* field = name == "StartHTML"       ? &offsets.startHtml
                           : name == "EndHTML"       ? &offsets.endHtml
                           : name == "StartFragment" ? &offsets.startFragment
                           : name == "EndFragment"   ? &offsets.endFragment
                                                     : nullptr;
        if (!field) continue; // Version, StartSelection, EndSelection, SourceURL, ...
        const std::optional<long long> number = Offset(value);
        if (!number) return std::nullopt;
        *field = *number;
        haveStart = haveStart || field == &offsets.startFragment;
        haveEnd = haveEnd || field == &offsets.endFragment;
    }
    offsets.headerLength = at;
    const auto size = static_cast<long long>(payload.size());
    const auto header = static_cast<long long>(at);
    if (!haveStart || !haveEnd) return std::nullopt;
    if (offsets.startFragment < header || offsets.startFragment > offsets.endFragment || offsets.endFragment > size) {
        return std::nullopt;
    }
    if (offsets.startHtml != -1 && (offsets.startHtml < header || offsets.startHtml > offsets.startFragment)) {
        return std::nullopt;
    }
    if (offsets.endHtml != -1 && (offsets.endHtml < offsets.endFragment || offsets.endHtml > size)) {
        return std::nullopt;
    }
    return offsets;
}

std::optional<std::vector<TextPiece>> FindHtmlText(std::string_view payload) {
    const std::optional<HtmlClipboardOffsets> offsets = ReadHtmlClipboardHeader(payload);
    if (!offsets) return std::nullopt;
    return Scanner(payload, *offsets).Scan();
}

std::optional<std::string> ConvertHtmlCase(LetterCase letterCase, std::string_view payload) {
    const std::optional<HtmlClipboardOffsets> offsets = ReadHtmlClipboardHeader(payload);
    if (!offsets) return std::nullopt;
    std::string converted = RewritePieces(payload, Scanner(payload, *offsets).Scan(), letterCase);
    // Letters change in place, so the header must still describe the payload exactly.
    if (converted.size() != payload.size() || ReadHtmlClipboardHeader(converted) != offsets) return std::nullopt;
    return converted;
}

} // namespace runtime
