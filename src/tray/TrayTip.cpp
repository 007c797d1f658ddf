#include "tray/TrayTip.h"

#include <cstring>

namespace runtime {

std::size_t FillTrayTip(const char* tip, char (&field)[kTrayTipFieldSize]) {
    std::memset(field, 0, sizeof field);
    if (!tip) return 0;
    std::size_t kept = 0;
    while (tip[kept] != '\0') {
        const bool doubleByte = static_cast<unsigned char>(tip[kept]) >= 0x80;
        // A lead byte at the very end of the text has no second byte: it is no character.
        if (doubleByte && tip[kept + 1] == '\0') break;
        const std::size_t next = kept + (doubleByte ? 2 : 1);
        if (next > kTrayTipMaxBytes) break;
        kept = next;
    }
    std::memcpy(field, tip, kept);
    return kept;
}

} // namespace runtime
