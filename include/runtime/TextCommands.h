// Byte codes and letter case of texts. Only the 26 ASCII letters ever change; every byte from 0x80
// up is the first byte of a double-byte character whose second byte is left as it is.
#pragma once

#include <cstdint>

#include "runtime/Runtime.h"

namespace runtime {

// The code of the text's first byte, sign-extended (bytes from 0x80 give -128 to -1); 0 for the
// empty text.
std::int32_t GetCharCode(const char* text);
// The code of the byte at 1-based `position`; 0 for a position below 1 or past the end.
std::int32_t GetCharCode(const char* text, std::int32_t position);

// New texts (ReleaseMemory) with the letters raised or lowered; null (the empty text) when `text`
// is null or empty.
Text ToUpperCase(const char* text);
Text ToLowerCase(const char* text);

} // namespace runtime
