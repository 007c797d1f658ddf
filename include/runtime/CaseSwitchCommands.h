// What the case-switch action needs besides the text, clipboard and key commands: telling a
// console window, waiting until the hot key has been let go, and one exchange of the selection
// through the clipboard that leaves the clipboard as it was.
#pragma once

#include <cstdint>

#include "runtime/Runtime.h"

namespace runtime {

// Whether the foreground window is a console or terminal window, where keystrokes must not go:
// there Ctrl+C with nothing selected interrupts the running program, and a paste lands at the
// prompt, where the shell runs it.
bool ForegroundIsConsole();

// Waits until neither key (virtual-key codes) nor any modifier key (Shift, Ctrl, Alt, either
// Windows key) is held down, handling only the messages other threads send meanwhile; false when
// one is still held after `milliseconds`. A held modifier would turn an injected keystroke into
// another command, and a release landing among the injected keys would split them.
bool WaitForKeysReleased(std::int32_t key1, std::int32_t key2, std::int32_t milliseconds);

// The key whose tap, once the hot key is let go, puts Caps Lock back as it was before a press of a
// hot key made with it: Windows flips the toggle (and the light) before it looks for hot keys, and
// the hot key keeps only the key-down from the focused window. Caps Lock itself, or Shift where
// Windows is set to release Caps Lock with Shift (there a Caps Lock press only ever turns it on).
std::int32_t CapsLockRestoreKey();

// One press's trip through the clipboard, in the order of its steps: save the clipboard, let the
// copy keystroke arrive, offer the converted text, let the paste keystroke take it, put the saved
// content back. The exchange outlives the handler that begins it: every wait is a phase of the
// runtime's exchange window, driven by the clipboard's and the target's messages and by timers,
// so that the program's window stays responsive however long the target takes. One exchange at a
// time: a press while one is under way does nothing.
class ClipboardExchange {
public:
    // The step the program runs once the copy has arrived or its wait is over.
    using CopyStep = void (*)(ClipboardExchange& exchange);

    ClipboardExchange(const ClipboardExchange&) = delete;
    ClipboardExchange& operator=(const ClipboardExchange&) = delete;

    // Saves every copyable format of the clipboard, and notes its sequence number and the window
    // with the keyboard focus for the copy that follows. False when the clipboard stayed busy:
    // then nothing was read and nothing will be written.
    bool SaveClipboard();
    // The saved content's text (CF_TEXT), handed over once; null when it held none.
    Text TakeSavedText();

    // After the copy keystroke: runs `then` once the target's copy has reached the clipboard and
    // has been read, or once `milliseconds` have passed without it. Content another program puts
    // on the clipboard meanwhile is not the copy: it becomes the content to put back. A copy that
    // arrives after the bound is put back when it comes.
    void AwaitCopy(std::int32_t milliseconds, CopyStep then);
    // Whether the copy arrived and was read.
    bool Copied() const;
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
    // the same way, so that the target pastes its preferred form with its formatting. False when
    // the clipboard changed since the copy or refused the offer.
    bool OfferConverted(const char* converted, bool toLower);
    // Whether the window that had the keyboard focus at the copy still has it, in the foreground.
    bool SameFocus() const;
    // After the paste keystroke: the saved content goes back once the target has taken the offer
    // and its paste is over, or after `milliseconds` without a paste.
    void AwaitPaste(std::int32_t milliseconds);

    // Ends the exchange: puts the saved content back when the clipboard holds the copy or the
    // offer, never over content another program has put there since. A busy clipboard is asked
    // for again until it is free (bounded).
    void RestoreClipboard();

    struct State;

private:
    explicit ClipboardExchange(State& state) : state(state) {}
    friend ClipboardExchange* BeginClipboardExchange();

    State& state;
};

// The exchange for a new press, or null while an earlier press's exchange is under way.
ClipboardExchange* BeginClipboardExchange();

} // namespace runtime
