#include "tray/TrayTip.h"

#include <cstring>

namespace runtime {

std::size_t FillTextField(const char* text, char* field, std::size_t fieldSize, std::size_t maxBytes) {
    std::memset(field, 0, fieldSize);
    if (!text || fieldSize == 0) return 0;
    if (maxBytes > fieldSize - 1) maxBytes = fieldSize - 1;
    std::size_t kept = 0;
    while (text[kept] != '\0') {
        const bool doubleByte = static_cast<unsigned char>(text[kept]) >= 0x80;
        // A lead byte at the very end of the text has no second byte: it is no character.
        if (doubleByte && text[kept + 1] == '\0') break;
        const std::size_t next = kept + (doubleByte ? 2 : 1);
        if (next > maxBytes) break;
        kept = next;
    }
    std::memcpy(field, text, kept);
    return kept;
}

} // namespace runtime
