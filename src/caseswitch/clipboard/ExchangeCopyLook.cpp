// The copy's side of the exchange: whom the press copies from, the look at each new clipboard
// content while the copy is awaited, and the watch for a copy that comes too late.
#include "caseswitch/clipboard/ClipboardGuard.h"
#include "caseswitch/clipboard/ExchangeState.h"
#include "caseswitch/clipboard/PhaseTrace.h"

namespace runtime {

using namespace exchange;

namespace {

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

} // namespace

namespace exchange {

Target Target::Now() {
    Target target;
    target.foreground = GetForegroundWindow();
    target.focus = FocusOf(target.foreground, &target.processes[0]);
    target.processes[1] = ProcessOf(target.focus);
    target.focusThread = ThreadOf(target.focus ? target.focus : target.foreground);
    return target;
}

bool Target::Owns(HWND owner) const {
    const DWORD process = ProcessOf(owner);
    return owner && process != 0 && (process == processes[0] || process == processes[1]);
}

bool Target::StillFocused() const {
    return foreground != nullptr && GetForegroundWindow() == foreground && FocusOf(foreground) == focus;
}

} // namespace exchange

void ClipboardExchange::State::LookForCopy() {
    if (GetClipboardSequenceNumber() == press.saved->knownSequence) return;
    std::optional<TakenCopy> copy;
    {
        ClipboardGuard clipboard(Handle(), 0);
        if (!clipboard.IsOpen()) {
            window->StartTimer(kRetryTimer, kRetryMilliseconds);
            return;
        }
        window->StopTimer(kRetryTimer);
        // Read with the clipboard open, which nobody can change meanwhile.
        press.saved->knownSequence = GetClipboardSequenceNumber();
        if (!press.target.Owns(GetClipboardOwner())) {
            // Another program's content (a password manager clearing the clipboard, a clipboard
            // synchroniser): it is what the user has now, so it is what goes back.
            ClipboardSnapshot snapshot = ClipboardSnapshot::TakeFromOpenClipboard();
            if (snapshot.IsWhole()) {
                press.saved->snapshot = std::move(snapshot);
                return;
            }
            // Too large to save: it stays where it is, and the press ends without writing.
            press.saved.reset();
        } else {
            if (InputSince(In<AwaitingCopy>()->copyKeysAt)) {
                // The user's own copy (the press's keys went nowhere, into an elevated window say,
                // or the target was still busy): it stays, neither converted nor put back later.
                TracePhase("users-copy");
                End();
                return;
            }
            TakenCopy taken{ReadOpenClipboardCopy(), nullptr, press.saved->knownSequence};
            taken.text.reset(NewExchangeText(taken.content.text.ansi));
            copy = std::move(taken);
        }
    }
    // The owner's rendering let other events in; one of them may have ended the press.
    const AwaitingCopy* awaiting = In<AwaitingCopy>();
    if (!awaiting) return;
    if (copy) TracePhase("copied");
    RunCopyStep(awaiting->then, Converting{awaiting->copyKeysAt, false, std::move(copy)});
}

void ClipboardExchange::State::CopyWaitOver() {
    const AwaitingCopy& awaiting = std::get<AwaitingCopy>(phase);
    RunCopyStep(awaiting.then, Converting{awaiting.copyKeysAt, true, std::nullopt});
}

void ClipboardExchange::State::LateCopyCheck() {
    if (GetClipboardSequenceNumber() == press.saved->knownSequence) return;
    const DWORD copyKeysAt = std::get<WatchingLateCopy>(phase).copyKeysAt;
    {
        ClipboardGuard clipboard(Handle());
        // After input of the user's, it is the user's own copy.
        if (clipboard.IsOpen() && GetClipboardSequenceNumber() != press.saved->knownSequence &&
            press.target.Owns(GetClipboardOwner()) && !InputSince(copyKeysAt))
            PutBackOnOpenClipboard();
    }
    StopLateCopyWatch();
}

} // namespace runtime
