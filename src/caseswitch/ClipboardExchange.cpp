#include <windows.h>

#include <cstring>
#include <vector>

#include "caseswitch/ClipboardGuard.h"
#include "caseswitch/ClipboardSnapshot.h"
#include "caseswitch/ConvertedOffer.h"
#include "caseswitch/CopiedContent.h"
#include "caseswitch/ExchangeWindow.h"
#include "caseswitch/SentMessageWait.h"
#include "runtime/CaseSwitchCommands.h"

namespace runtime {
namespace {

// A program that has just put its copy on the clipboard, or has asked for our text, may keep the
// clipboard open a little longer while it finishes; so long we keep asking.
constexpr DWORD kOpenAfterCopyMilliseconds = 250;
constexpr DWORD kOpenForRestoreMilliseconds = 500;

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

} // namespace

struct ClipboardExchange::State {
    ExchangeWindow window;
    bool saved = false;
    ClipboardSnapshot snapshot;
    OwnedText savedText;
    DWORD sequenceAtSave = 0;
    HWND foregroundAtCopy = nullptr;

    bool copied = false;
    CopiedContent copy;
    OwnedText copiedText;

    bool offered = false;
    bool restored = false;
};

ClipboardExchange::ClipboardExchange() : state(std::make_unique<State>()) {}

ClipboardExchange::~ClipboardExchange() {
    RestoreClipboard();
}

bool ClipboardExchange::SaveClipboard() {
    if (!state->window.Handle()) return false;
    ClipboardGuard clipboard(state->window.Handle());
    if (!clipboard.IsOpen()) return false;
    state->snapshot = ClipboardSnapshot::TakeFromOpenClipboard();
    state->savedText.reset(NewText(SavedForms(state->snapshot).ansi));
    state->sequenceAtSave = GetClipboardSequenceNumber();
    state->foregroundAtCopy = GetForegroundWindow();
    state->saved = true;
    return true;
}

Text ClipboardExchange::TakeSavedText() {
    return state->savedText.release();
}

bool ClipboardExchange::WaitForCopy(std::int32_t milliseconds) {
    if (!state->saved) return false;
    const DWORD before = state->sequenceAtSave;
    if (!WaitUntil(static_cast<DWORD>(milliseconds < 0 ? 0 : milliseconds),
                   [before] { return GetClipboardSequenceNumber() != before; })) {
        return false;
    }
    ClipboardGuard clipboard(state->window.Handle(), kOpenAfterCopyMilliseconds);
    if (!clipboard.IsOpen()) return false;
    state->copy = ReadOpenClipboardCopy();
    state->copiedText.reset(NewText(state->copy.text.ansi));
    state->copied = true;
    return true;
}

bool ClipboardExchange::CopyIsText() const {
    return state->copied && state->copy.verdict == CopyVerdict::Text;
}

Text ClipboardExchange::TakeCopiedText() {
    return state->copiedText.release();
}

bool ClipboardExchange::OfferConverted(const char* converted, bool toLower) {
    if (!state->copied) return false;
    std::vector<OfferedFormat> offer = MakeConvertedOffer(state->copy, converted, toLower);
    ClipboardGuard clipboard(state->window.Handle());
    if (!clipboard.IsOpen()) return false;
    state->offered = true;
    return state->window.OfferOnOpenClipboard(std::move(offer));
}

bool ClipboardExchange::SameForeground() const {
    return state->foregroundAtCopy != nullptr && GetForegroundWindow() == state->foregroundAtCopy;
}

bool ClipboardExchange::WaitForPaste(std::int32_t milliseconds) {
    if (!state->offered) return false;
    ExchangeWindow& window = state->window;
    DWORD targetProcess = 0;
    GetWindowThreadProcessId(state->foregroundAtCopy, &targetProcess);
    return WaitUntil(static_cast<DWORD>(milliseconds < 0 ? 0 : milliseconds), [&] {
        if (window.TakenOver()) return true;
        if (!window.Rendered()) return false;
        HWND requester = window.RenderRequester();
        if (!requester) return true; // opened without a window: the restore's own open waits for it
        // Someone else fetched the text (a clipboard viewer, say): the paste may still be to come.
        if (window.RenderRequesterProcess() != targetProcess) return false;
        return GetOpenClipboardWindow() != requester;
    });
}

bool ClipboardExchange::RestoreClipboard() {
    if (!state->saved || state->restored) return true;
    state->restored = true;
    if (state->window.TakenOver()) return true;
    // Nothing was copied and nothing offered: the clipboard still holds what it held, untouched.
    if (!state->offered && GetClipboardSequenceNumber() == state->sequenceAtSave) return true;
    ClipboardGuard clipboard(state->window.Handle(), kOpenForRestoreMilliseconds);
    if (!clipboard.IsOpen()) return false;
    state->window.EmptyOpenClipboard();
    return state->snapshot.PutOnOpenClipboard();
}

} // namespace runtime
