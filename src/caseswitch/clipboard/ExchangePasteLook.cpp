// The paste's side of the exchange: telling the target's paste from other reads of the offer, and
// seeing when the paste is over. The target's render is looked at once its thread is through with
// the message whose handling pasted: a thread paints only when no sent, posted or input message
// waits for it, so the probe painted after the render says so; where no window took the
// invalidation, the answer to a sent message, which the thread gives when it retrieves messages
// again.
#include "caseswitch/clipboard/ClipboardGuard.h"
#include "caseswitch/clipboard/ExchangeState.h"
#include "caseswitch/clipboard/PhaseTrace.h"
#include "caseswitch/clipboard/SentMessageWait.h"

namespace runtime {

using namespace exchange;

namespace {

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

bool PasteOver(const OfferReads& reads) {
    return GetOpenClipboardWindow() != reads.pasteRequester && Painted(reads.paintProbe);
}

} // namespace

OfferReads* ClipboardExchange::State::Reads() {
    if (Offered* offered = In<Offered>()) return &offered->reads;
    if (AwaitingPaste* paste = In<AwaitingPaste>()) return &paste->reads;
    return nullptr;
}

HWND ClipboardExchange::State::ProbePaint() const {
    return InvalidateForPaint(press.target.focus) ? press.target.focus : nullptr;
}

void ClipboardExchange::State::OfferRendered(OfferReads& reads, HWND requester, DWORD requesterThread) {
    // The paste: a reader with a window of the thread that handles the paste keys, once they are
    // going in. Readers in the target's other threads (a clipboard pane, an input method) are
    // not. Between the offer and the paste keys this thread handles no message but inside
    // SendInput, which under Wine waits for low-level keyboard hooks and answers sent messages
    // meanwhile: a render then is the paste of those keys.
    if (requester && requesterThread == press.target.focusThread) {
        if (!reads.pasteRequester) TracePhase("rendered");
        reads.pasteRequester = requester;
        window->StopTimer(kGraceTimer);
        reads.paintProbe = ProbePaint();
        // Looked at once this rendering has been answered.
        window->PostPasteCheck();
        return;
    }
    if (reads.pasteRequester) return;
    // Someone else (a viewer, a clipboard manager), or a reader without a window, which may be
    // the target itself (Wine's OLE clipboard reads so): the offer is made again, so that the
    // target's own paste is seen. After a read that may have been the paste, or once the offer
    // is not made again, nothing more can be seen of the paste: the earlier content goes back
    // after a grace.
    TracePhase("read");
    const bool offeredAgain = reads.offersAgain < kMostOffersAgain;
    if (offeredAgain) {
        reads.offerAgainDue = true;
        window->StartTimer(kRetryTimer, kRetryMilliseconds);
    }
    if (requester && offeredAgain) return;
    reads.unclaimedRead = true;
    window->StartTimer(kGraceTimer, kUnclaimedReadGraceMilliseconds);
}

void ClipboardExchange::State::LookAtPaste() {
    const OfferReads& reads = std::get<AwaitingPaste>(phase).reads;
    if (!reads.pasteRequester) return;
    if (!reads.paintProbe) {
        if (!window->SendPasteCheck(reads.pasteRequester)) PasteAnswered(); // its window is gone
        return;
    }
    // A program closes the clipboard and paints within a millisecond or two of taking the text:
    // looked at eagerly for so long, answering its further requests meanwhile, which may end the
    // press or name another requester.
    const bool over = WaitUntil(kEagerMilliseconds, [this] {
        const AwaitingPaste* paste = In<AwaitingPaste>();
        return !paste || PasteOver(paste->reads);
    });
    if (!Is<AwaitingPaste>()) return;
    if (over) {
        PasteClosed();
        return;
    }
    window->StartTimer(kRetryTimer, kRetryMilliseconds);
}

void ClipboardExchange::State::PasteStillReading(AwaitingPaste& paste) {
    OfferReads& reads = paste.reads;
    // Still reading: it answered from inside its paste (while asking for another format). It is
    // asked again at once a few times, then a little later, so that a reader that keeps the
    // clipboard open while it handles messages is not kept answering.
    if (GetOpenClipboardWindow() == reads.pasteRequester) {
        if (++reads.quickPasteChecks >= kQuickPasteChecks || !window->SendPasteCheck(reads.pasteRequester))
            window->StartTimer(kRetryTimer, kRetryMilliseconds);
        return;
    }
    PasteClosed();
}

// The grace after a read that may have been the paste: over once the clipboard has been left
// alone for it and the focus thread is through with the paste keys.
void ClipboardExchange::State::GraceOver() {
    const OfferReads& reads = std::get<AwaitingPaste>(phase).reads;
    if (reads.pasteRequester) return;
    {
        ClipboardGuard clipboard(Handle(), 0);
        if (!clipboard.IsOpen()) {
            // Someone is reading right now: the grace counts from when they are done.
            window->StartTimer(kGraceTimer, kUnclaimedReadGraceMilliseconds);
            return;
        }
    }
    if (reads.paintProbe && !Painted(reads.paintProbe)) {
        window->StartTimer(kGraceTimer, kRetryMilliseconds);
        return;
    }
    TracePhase("read-over");
    RestoreClipboard();
}

void ClipboardExchange::State::RetryPaste() {
    if (std::get<AwaitingPaste>(phase).reads.offerAgainDue) OfferAgainWhenFree();
    const AwaitingPaste* paste = In<AwaitingPaste>();
    if (!paste || !paste->reads.pasteRequester) return;
    if (!paste->reads.paintProbe) {
        LookAtPaste();
    } else if (PasteOver(paste->reads)) {
        PasteClosed();
    } else {
        window->StartTimer(kRetryTimer, kRetryMilliseconds);
    }
}

void ClipboardExchange::State::OfferAgainWhenFree() {
    ClipboardGuard clipboard(Handle(), 0);
    if (!clipboard.IsOpen()) {
        window->StartTimer(kRetryTimer, kRetryMilliseconds);
        return;
    }
    OfferReads& reads = std::get<AwaitingPaste>(phase).reads;
    reads.offerAgainDue = false;
    if (reads.pasteRequester || !window->Owner()) return;
    ++reads.offersAgain;
    window->OfferAgainOnOpenClipboard();
    press.saved->knownSequence = GetClipboardSequenceNumber();
}

void ClipboardExchange::State::PasteClosed() {
    TracePhase("pasted");
    RestoreClipboard();
}

} // namespace runtime
