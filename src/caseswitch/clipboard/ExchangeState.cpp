#include "caseswitch/clipboard/ExchangeState.h"

#include "caseswitch/clipboard/PhaseTrace.h"

namespace runtime {

using namespace exchange;

void ClipboardExchange::State::ClipboardChanged() {
    if (Is<AwaitingCopy>()) {
        LookForCopy();
    } else if (Is<WatchingLateCopy>()) {
        LateCopyCheck();
    } else if (const AwaitingPaste* paste = In<AwaitingPaste>()) {
        // A reader that took rendered data closes the clipboard with this notice.
        if (paste->reads.unclaimedRead && !paste->reads.pasteRequester)
            window->StartTimer(kGraceTimer, kUnclaimedReadGraceMilliseconds);
    }
}

void ClipboardExchange::State::Rendered(HWND requester, DWORD requesterThread) {
    if (OfferReads* reads = Reads()) OfferRendered(*reads, requester, requesterThread);
}

void ClipboardExchange::State::PasteCheck() {
    // A handler that began an exchange and returned without going on leaves nothing pending.
    if (Is<Begun>()) {
        End();
    } else if (Is<AwaitingPaste>()) {
        LookAtPaste();
    }
}

void ClipboardExchange::State::PasteAnswered() {
    AwaitingPaste* paste = In<AwaitingPaste>();
    if (paste && paste->reads.pasteRequester) PasteStillReading(*paste);
}

void ClipboardExchange::State::TimerElapsed(UINT_PTR timer) {
    window->StopTimer(timer);
    if (timer == kGraceTimer) {
        if (Is<AwaitingPaste>()) GraceOver();
    } else if (timer == kRetryTimer) {
        if (Is<AwaitingCopy>()) LookForCopy();
        if (Is<AwaitingPaste>()) RetryPaste();
        if (Is<Restoring>()) TryRestore();
    } else if (Is<AwaitingCopy>()) {
        CopyWaitOver();
    } else if (Is<AwaitingPaste>()) {
        RestoreClipboard();
    } else if (Is<WatchingLateCopy>()) {
        StopLateCopyWatch();
    }
}

void ClipboardExchange::State::TakenOver() {
    if (Is<AwaitingPaste>() || Is<Restoring>()) End();
}

void ClipboardExchange::State::StopTimers() {
    window->StopTimer(kBoundTimer);
    window->StopTimer(kRetryTimer);
    window->StopTimer(kGraceTimer);
}

void ClipboardExchange::State::End() {
    StopTimers();
    if (!UnderWay()) return;
    phase = Idle{};
    TracePhase("over");
    window->Listen(false);
}

void ClipboardExchange::State::RunCopyStep(CopyStep step, Converting converting) {
    StopTimers();
    phase = std::move(converting);
    ClipboardExchange exchange(*this);
    if (step) step(exchange);
    // A step that neither awaited the paste nor restored leaves nothing pending.
    if (Is<Converting>() || Is<Offered>()) RestoreClipboard();
}

void ClipboardExchange::State::StartLateCopyWatch(DWORD copyKeysAt) {
    phase = WatchingLateCopy{copyKeysAt};
    window->Listen(true);
    window->StartTimer(kBoundTimer, kLateCopyMilliseconds);
}

void ClipboardExchange::State::StopLateCopyWatch() {
    if (!Is<WatchingLateCopy>()) return;
    phase = Idle{};
    window->StopTimer(kBoundTimer);
    window->Listen(false);
}

} // namespace runtime
