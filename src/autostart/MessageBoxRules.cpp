#include "autostart/MessageBoxRules.h"

namespace runtime {

std::uint32_t MessageBoxStyle(std::int32_t style) {
    const auto given = static_cast<std::uint32_t>(style);
    if ((given & kStyleSystemModal) != 0) return given;
    return given | kStyleTaskModal;
}

std::int32_t ButtonIndexFromResult(int result) {
    // IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO are 1 to 7 in this order.
    if (result < 1 || result > 7) return 0;
    return result - 1;
}

} // namespace runtime
