// The text of a Rich Text Format document ("Rich Text Format" on the clipboard), for switching its
// letter case without touching anything else: control words and their parameters, destinations
// that hold no text of the document (font, colour and style tables, pictures and objects, field
// instructions, document information, every \* destination), binary data, group braces.
//
// Text is what a reader would show: literal characters, \'hh escapes (bytes of the code page in
// force: the current font's \cpg or \fcharset, else the document's \ansicpg, else code page 936;
// \plain and the end of a group bring the earlier font back) and \uN escapes (UTF-16 code units).
// A symbol font's text (\fcharset2: Symbol, Wingdings) is pictures, never letters. Characters that an old reader takes
// in place of a \uN (its fallback) are text of the same character and change with it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "caseswitch/text/DocumentText.h"

namespace runtime {

// The document's text pieces in document order; nothing when the bytes do not begin a Rich Text
// Format document ("{\rtf").
std::optional<std::vector<TextPiece>> FindRtfText(std::string_view document);

// The document with its text converted; nothing when it is no Rich Text Format document.
std::optional<std::string> ConvertRtfCase(LetterCase letterCase, std::string_view document);

} // namespace runtime
