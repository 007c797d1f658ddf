// What the case-switch action needs besides the text, clipboard and key commands: telling a
// console window, waiting until the hot key has been let go, and one exchange of the selection
// through the clipboard that leaves the clipboard as it was.
#pragma once

#include <cstdint>
#include <memory>

#include "runtime/Runtime.h"

namespace runtime {

// Whether the foreground window is a console or terminal window, where keystrokes must not go:
// there Ctrl+C with nothing selected interrupts the running program, and a paste lands at the
// prompt, where the shell runs it.
bool ForegroundIsConsole();

// Waits until neither key (virtual-key codes) is held down, handling only the messages other
// threads send meanwhile; false when one is still held after `milliseconds`.
bool WaitForKeysReleased(std::int32_t key1, std::int32_t key2, std::int32_t milliseconds);

// One press's trip through the clipboard, in the order of its steps: save the clipboard, let the
// copy keystroke arrive, offer the converted text, let the paste keystroke take it, put the saved
// content back. Every wait is bounded and handles only messages sent by other threads, so a
// further hot-key press stays queued until this exchange is over. Lives for one press.
class ClipboardExchange {
public:
    ClipboardExchange();
    // Puts the saved content back if RestoreClipboard has not run yet.
    ~ClipboardExchange();
    ClipboardExchange(const ClipboardExchange&) = delete;
    ClipboardExchange& operator=(const ClipboardExchange&) = delete;

    // Saves every copyable format of the clipboard, and notes its sequence number and the
    // foreground window for the copy that follows. False when the clipboard stayed busy: then
    // nothing was read and nothing will be written.
    bool SaveClipboard();
    // The saved content's text (CF_TEXT), handed over once; null when it held none.
    Text TakeSavedText();

    // After the copy keystroke: waits until new content has reached the clipboard and reads it.
    // False when none came within `milliseconds`.
    bool WaitForCopy(std::int32_t milliseconds);
    // The copied text (CF_TEXT), handed over once; null when the copy held no text.
    Text TakeCopiedText();
    // Whether the copy is plain text that may be converted and pasted back: false for a copy
    // without text and for content a plain-text paste would lose or misplace (a spreadsheet's
    // cells, a code editor's whole-line copy, files).
    bool CopyIsText() const;

    // Offers `converted` (the copied text converted, lower case when `toLower`) for the paste: as
    // CF_TEXT, as CF_UNICODETEXT (code page 936's reading of it, or the copied Unicode text
    // converted the same way when that does not survive code page 936, so that no character is
    // lost), with CF_LOCALE naming code page 936, and with the copy's rich text and HTML converted
    // the same way, so that the target pastes its preferred form with its formatting.
    bool OfferConverted(const char* converted, bool toLower);
    // Whether the window that took the copy keystroke is still in the foreground.
    bool SameForeground() const;
    // After the paste keystroke: waits until the paste has taken the offered text and the pasting
    // program has let go of the clipboard. False when that did not happen within `milliseconds`.
    bool WaitForPaste(std::int32_t milliseconds);

    // Puts the saved content back when the clipboard has changed since it was saved, unless
    // another program has put content of its own there meanwhile. False when the clipboard could
    // not be written.
    bool RestoreClipboard();

private:
    struct State;
    std::unique_ptr<State> state;
};

} // namespace runtime
