// The end of a press: the saved content put back where the clipboard still holds what the press
// put there or took from the target, never over content another program has put there since.
#include "caseswitch/clipboard/ClipboardGuard.h"
#include "caseswitch/clipboard/ExchangeState.h"
#include "caseswitch/clipboard/PhaseTrace.h"

namespace runtime {

using namespace exchange;

std::optional<DWORD> ClipboardExchange::State::CopySequence() const {
    if (const Converting* converting = std::get_if<Converting>(&phase)) {
        if (converting->copy) return converting->copy->sequence;
    } else if (const Offered* offered = std::get_if<Offered>(&phase)) {
        return offered->copy.sequence;
    } else if (const AwaitingPaste* paste = std::get_if<AwaitingPaste>(&phase)) {
        return paste->copySequence;
    } else if (const Restoring* restoring = std::get_if<Restoring>(&phase)) {
        return restoring->copySequence;
    }
    return std::nullopt;
}

// The clipboard holds what this press put there or took from the target, nobody's since.
bool ClipboardExchange::State::HoldsOurs() const {
    if (window->Owner()) return true;
    const std::optional<DWORD> copySequence = CopySequence();
    return copySequence && GetClipboardSequenceNumber() == *copySequence;
}

void ClipboardExchange::State::RestoreClipboard() {
    if (!UnderWay() || Is<Restoring>()) return;
    window->StopTimer(kBoundTimer);
    window->StopTimer(kRetryTimer);
    const std::optional<DWORD> copySequence = CopySequence();
    if (!press.saved || !copySequence) {
        // Nothing was written: the clipboard holds what it held, or what another program put there.
        const Converting* converting = In<Converting>();
        const bool watch = press.saved && converting && converting->copyWaitRanOut;
        const DWORD copyKeysAt = converting ? converting->copyKeysAt : 0;
        End();
        if (watch) StartLateCopyWatch(copyKeysAt);
        return;
    }
    phase = Restoring{*copySequence, GetTickCount64() + kRestoreBoundMilliseconds};
    TryRestore();
}

void ClipboardExchange::State::TryRestore() {
    {
        ClipboardGuard clipboard(Handle(), 0);
        if (clipboard.IsOpen()) {
            if (HoldsOurs()) PutBackOnOpenClipboard();
        } else if (GetTickCount64() < std::get<Restoring>(phase).deadline) {
            window->StartTimer(kRetryTimer, kRetryMilliseconds);
            return;
        }
    }
    End();
}

void ClipboardExchange::State::PutBackOnOpenClipboard() {
    window->PutBackOnOpenClipboard(press.saved->snapshot);
    press.saved->knownSequence = GetClipboardSequenceNumber();
    TracePhase("restored");
}

// Ends a pending exchange at once, putting the saved content back where it is due.
void ClipboardExchange::State::FinishNow() {
    StopLateCopyWatch();
    if (!UnderWay()) return;
    if (press.saved) {
        ClipboardGuard clipboard(Handle(), kEndingRestoreMilliseconds);
        if (clipboard.IsOpen() && HoldsOurs()) PutBackOnOpenClipboard();
    }
    End();
}

} // namespace runtime
