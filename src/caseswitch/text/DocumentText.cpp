#include "caseswitch/text/DocumentText.h"

namespace runtime {
namespace {

bool IsLetterToConvert(std::uint32_t value, LetterCase letterCase) {
    const std::uint32_t first = letterCase == LetterCase::Upper ? 0x61 : 0x41; // 'a' or 'A'
    return value - first < 26;
}

bool IsUpperHexDigit(char digit) {
    return digit >= 'A' && digit <= 'F';
}

std::string Spell(const TextPiece& piece, std::uint32_t value, std::string_view original) {
    switch (piece.spelling) {
    case TextPiece::Spelling::Literal:
        return std::string(1, static_cast<char>(value));
    case TextPiece::Spelling::Hex: {
        // Keep the writer's choice of digit case.
        const bool upper = IsUpperHexDigit(original[0]) || IsUpperHexDigit(original[1]);
        const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
        return {digits[(value >> 4) & 0xF], digits[value & 0xF]};
    }
    case TextPiece::Spelling::Decimal:
        return std::to_string(value);
    }
    return std::string(original);
}

} // namespace

std::vector<bool> PiecesToConvert(const std::vector<TextPiece>& pieces, LetterCase letterCase) {
    std::vector<bool> convert(pieces.size(), false);
    bool secondByte = false;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const TextPiece& piece = pieces[i];
        if (piece.spelling == TextPiece::Spelling::Decimal) {
            convert[i] = !piece.glyph && IsLetterToConvert(piece.value, letterCase);
            continue;
        }
        if (secondByte) {
            secondByte = false;
            continue;
        }
        secondByte = piece.opensCharacter;
        convert[i] = !piece.opensCharacter && !piece.glyph && IsLetterToConvert(piece.value, letterCase);
    }
    return convert;
}

std::string RewritePieces(std::string_view document, const std::vector<TextPiece>& pieces, LetterCase letterCase) {
    const std::vector<bool> convert = PiecesToConvert(pieces, letterCase);
    std::string result;
    result.reserve(document.size() + 8);
    std::size_t copied = 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (!convert[i]) continue;
        const TextPiece& piece = pieces[i];
        result.append(document.substr(copied, piece.offset - copied));
        result += Spell(piece, piece.value ^ 0x20, document.substr(piece.offset, piece.length));
        copied = piece.offset + piece.length;
    }
    result.append(document.substr(copied));
    return result;
}

} // namespace runtime
