#include <windows.h>

#include <cstring>
#include <memory>
#include <vector>

#include "caseswitch/ClipboardExchangeEnd.h"
#include "caseswitch/ClipboardGuard.h"
#include "caseswitch/ClipboardSnapshot.h"
#include "caseswitch/ConvertedOffer.h"
#include "caseswitch/CopiedContent.h"
#include "caseswitch/ExchangeWindow.h"
#include "caseswitch/PhaseTrace.h"
#include "caseswitch/SentMessageWait.h"
#include "runtime/CaseSwitchCommands.h"

namespace runtime {
namespace {

// The exchange window's timers: the bound of the phase under way, the next look at a clipboard
// that was busy, and the grace after a read that cannot be told apart from the paste.
constexpr UINT_PTR kBoundTimer = 1;
constexpr UINT_PTR kRetryTimer = 2;
constexpr UINT_PTR kGraceTimer = 3;
constexpr UINT kRetryMilliseconds = 10;
// A restore that finds the clipboard busy keeps asking this long: the earlier content is the
// user's, and a program holding the clipboard (a remote session, a slow clipboard manager) lets
// go sooner or later.
constexpr ULONGLONG kRestoreBoundMilliseconds = 30000;
// A copy that comes after its wait is still recognised this long after the wait, and the earlier
// content put back over it.
constexpr UINT kLateCopyMilliseconds = 10000;
// When the program or the session ends, the clipboard is asked for this long.
constexpr DWORD kEndingRestoreMilliseconds = 2000;
// A reader other than the target takes the offered data: the offer is made afresh so that the
// target's own paste is seen. A reader that takes every new content stops this after a few times.
constexpr int kMostOffersAgain = 3;
// How often a pasting thread that answers with the clipboard still open is asked again at once.
constexpr int kQuickPasteChecks = 20;
// A read that may or may not be the target's paste (a reader without a window, which Wine's OLE
// clipboard is; the target reading data a clipboard manager had already taken): the earlier
// content goes back only once the clipboard has been left alone this long and the focus thread has
// painted. The painting covers a paste that opens the clipboard twice (HTML first, then text) in
// the handling of one message; the grace covers two opens by a reader that paints nothing, which
// follow each other within milliseconds. A press during the grace is refused.
constexpr UINT kUnclaimedReadGraceMilliseconds = 100;

enum class Phase { Idle, Begun, AwaitingCopy, Converting, AwaitingPaste, Restoring };

// The saved content's text, from the snapshot's own copy of its first text format.
TextForms SavedForms(const ClipboardSnapshot& snapshot) {
    for (const SavedFormat& saved : snapshot.Formats()) {
        if (format::IsText(saved.format)) return TextFormsOf(saved.format, saved.bytes.data(), saved.bytes.size());
    }
    return {};
}

// A new runtime text with the bytes; null for none.
Text NewText(const std::string& bytes) {
    if (bytes.empty()) return nullptr;
    Text text = static_cast<Text>(AllocateMemory(BlockCount(bytes.size() + 1)));
    std::memcpy(text, bytes.data(), bytes.size());
    text[bytes.size()] = '\0';
    return text;
}

struct MemoryRelease {
    void operator()(char* text) const { ReleaseMemory(text); }
};
using OwnedText = std::unique_ptr<char, MemoryRelease>;

DWORD ProcessOf(HWND window) {
    DWORD process = 0;
    if (window) GetWindowThreadProcessId(window, &process);
    return process;
}

// The window with the keyboard focus in the thread of `foreground`; `process`, when given, gets
// the foreground window's process from the same question.
HWND FocusOf(HWND foreground, DWORD* process = nullptr) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    const DWORD thread = foreground ? GetWindowThreadProcessId(foreground, process) : 0;
    return thread && GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

DWORD ThreadOf(HWND window) {
    return window ? GetWindowThreadProcessId(window, nullptr) : 0;
}

// Whether any input (keys, mouse) has arrived since the tick `since`.
bool InputSince(DWORD since) {
    LASTINPUTINFO info = {};
    info.cbSize = sizeof info;
    return GetLastInputInfo(&info) && static_cast<LONG>(info.dwTime - since) > 0;
}

// A thread retrieves WM_PAINT only when no sent, posted or input message is waiting for it: once a
// window has been painted after an invalidation made after the paste keys, its thread has handled
// those keys. One pixel, not erased: the window draws it as it was. False when the window takes no
// invalidation (hidden, gone, without a client area).
bool InvalidateForPaint(HWND window) {
    const RECT pixel = {0, 0, 1, 1};
    return window && InvalidateRect(window, &pixel, FALSE) && GetUpdateRect(window, nullptr, FALSE);
}

bool Painted(HWND window) {
    return !IsWindow(window) || !GetUpdateRect(window, nullptr, FALSE);
}

} // namespace

struct ClipboardExchange::State final : ExchangeEvents {
    Phase phase = Phase::Idle;

    // The content to put back, and the clipboard's sequence number when it was last read.
    bool saved = false;
    ClipboardSnapshot snapshot;
    OwnedText savedText;
    DWORD knownSequence = 0;

    // The target: its foreground window and the window with its keyboard focus at the copy.
    HWND foreground = nullptr;
    HWND focus = nullptr;
    DWORD targetProcesses[2] = {};
    // The thread of the window with the keyboard focus: the one that handles the paste keys.
    DWORD focusThread = 0;

    CopyStep onCopy = nullptr;
    // The tick right after the copy keys went in: input after it is the user's, and so is a copy
    // that follows such input.
    DWORD copyKeysAt = 0;
    // Begun again by a press while the copy was awaited: the saved content stays.
    bool restarted = false;
    bool copyTooLate = false;
    bool copied = false;
    CopiedContent copy;
    OwnedText copiedText;
    DWORD copySequence = 0;

    bool offered = false;
    bool pasteRendered = false;
    HWND pasteRequester = nullptr;
    // The window invalidated after the paste keys and after the paste's render, whose painting
    // tells that its thread is through with them; null where none took the invalidation.
    HWND paintProbe = nullptr;
    // A read that cannot be told apart from the paste has taken the offer.
    bool unclaimedRead = false;
    int quickPasteChecks = 0;
    bool offerAgain = false;
    int offersAgain = 0;
    ULONGLONG restoreDeadline = 0;
    bool watchingLateCopy = false;

    // Last: it may still report a rendering while it is destroyed.
    std::unique_ptr<ExchangeWindow> window;

    void Reset() {
        saved = false;
        snapshot = ClipboardSnapshot();
        savedText.reset();
        foreground = focus = nullptr;
        targetProcesses[0] = targetProcesses[1] = 0;
        focusThread = 0;
        onCopy = nullptr;
        copyKeysAt = 0;
        restarted = false;
        copyTooLate = copied = false;
        copy = CopiedContent();
        copiedText.reset();
        offered = false;
        pasteRendered = false;
        pasteRequester = nullptr;
        paintProbe = nullptr;
        unclaimedRead = false;
        quickPasteChecks = 0;
        offerAgain = false;
        offersAgain = 0;
    }

    HWND Handle() const { return window ? window->Handle() : nullptr; }

    bool IsTarget(DWORD process) const {
        return process != 0 && (process == targetProcesses[0] || process == targetProcesses[1]);
    }
    // Content without an owner window is nobody's copy: Windows refuses SetClipboardData after an
    // ownerless EmptyClipboard, so it is at most a clearing of the clipboard by another program.
    bool FromTarget(HWND owner) const { return owner && IsTarget(ProcessOf(owner)); }

    // The clipboard holds what this press put there or took from the target, nobody's since.
    bool HoldsOurs() const { return window->Owner() || (copied && GetClipboardSequenceNumber() == copySequence); }

    void PutBackOnOpenClipboard() {
        window->PutBackOnOpenClipboard(snapshot);
        knownSequence = GetClipboardSequenceNumber();
        TracePhase("restored");
    }

    void StopTimers() {
        window->StopTimer(kBoundTimer);
        window->StopTimer(kRetryTimer);
        window->StopTimer(kGraceTimer);
    }

    void End() {
        StopTimers();
        if (phase == Phase::Idle) return;
        phase = Phase::Idle;
        TracePhase("over");
        if (!watchingLateCopy) window->Listen(false);
    }

    // Copy phase.
    void LookForCopy() {
        if (GetClipboardSequenceNumber() == knownSequence) return;
        bool unsaved = false;
        {
            ClipboardGuard clipboard(Handle(), 0);
            if (!clipboard.IsOpen()) {
                window->StartTimer(kRetryTimer, kRetryMilliseconds);
                return;
            }
            window->StopTimer(kRetryTimer);
            // Read with the clipboard open, which nobody can change meanwhile.
            knownSequence = GetClipboardSequenceNumber();
            if (!FromTarget(GetClipboardOwner())) {
                // Another program's content (a password manager clearing the clipboard, a clipboard
                // synchroniser): it is what the user has now, so it is what goes back.
                snapshot = ClipboardSnapshot::TakeFromOpenClipboard();
                // Too large to save: it stays where it is, and the press ends without writing.
                unsaved = !snapshot.IsWhole();
                if (!unsaved) return;
                saved = false;
            } else {
                if (InputSince(copyKeysAt)) {
                    // The user's own copy (the press's keys went nowhere, into an elevated window say,
                    // or the target was still busy): it stays, neither converted nor put back later.
                    UsersCopy();
                    return;
                }
                copy = ReadOpenClipboardCopy();
                copiedText.reset(NewText(copy.text.ansi));
                copySequence = knownSequence;
                copied = true;
            }
        }
        if (!unsaved) TracePhase("copied");
        RunCopyStep();
    }

    void UsersCopy() {
        TracePhase("users-copy");
        StopLateCopyWatch();
        End();
    }

    // A press while the copy is awaited: the copy goes again, for the same saved content, as the
    // user may have selected something since the press that found nothing.
    void RestartCopy() {
        StopTimers();
        phase = Phase::Begun;
        restarted = true;
        TracePhase("again");
    }

    void RunCopyStep() {
        StopTimers();
        phase = Phase::Converting;
        ClipboardExchange exchange(*this);
        if (onCopy) onCopy(exchange);
        // A step that neither awaited the paste nor restored leaves nothing pending.
        if (phase == Phase::Converting) exchange.RestoreClipboard();
    }

    // Paste phase. The target's render is looked at once its thread is through with the message
    // whose handling pasted: a thread paints only when no sent, posted or input message waits for
    // it, so the probe painted after the render says so; where no window took the invalidation, the
    // answer to a sent message, which the thread gives when it retrieves messages again.
    void LookAtPaste() {
        if (!pasteRendered) return;
        if (!paintProbe) {
            if (!window->SendPasteCheck(pasteRequester)) PasteAnswered(); // its window is gone
            return;
        }
        // A program closes the clipboard and paints within a millisecond or two of taking the text:
        // looked at eagerly for so long, answering its further requests meanwhile.
        if (WaitUntil(kEagerMilliseconds, [this] { return PasteOver(); })) {
            PasteClosed();
            return;
        }
        window->StartTimer(kRetryTimer, kRetryMilliseconds);
    }

    bool PasteOver() const { return GetOpenClipboardWindow() != pasteRequester && Painted(paintProbe); }

    void ProbePaint() { paintProbe = InvalidateForPaint(focus) ? focus : nullptr; }

    // The grace after a read that may have been the paste: over once the clipboard has been left
    // alone for it and the focus thread is through with the paste keys.
    void GraceOver() {
        if (pasteRendered) return;
        {
            ClipboardGuard clipboard(Handle(), 0);
            if (!clipboard.IsOpen()) {
                // Someone is reading right now: the grace counts from when they are done.
                window->StartTimer(kGraceTimer, kUnclaimedReadGraceMilliseconds);
                return;
            }
        }
        if (paintProbe && !Painted(paintProbe)) {
            window->StartTimer(kGraceTimer, kRetryMilliseconds);
            return;
        }
        TracePhase("read-over");
        ClipboardExchange(*this).RestoreClipboard();
    }

    void PasteClosed() {
        TracePhase("pasted");
        ClipboardExchange(*this).RestoreClipboard();
    }

    void OfferAgainWhenFree() {
        ClipboardGuard clipboard(Handle(), 0);
        if (!clipboard.IsOpen()) {
            window->StartTimer(kRetryTimer, kRetryMilliseconds);
            return;
        }
        offerAgain = false;
        if (pasteRendered || !window->Owner()) return;
        ++offersAgain;
        window->OfferAgainOnOpenClipboard();
        knownSequence = GetClipboardSequenceNumber();
    }

    // Restore phase.
    void TryRestore() {
        {
            ClipboardGuard clipboard(Handle(), 0);
            if (clipboard.IsOpen()) {
                if (HoldsOurs()) PutBackOnOpenClipboard();
            } else if (GetTickCount64() < restoreDeadline) {
                window->StartTimer(kRetryTimer, kRetryMilliseconds);
                return;
            }
        }
        End();
    }

    void StartLateCopyWatch() {
        watchingLateCopy = true;
        window->Listen(true);
        window->StartTimer(kBoundTimer, kLateCopyMilliseconds);
    }

    void StopLateCopyWatch() {
        if (!watchingLateCopy) return;
        watchingLateCopy = false;
        window->StopTimer(kBoundTimer);
        if (phase == Phase::Idle) window->Listen(false);
    }

    void LateCopyCheck() {
        if (GetClipboardSequenceNumber() == knownSequence) return;
        {
            ClipboardGuard clipboard(Handle());
            // After input of the user's, it is the user's own copy.
            if (clipboard.IsOpen() && GetClipboardSequenceNumber() != knownSequence &&
                FromTarget(GetClipboardOwner()) && !InputSince(copyKeysAt))
                PutBackOnOpenClipboard();
        }
        StopLateCopyWatch();
    }

    // Ends a pending exchange at once, putting the saved content back where it is due.
    void FinishNow() {
        StopLateCopyWatch();
        if (phase == Phase::Idle) return;
        if (saved) {
            ClipboardGuard clipboard(Handle(), kEndingRestoreMilliseconds);
            if (clipboard.IsOpen() && HoldsOurs()) PutBackOnOpenClipboard();
        }
        End();
    }

    void MarkOpenClipboardPrivate() { window->MarkOpenClipboardPrivate(); }

    // ExchangeEvents
    void ClipboardChanged() override {
        if (phase == Phase::AwaitingCopy) {
            LookForCopy();
        } else if (phase == Phase::Idle && watchingLateCopy) {
            LateCopyCheck();
        } else if (phase == Phase::AwaitingPaste && unclaimedRead && !pasteRendered) {
            // A reader that took rendered data closes the clipboard with this notice.
            window->StartTimer(kGraceTimer, kUnclaimedReadGraceMilliseconds);
        }
    }

    void Rendered(HWND requester, DWORD requesterThread) override {
        if (phase != Phase::AwaitingPaste && phase != Phase::Converting) return;
        // The paste: a reader with a window of the thread that handles the paste keys, once they are
        // going in. Readers in the target's other threads (a clipboard pane, an input method) are
        // not. Between the offer and the paste keys this thread handles no message but inside
        // SendInput, which under Wine waits for low-level keyboard hooks and answers sent messages
        // meanwhile: a render then is the paste of those keys.
        const bool pasteKeys = phase == Phase::AwaitingPaste || offered;
        if (pasteKeys && requester && requesterThread == focusThread) {
            if (!pasteRendered) TracePhase("rendered");
            pasteRendered = true;
            pasteRequester = requester;
            window->StopTimer(kGraceTimer);
            ProbePaint();
            // Looked at once this rendering has been answered.
            window->PostPasteCheck();
            return;
        }
        if (pasteRendered) return;
        // Someone else (a viewer, a clipboard manager), or a reader without a window, which may be
        // the target itself (Wine's OLE clipboard reads so): the offer is made again, so that the
        // target's own paste is seen. After a read that may have been the paste, or once the offer
        // is not made again, nothing more can be seen of the paste: the earlier content goes back
        // after a grace.
        TracePhase("read");
        const bool offeredAgain = offersAgain < kMostOffersAgain;
        if (offeredAgain) {
            offerAgain = true;
            window->StartTimer(kRetryTimer, kRetryMilliseconds);
        }
        if (requester && offeredAgain) return;
        unclaimedRead = true;
        window->StartTimer(kGraceTimer, kUnclaimedReadGraceMilliseconds);
    }

    void PasteCheck() override {
        // A handler that began an exchange and returned without going on leaves nothing pending.
        if (phase == Phase::Begun) End();
        if (phase == Phase::AwaitingPaste) LookAtPaste();
    }

    void PasteAnswered() override {
        if (phase != Phase::AwaitingPaste || !pasteRendered) return;
        // Still reading: it answered from inside its paste (while asking for another format). It is
        // asked again at once a few times, then a little later, so that a reader that keeps the
        // clipboard open while it handles messages is not kept answering.
        if (GetOpenClipboardWindow() == pasteRequester) {
            if (++quickPasteChecks >= kQuickPasteChecks || !window->SendPasteCheck(pasteRequester))
                window->StartTimer(kRetryTimer, kRetryMilliseconds);
            return;
        }
        PasteClosed();
    }

    void TimerElapsed(UINT_PTR timer) override {
        window->StopTimer(timer);
        if (timer == kGraceTimer) {
            if (phase == Phase::AwaitingPaste) GraceOver();
            return;
        }
        if (timer == kRetryTimer) {
            if (phase == Phase::AwaitingCopy) LookForCopy();
            if (phase == Phase::AwaitingPaste && offerAgain) OfferAgainWhenFree();
            if (phase == Phase::AwaitingPaste && pasteRendered) {
                if (paintProbe && PasteOver()) {
                    PasteClosed();
                } else if (paintProbe) {
                    window->StartTimer(kRetryTimer, kRetryMilliseconds);
                } else {
                    LookAtPaste();
                }
            }
            if (phase == Phase::Restoring) TryRestore();
            return;
        }
        switch (phase) {
        case Phase::AwaitingCopy:
            copyTooLate = true;
            RunCopyStep();
            break;
        case Phase::AwaitingPaste:
            ClipboardExchange(*this).RestoreClipboard();
            break;
        case Phase::Idle:
            StopLateCopyWatch();
            break;
        default:
            break;
        }
    }

    void TakenOver() override {
        if (phase == Phase::AwaitingPaste || phase == Phase::Restoring) End();
    }

    void SessionEnding() override { FinishNow(); }
};

namespace {

ClipboardExchange::State& TheState() {
    // The one exchange of the process: it lives from one press to the end of its paste, beyond the
    // handler that began it.
    static ClipboardExchange::State state;
    return state;
}

} // namespace

ClipboardExchange* BeginClipboardExchange() {
    ClipboardExchange::State& state = TheState();
    static ClipboardExchange exchange(state);
    if (state.phase == Phase::AwaitingCopy) {
        state.RestartCopy();
    } else {
        // A paste awaited, or the earlier content on its way back: this press does nothing.
        if (state.phase != Phase::Idle) return nullptr;
        state.StopLateCopyWatch();
        state.Reset();
        if (!state.Handle()) state.window = std::make_unique<ExchangeWindow>(state);
        if (!state.Handle()) return nullptr;
        state.phase = Phase::Begun;
    }
    // Seen once the handler that begins it has returned.
    state.window->PostPasteCheck();
    return &exchange;
}

bool ClipboardExchangeUnderWay() {
    return TheState().phase != Phase::Idle;
}

void FinishClipboardExchange() {
    ClipboardExchange::State& state = TheState();
    if (!state.window) return;
    state.FinishNow();
    // Data still unrendered is rendered as the window goes.
    state.window.reset();
}

bool ClipboardExchange::SaveClipboard() {
    if (state.phase != Phase::Begun || !state.Handle()) return false;
    if (!state.restarted) {
        // Listening first: no change between the save and the copy goes unnoticed.
        state.window->Listen(true);
        // Content too large to save whole, an owner that does not render it, a busy clipboard: the
        // press leaves it all alone.
        state.snapshot = state.window->Snapshot();
        if (!state.snapshot.IsWhole()) return false;
        state.knownSequence = state.snapshot.Sequence();
        state.saved = true;
    }
    state.savedText.reset(NewText(SavedForms(state.snapshot).ansi));
    // The target of this press's copy, which may be another window than the last press's.
    state.foreground = GetForegroundWindow();
    state.focus = FocusOf(state.foreground, &state.targetProcesses[0]);
    state.targetProcesses[1] = ProcessOf(state.focus);
    state.focusThread = ThreadOf(state.focus ? state.focus : state.foreground);
    return true;
}

Text ClipboardExchange::TakeSavedText() {
    return state.savedText.release();
}

void ClipboardExchange::AwaitCopy(std::int32_t milliseconds, CopyStep then) {
    if (state.phase != Phase::Begun) return;
    state.onCopy = then;
    if (!state.saved) {
        state.RunCopyStep();
        return;
    }
    state.phase = Phase::AwaitingCopy;
    state.copyKeysAt = GetTickCount();
    TracePhase("copy-keys");
    state.window->StartTimer(kBoundTimer, static_cast<UINT>(milliseconds < 0 ? 0 : milliseconds));
}

bool ClipboardExchange::Copied() const {
    return state.copied;
}

Text ClipboardExchange::TakeCopiedText() {
    return state.copiedText.release();
}

bool ClipboardExchange::CopyIsText() const {
    return state.copied && state.copy.verdict == CopyVerdict::Text;
}

bool ClipboardExchange::OfferConverted(const char* converted, bool toLower) {
    if (state.phase != Phase::Converting || !state.copied) return false;
    std::vector<OfferedFormat> offer = MakeConvertedOffer(state.copy, converted, toLower);
    ClipboardGuard clipboard(state.Handle());
    if (!clipboard.IsOpen()) return false;
    // Content another program has put there since the copy is not ours to replace.
    if (GetClipboardSequenceNumber() != state.copySequence) return false;
    state.offered = true;
    return state.window->OfferOnOpenClipboard(std::move(offer));
}

bool ClipboardExchange::SameFocus() const {
    return state.foreground != nullptr && GetForegroundWindow() == state.foreground &&
           FocusOf(state.foreground) == state.focus;
}

void ClipboardExchange::AwaitPaste(std::int32_t milliseconds) {
    if (state.phase != Phase::Converting || !state.offered) {
        RestoreClipboard();
        return;
    }
    state.phase = Phase::AwaitingPaste;
    state.ProbePaint();
    TracePhase("paste-keys");
    state.window->StartTimer(kBoundTimer, static_cast<UINT>(milliseconds < 0 ? 0 : milliseconds));
}

void ClipboardExchange::RestoreClipboard() {
    if (state.phase == Phase::Idle || state.phase == Phase::Restoring) return;
    state.window->StopTimer(kBoundTimer);
    state.window->StopTimer(kRetryTimer);
    if (!state.saved || (!state.offered && !state.copied)) {
        // Nothing was written: the clipboard holds what it held, or what another program put there.
        const bool watch = state.saved && state.copyTooLate;
        state.End();
        if (watch) state.StartLateCopyWatch();
        return;
    }
    state.phase = Phase::Restoring;
    state.restoreDeadline = GetTickCount64() + kRestoreBoundMilliseconds;
    state.TryRestore();
}

} // namespace runtime
