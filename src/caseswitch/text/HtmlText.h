// The text of an "HTML Format" clipboard payload (a header of byte offsets, then UTF-8 HTML), for
// switching its letter case without touching anything else: the header, tags with their attribute
// values, character references, comments, declarations, and the content of scripts, style sheets
// and the other elements whose content is not markup-free text.
//
// Only the fragment (StartFragment to EndFragment) is the copied selection; the context around it
// is read to know where the fragment begins (inside a comment, say) but never changed. Case
// changes keep every byte count, so the header's offsets stay true.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "caseswitch/text/DocumentText.h"

namespace runtime {

// The header's offsets: -1 for StartHTML and EndHTML stands for "no context", as the format allows.
struct HtmlClipboardOffsets {
    long long startHtml = -1;
    long long endHtml = -1;
    long long startFragment = -1;
    long long endFragment = -1;
    std::size_t headerLength = 0;
    friend bool operator==(const HtmlClipboardOffsets&, const HtmlClipboardOffsets&) = default;
};

// The header's offsets when they describe the payload: in order, after the header and inside the
// payload. Nothing otherwise.
std::optional<HtmlClipboardOffsets> ReadHtmlClipboardHeader(std::string_view payload);

// The fragment's text bytes in payload order; nothing when the header does not hold.
std::optional<std::vector<TextPiece>> FindHtmlText(std::string_view payload);

// The payload with the fragment's text converted; nothing when the header does not hold.
std::optional<std::string> ConvertHtmlCase(LetterCase letterCase, std::string_view payload);

} // namespace runtime
