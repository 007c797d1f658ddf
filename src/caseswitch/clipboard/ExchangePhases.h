// The phases of one press's clipboard exchange, each with the data that only it knows, and the
// table of what each event does in each phase. The table is the exchange: keep it true.
//
// Phases, in a press's order:
//   Idle              no press; the content put back, if any, is the user's again
//   Begun             a hot-key handler has begun a press: the save, then the copy keys
//   AwaitingCopy      the copy keys went in; the target's copy is awaited (bound timer)
//   Converting        the program's copy step runs, the copy read or its wait over
//   Offered           the converted text is offered on the clipboard; the step sends the paste keys
//   AwaitingPaste     the paste keys went in; the target's paste is awaited (bound timer), first
//                     its render (a paste requester known), then the end of its read
//   Restoring         the saved content goes back once the clipboard is free (retry timer)
//   WatchingLateCopy  after a press whose copy did not come in time (bound timer): a copy of the
//                     target's that comes still is put back over; not under way for the program
//
// The program's calls (ClipboardExchange):
//   Begin            Idle, WatchingLateCopy -> Begun; AwaitingCopy -> Begun ("again": the saved
//                    content stays, the copy goes again); any other phase refuses the press.
//                    A PasteCheck is posted, seen once the handler has returned.
//   SaveClipboard    Begun: saves the content (unless this press saved it already) and the target.
//   AwaitCopy        Begun -> AwaitingCopy; nothing saved -> Converting at once.
//   OfferConverted   Converting with a copy -> Offered, when the clipboard still holds the copy.
//   AwaitPaste       Offered -> AwaitingPaste; any other phase: as RestoreClipboard.
//   RestoreClipboard Begun, AwaitingCopy, Converting, Offered, AwaitingPaste: with content saved
//                    and the copy or the offer on the clipboard -> Restoring; otherwise nothing was
//                    written -> Idle, or WatchingLateCopy after a copy wait that ran out.
//   The step returning in Converting or Offered: as RestoreClipboard.
//
// The exchange window's events (a phase not named does nothing):
//   ClipboardChanged  AwaitingCopy: the copy look (below). WatchingLateCopy: the target's late
//                     copy is put back over -> Idle. AwaitingPaste, after an unclaimed read and
//                     before the paste's render: the grace begins again (the reader closed).
//   Rendered          Offered, AwaitingPaste: a requester of the focus thread is the paste: probe
//                     its painting, post a PasteCheck. Before that, another reader: offer again
//                     (retry timer), at most kMostOffersAgain times; a reader without a window or
//                     the last offer again is an unclaimed read: grace timer.
//                     In Converting a read can only be of an earlier press's offer: nothing.
//   PasteCheck        Begun: the handler went no further -> Idle. AwaitingPaste, rendered: look
//                     at the paste (eagerly, then retry timer, or a sent check where no window
//                     took the paint probe).
//   PasteAnswered     AwaitingPaste, rendered: the requester still holds the clipboard: check
//                     again; else the paste is over -> restore.
//   bound timer       AwaitingCopy: the wait ran out -> Converting without a copy.
//                     AwaitingPaste: no paste -> restore. WatchingLateCopy -> Idle.
//   retry timer       AwaitingCopy: the copy look again. AwaitingPaste: the due offer again; once
//                     rendered, the paste's end looked at again. Restoring: the restore again,
//                     until kRestoreBoundMilliseconds have passed -> Idle. Looked at in this order,
//                     so that a phase the copy look leads to acts in the same turn.
//   grace timer       AwaitingPaste, not rendered: the clipboard left alone and the focus thread
//                     painted -> restore; otherwise the grace goes on.
//   TakenOver         AwaitingPaste, Restoring: the clipboard is another program's -> Idle.
//   SessionEnding     (and the program's end) any phase under way: the saved content goes back
//                     at once where the clipboard holds ours (bounded) -> Idle.
//
// The copy look (AwaitingCopy, on a new sequence number): content of another program's becomes
// the content to put back (too large to save: Converting without anything saved); the target's
// after input of the user's is the user's own copy -> Idle; the target's otherwise is the copy
// -> Converting.
//
// Handlers that wait, read delayed data or run the program's step let other events in: after such
// a call they look the phase up afresh, as the event may have ended it.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <variant>

#include "caseswitch/clipboard/ClipboardSnapshot.h"
#include "caseswitch/clipboard/CopiedContent.h"
#include "runtime/CaseSwitchCommands.h"

namespace runtime::exchange {

// The exchange window's timers: the bound of the phase under way, the next look at a clipboard
// that was busy, and the grace after a read that cannot be told apart from the paste.
inline constexpr UINT_PTR kBoundTimer = 1;
inline constexpr UINT_PTR kRetryTimer = 2;
inline constexpr UINT_PTR kGraceTimer = 3;
inline constexpr UINT kRetryMilliseconds = 10;
// A restore that finds the clipboard busy keeps asking this long: the earlier content is the
// user's, and a program holding the clipboard (a remote session, a slow clipboard manager) lets
// go sooner or later.
inline constexpr ULONGLONG kRestoreBoundMilliseconds = 30000;
// A copy that comes after its wait is still recognised this long after the wait, and the earlier
// content put back over it.
inline constexpr UINT kLateCopyMilliseconds = 10000;
// When the program or the session ends, the clipboard is asked for this long.
inline constexpr DWORD kEndingRestoreMilliseconds = 2000;
// A reader other than the target takes the offered data: the offer is made afresh so that the
// target's own paste is seen. A reader that takes every new content stops this after a few times.
inline constexpr int kMostOffersAgain = 3;
// How often a pasting thread that answers with the clipboard still open is asked again at once.
inline constexpr int kQuickPasteChecks = 20;
// A read that may or may not be the target's paste (a reader without a window, which Wine's OLE
// clipboard is; the target reading data a clipboard manager had already taken): the earlier
// content goes back only once the clipboard has been left alone this long and the focus thread has
// painted. The painting covers a paste that opens the clipboard twice (HTML first, then text) in
// the handling of one message; the grace covers two opens by a reader that paints nothing, which
// follow each other within milliseconds. A press during the grace is refused.
inline constexpr UINT kUnclaimedReadGraceMilliseconds = 100;

struct MemoryRelease {
    void operator()(char* text) const { ReleaseMemory(text); }
};
using OwnedText = std::unique_ptr<char, MemoryRelease>;

// The content to put back, and the clipboard's sequence number when it was last read.
struct SavedContent {
    ClipboardSnapshot snapshot;
    DWORD knownSequence = 0;
};

// The target of a press's copy and paste, as it stood at the save.
struct Target {
    HWND foreground = nullptr;
    // The window with the keyboard focus in the foreground window's thread.
    HWND focus = nullptr;
    // The foreground window's process and the focus window's.
    DWORD processes[2] = {};
    // The thread of the window with the keyboard focus: the one that handles the paste keys.
    DWORD focusThread = 0;

    static Target Now();
    // Content without an owner window is nobody's copy: Windows refuses SetClipboardData after an
    // ownerless EmptyClipboard, so it is at most a clearing of the clipboard by another program.
    bool Owns(HWND owner) const;
    // Whether the window that had the keyboard focus still has it, in the foreground.
    bool StillFocused() const;
};

// What a press knows from its save on, kept until the next press begins: its phases share it,
// and the late-copy watch after it still needs it.
struct Press {
    std::optional<SavedContent> saved;
    Target target;
};

// The copy as read from the clipboard.
struct TakenCopy {
    CopiedContent content;
    OwnedText text;
    DWORD sequence = 0;
};

// What the reads of the offer have shown so far.
struct OfferReads {
    // The window that took the offer on the focus thread: the paste. Null until it has.
    HWND pasteRequester = nullptr;
    // The window invalidated after the paste keys and after the paste's render, whose painting
    // tells that its thread is through with them; null where none took the invalidation.
    HWND paintProbe = nullptr;
    // A read that cannot be told apart from the paste has taken the offer.
    bool unclaimedRead = false;
    int quickPasteChecks = 0;
    // An offer afresh is due once the clipboard is free.
    bool offerAgainDue = false;
    int offersAgain = 0;
};

struct Idle {};

struct Begun {
    // The saved content's text, handed over once.
    OwnedText savedText;
};

struct AwaitingCopy {
    ClipboardExchange::CopyStep then = nullptr;
    // The tick right after the copy keys went in: input after it is the user's, and so is a copy
    // that follows such input.
    DWORD copyKeysAt = 0;
};

struct Converting {
    DWORD copyKeysAt = 0;
    // The copy did not come within its wait: a copy that comes later is watched for.
    bool copyWaitRanOut = false;
    std::optional<TakenCopy> copy;
};

struct Offered {
    TakenCopy copy;
    OfferReads reads;
};

struct AwaitingPaste {
    DWORD copySequence = 0;
    OfferReads reads;
};

struct Restoring {
    // The copy's sequence number: the clipboard still holds it when nobody wrote since.
    DWORD copySequence = 0;
    ULONGLONG deadline = 0;
};

struct WatchingLateCopy {
    DWORD copyKeysAt = 0;
};

using Phase = std::variant<Idle, Begun, AwaitingCopy, Converting, Offered, AwaitingPaste, Restoring, WatchingLateCopy>;

} // namespace runtime::exchange
