#include "runtime/ClipboardCommands.h"

#include "caseswitch/clipboard/ClipboardGuard.h"

namespace runtime {

Text GetClipboardText() {
    ClipboardGuard clipboard(ClipboardOwnerWindow());
    if (!clipboard.IsOpen()) return nullptr;
    return ReadOpenClipboardText();
}

bool SetClipboardText(const char* text) {
    ClipboardGuard clipboard(ClipboardOwnerWindow());
    if (!clipboard.IsOpen()) return false;
    return ReplaceOpenClipboardText(text);
}

} // namespace runtime
