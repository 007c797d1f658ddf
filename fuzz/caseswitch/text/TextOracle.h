// The oracle of the rich-text fuzz targets: a conversion changes nothing outside the text pieces,
// and the text changes exactly as converting the document's plain text would change it.
#pragma once

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "caseswitch/text/DocumentText.h"

namespace fuzz {

inline void Check(bool condition) {
    if (!condition) std::abort();
}

inline void CheckConversion(std::string_view original, const std::vector<runtime::TextPiece>& before,
                            std::string_view converted, const std::vector<runtime::TextPiece>& after,
                            runtime::LetterCase letterCase) {
    using runtime::TextPiece;
    Check(before.size() == after.size());
    // Outside the text pieces not one byte changes.
    std::size_t originalAt = 0;
    std::size_t convertedAt = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        Check(before[i].offset >= originalAt && after[i].offset >= convertedAt);
        Check(original.substr(originalAt, before[i].offset - originalAt) ==
              converted.substr(convertedAt, after[i].offset - convertedAt));
        Check(before[i].spelling == after[i].spelling && before[i].opensCharacter == after[i].opensCharacter &&
              before[i].glyph == after[i].glyph);
        originalAt = before[i].offset + before[i].length;
        convertedAt = after[i].offset + after[i].length;
    }
    Check(original.substr(originalAt) == converted.substr(convertedAt));

    // The text: the plain text's byte rule, written out again here. A byte after one that opens a
    // character is its second byte; code units are characters of their own.
    const std::uint32_t first = letterCase == runtime::LetterCase::Upper ? 0x61 : 0x41; // 'a' or 'A'
    bool secondByte = false;
    bool programCodePage = true;
    std::string plainBefore;
    std::string plainAfter;
    for (std::size_t i = 0; i < before.size(); ++i) {
        const std::uint32_t value = before[i].value;
        bool changes = value - first < 26 && !before[i].glyph;
        if (before[i].spelling != TextPiece::Spelling::Decimal) {
            changes = changes && !secondByte && !before[i].opensCharacter;
            secondByte = !secondByte && before[i].opensCharacter;
            programCodePage = programCodePage && before[i].opensCharacter == (value >= 0x80) && !before[i].glyph;
            plainBefore += static_cast<char>(value);
            plainAfter += static_cast<char>(after[i].value);
        }
        Check(after[i].value == (changes ? (value ^ 0x20) : value));
    }
    // Where every byte is read by the program's own rule, the text converts exactly as the plain
    // text does through the program's conversion.
    if (programCodePage) {
        std::string expected(plainBefore.size(), '\0');
        runtime::ConvertCase(letterCase, plainBefore.data(), plainBefore.size(), expected.data());
        Check(expected == plainAfter);
    }
}

} // namespace fuzz
