// What the rich-text converters share: a document's text as the pieces a case conversion may
// change, and the rewrite that changes them. Everything between the pieces (control words, tags,
// tables, escapes' own markers) is left exactly as it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "caseswitch/text/CaseConversion.h"

namespace runtime {

// One byte or one UTF-16 code unit of a document's text, and how the document spells it.
struct TextPiece {
    enum class Spelling {
        Literal, // the byte itself
        Hex,     // two hexadecimal digits (an RTF \'hh escape)
        Decimal, // a decimal code unit, possibly negative (an RTF \uN escape)
    };
    Spelling spelling = Spelling::Literal;
    std::size_t offset = 0; // of the spelling in the document
    std::size_t length = 0;
    std::uint32_t value = 0; // the byte, or the code unit for Decimal
    // A byte that opens a double-byte character in its code page: the next byte piece is that
    // character's second byte, whatever its value.
    bool opensCharacter = false;
    // A symbol font's character (Symbol, Wingdings): a picture whose code only looks like a letter.
    bool glyph = false;
};

// The letters `letterCase` converts: for each piece, whether it changes. A byte piece right after
// one that opens a character is that character's second byte and never changes; code units are
// whole characters; a symbol font's glyphs never change.
std::vector<bool> PiecesToConvert(const std::vector<TextPiece>& pieces, LetterCase letterCase);

// The document with every piece that PiecesToConvert picks switched to the other case, spelled
// the way it was spelled (an escape stays an escape).
std::string RewritePieces(std::string_view document, const std::vector<TextPiece>& pieces, LetterCase letterCase);

} // namespace runtime
