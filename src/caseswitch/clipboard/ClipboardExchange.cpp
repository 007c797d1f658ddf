// The program's calls on the exchange: each acts in the phases the table in ExchangePhases.h
// names for it, and does nothing in the others.
#include <windows.h>

#include <cstring>
#include <vector>

#include "caseswitch/clipboard/ClipboardExchangeEnd.h"
#include "caseswitch/clipboard/ClipboardGuard.h"
#include "caseswitch/clipboard/ConvertedOffer.h"
#include "caseswitch/clipboard/ExchangeState.h"
#include "caseswitch/clipboard/PhaseTrace.h"

namespace runtime {

using namespace exchange;

namespace {

// The saved content's text, from the snapshot's own copy of its first text format.
TextForms SavedForms(const ClipboardSnapshot& snapshot) {
    for (const SavedFormat& saved : snapshot.Formats()) {
        if (format::IsText(saved.format)) return TextFormsOf(saved.format, saved.bytes.data(), saved.bytes.size());
    }
    return {};
}

ClipboardExchange::State& TheState() {
    // The one exchange of the process: it lives from one press to the end of its paste, beyond the
    // handler that began it.
    static ClipboardExchange::State state;
    return state;
}

// The copy while the program's step may read it.
TakenCopy* StepCopy(ClipboardExchange::State& state) {
    if (Converting* converting = state.In<Converting>()) return converting->copy ? &*converting->copy : nullptr;
    if (Offered* offered = state.In<Offered>()) return &offered->copy;
    return nullptr;
}

} // namespace

Text NewExchangeText(const std::string& bytes) {
    if (bytes.empty()) return nullptr;
    Text text = static_cast<Text>(AllocateMemory(BlockCount(bytes.size() + 1)));
    std::memcpy(text, bytes.data(), bytes.size());
    text[bytes.size()] = '\0';
    return text;
}

ClipboardExchange* BeginClipboardExchange() {
    ClipboardExchange::State& state = TheState();
    static ClipboardExchange exchange(state);
    if (state.Is<AwaitingCopy>()) {
        // A press while the copy is awaited: the copy goes again, for the same saved content, as
        // the user may have selected something since the press that found nothing.
        state.StopTimers();
        state.phase = Begun{};
        TracePhase("again");
    } else {
        // A paste awaited, or the earlier content on its way back: this press does nothing.
        if (state.UnderWay()) return nullptr;
        state.StopLateCopyWatch();
        state.press = Press{};
        if (!state.Handle()) state.window = std::make_unique<ExchangeWindow>(state);
        if (!state.Handle()) return nullptr;
        state.phase = Begun{};
    }
    // Seen once the handler that begins it has returned.
    state.window->PostPasteCheck();
    return &exchange;
}

bool ClipboardExchangeUnderWay() {
    return TheState().UnderWay();
}

void FinishClipboardExchange() {
    ClipboardExchange::State& state = TheState();
    if (!state.window) return;
    state.FinishNow();
    // Data still unrendered is rendered as the window goes.
    state.window.reset();
}

bool ClipboardExchange::SaveClipboard() {
    if (!state.Is<Begun>() || !state.Handle()) return false;
    // A press begun again while its copy was awaited keeps what the first one saved.
    if (!state.press.saved) {
        // Listening first: no change between the save and the copy goes unnoticed.
        state.window->Listen(true);
        // Content too large to save whole, an owner that does not render it, a busy clipboard: the
        // press leaves it all alone.
        ClipboardSnapshot snapshot = state.window->Snapshot();
        if (!snapshot.IsWhole()) return false;
        const DWORD sequence = snapshot.Sequence();
        state.press.saved = SavedContent{std::move(snapshot), sequence};
    }
    // The owner's rendering let other events in; one of them may have ended the press.
    Begun* begun = state.In<Begun>();
    if (!begun) return false;
    begun->savedText.reset(NewExchangeText(SavedForms(state.press.saved->snapshot).ansi));
    // The target of this press's copy, which may be another window than the last press's.
    state.press.target = Target::Now();
    return true;
}

Text ClipboardExchange::TakeSavedText() {
    Begun* begun = state.In<Begun>();
    return begun ? begun->savedText.release() : nullptr;
}

void ClipboardExchange::AwaitCopy(std::int32_t milliseconds, CopyStep then) {
    if (!state.Is<Begun>()) return;
    if (!state.press.saved) {
        state.RunCopyStep(then, Converting{});
        return;
    }
    state.phase = AwaitingCopy{then, GetTickCount()};
    TracePhase("copy-keys");
    state.window->StartTimer(kBoundTimer, static_cast<UINT>(milliseconds < 0 ? 0 : milliseconds));
}

bool ClipboardExchange::Copied() const {
    return StepCopy(state) != nullptr;
}

Text ClipboardExchange::TakeCopiedText() {
    TakenCopy* copy = StepCopy(state);
    return copy ? copy->text.release() : nullptr;
}

bool ClipboardExchange::CopyIsText() const {
    const TakenCopy* copy = StepCopy(state);
    return copy && copy->content.verdict == CopyVerdict::Text;
}

bool ClipboardExchange::OfferConverted(const char* converted, bool toLower) {
    const Converting* converting = state.In<Converting>();
    if (!converting || !converting->copy) return false;
    std::vector<OfferedFormat> offer = MakeConvertedOffer(converting->copy->content, converted, toLower);
    ClipboardGuard clipboard(state.Handle());
    // The wait for the clipboard let other events in; one of them may have ended the press.
    Converting* stillConverting = state.In<Converting>();
    if (!clipboard.IsOpen() || !stillConverting) return false;
    // Content another program has put there since the copy is not ours to replace.
    if (GetClipboardSequenceNumber() != stillConverting->copy->sequence) return false;
    state.phase = Offered{std::move(*stillConverting->copy), OfferReads{}};
    return state.window->OfferOnOpenClipboard(std::move(offer));
}

bool ClipboardExchange::SameFocus() const {
    return state.press.target.StillFocused();
}

void ClipboardExchange::AwaitPaste(std::int32_t milliseconds) {
    Offered* offered = state.In<Offered>();
    if (!offered) {
        RestoreClipboard();
        return;
    }
    state.phase = AwaitingPaste{offered->copy.sequence, offered->reads};
    std::get<AwaitingPaste>(state.phase).reads.paintProbe = state.ProbePaint();
    TracePhase("paste-keys");
    state.window->StartTimer(kBoundTimer, static_cast<UINT>(milliseconds < 0 ? 0 : milliseconds));
}

void ClipboardExchange::RestoreClipboard() {
    state.RestoreClipboard();
}

} // namespace runtime
