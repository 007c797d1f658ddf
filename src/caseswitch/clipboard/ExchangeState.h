// The one exchange of the process, as a state machine: its phase (ExchangePhases.h, with the
// table), the press it serves, and the window that brings its events. The events are dispatched
// by phase in ExchangeState.cpp; the copy look, the paste look and the restore each have a file.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "caseswitch/clipboard/ExchangePhases.h"
#include "caseswitch/clipboard/ExchangeWindow.h"
#include "runtime/CaseSwitchCommands.h"

namespace runtime {

// A new runtime text with the bytes; null for none.
Text NewExchangeText(const std::string& bytes);

struct ClipboardExchange::State final : ExchangeEvents {
    exchange::Phase phase;
    exchange::Press press;
    // Last: it may still report a rendering while it is destroyed.
    std::unique_ptr<ExchangeWindow> window;

    template <class P> P* In() { return std::get_if<P>(&phase); }
    template <class P> bool Is() const { return std::holds_alternative<P>(phase); }
    // Begun and not over yet; the late-copy watch is not a press under way.
    bool UnderWay() const { return !Is<exchange::Idle>() && !Is<exchange::WatchingLateCopy>(); }
    HWND Handle() const { return window ? window->Handle() : nullptr; }

    // The window's events, each dispatched by phase (ExchangeState.cpp).
    void ClipboardChanged() override;
    void Rendered(HWND requester, DWORD requesterThread) override;
    void PasteCheck() override;
    void PasteAnswered() override;
    void TimerElapsed(UINT_PTR timer) override;
    void TakenOver() override;
    void SessionEnding() override { FinishNow(); }

    // Phase changes shared by several handlers (ExchangeState.cpp).
    void StopTimers();
    void End();
    void RunCopyStep(ClipboardExchange::CopyStep step, exchange::Converting converting);
    void StartLateCopyWatch(DWORD copyKeysAt);
    void StopLateCopyWatch();

    // The copy (ExchangeCopyLook.cpp).
    void LookForCopy();
    void CopyWaitOver();
    void LateCopyCheck();

    // The paste (ExchangePasteLook.cpp).
    exchange::OfferReads* Reads();
    HWND ProbePaint() const;
    void OfferRendered(exchange::OfferReads& reads, HWND requester, DWORD requesterThread);
    void LookAtPaste();
    void PasteStillReading(exchange::AwaitingPaste& paste);
    void GraceOver();
    void RetryPaste();
    void OfferAgainWhenFree();
    void PasteClosed();

    // The restore (ExchangeRestore.cpp).
    std::optional<DWORD> CopySequence() const;
    bool HoldsOurs() const;
    void RestoreClipboard();
    void TryRestore();
    void PutBackOnOpenClipboard();
    void FinishNow();
};

} // namespace runtime
