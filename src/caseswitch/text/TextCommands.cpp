#include "runtime/TextCommands.h"

#include <cstring>

#include "caseswitch/text/CaseConversion.h"

namespace runtime {
namespace {

Text ConvertedCopy(LetterCase letterCase, const char* text) {
    if (text == nullptr || text[0] == '\0') return nullptr;
    const std::size_t length = std::strlen(text);
    Text copy = static_cast<Text>(AllocateMemory(BlockCount(length + 1)));
    ConvertCase(letterCase, text, length, copy);
    copy[length] = '\0';
    return copy;
}

} // namespace

std::int32_t GetCharCode(const char* text) {
    return CharCodeAt(text, 1);
}

std::int32_t GetCharCode(const char* text, std::int32_t position) {
    return CharCodeAt(text, position);
}

Text ToUpperCase(const char* text) {
    return ConvertedCopy(LetterCase::Upper, text);
}

Text ToLowerCase(const char* text) {
    return ConvertedCopy(LetterCase::Lower, text);
}

} // namespace runtime
