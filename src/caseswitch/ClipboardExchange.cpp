#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "caseswitch/AnsiRoundTrip.h"
#include "caseswitch/CaseConversion.h"
#include "caseswitch/ClipboardGuard.h"
#include "caseswitch/ClipboardSnapshot.h"
#include "caseswitch/ExchangeWindow.h"
#include "caseswitch/SentMessageWait.h"
#include "runtime/CaseSwitchCommands.h"

namespace runtime {
namespace {

// A program that has just put its copy on the clipboard, or has asked for our text, may keep the
// clipboard open a little longer while it finishes; so long we keep asking.
constexpr DWORD kOpenAfterCopyMilliseconds = 250;
constexpr DWORD kOpenForRestoreMilliseconds = 500;

// A text on the clipboard in both of the forms the exchange works with.
struct TextForms {
    std::string ansi;
    std::wstring unicode;
};

// The text of one text format's bytes, up to the NUL or the end of the block.
TextForms FormsOf(UINT format, const unsigned char* data, std::size_t size) {
    TextForms forms;
    if (format == CF_UNICODETEXT) {
        const auto* units = reinterpret_cast<const wchar_t*>(data);
        const std::size_t limit = size / sizeof(wchar_t);
        std::size_t length = 0;
        while (length < limit && units[length] != L'\0')
            ++length;
        forms.unicode.assign(units, length);
        forms.ansi = AnsiFromWide(forms.unicode);
        return forms;
    }
    const char* bytes = reinterpret_cast<const char*>(data);
    const void* end = std::memchr(bytes, '\0', size);
    const std::size_t length = end ? static_cast<std::size_t>(static_cast<const char*>(end) - bytes) : size;
    forms.unicode = WideFromCodePage(format == CF_OEMTEXT ? CP_OEMCP : CP_ACP, bytes, length);
    forms.ansi = format == CF_OEMTEXT ? AnsiFromWide(forms.unicode) : std::string(bytes, length);
    return forms;
}

bool IsTextFormat(UINT format) {
    return format == CF_TEXT || format == CF_OEMTEXT || format == CF_UNICODETEXT;
}

// Only the text format the copying program put there is read (the first one listed), and the
// other form is made from it here, as the system would make it: under Wine, every read of a
// format the system synthesises, and every second read of a format within one opening of the
// clipboard, leaks a copy of the data.
TextForms ReadOpenClipboardForms() {
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
        if (!IsTextFormat(format)) continue;
        HANDLE data = GetClipboardData(format);
        if (!data) return {};
        GlobalLockGuard lock(data);
        if (!lock.IsLocked()) return {};
        return FormsOf(format, static_cast<const unsigned char*>(lock.Data()), lock.Size());
    }
    return {};
}

// The saved content's text, from the snapshot's own copy of its text format.
TextForms SavedForms(const ClipboardSnapshot& snapshot) {
    for (const SavedFormat& saved : snapshot.Formats()) {
        if (IsTextFormat(saved.format)) return FormsOf(saved.format, saved.bytes.data(), saved.bytes.size());
    }
    return {};
}

// A new runtime text with the bytes; null for none.
Text NewText(const std::string& bytes) {
    if (bytes.empty()) return nullptr;
    Text text = static_cast<Text>(AllocateMemory(static_cast<std::int32_t>(bytes.size() + 1)));
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
    OwnedText copiedText;
    std::wstring copiedUnicode;

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
    TextForms copied = ReadOpenClipboardForms();
    state->copiedText.reset(NewText(copied.ansi));
    state->copiedUnicode = std::move(copied.unicode);
    state->copied = true;
    return true;
}

Text ClipboardExchange::TakeCopiedText() {
    return state->copiedText.release();
}

bool ClipboardExchange::OfferConverted(const char* converted, bool toLower) {
    if (!state->copied) return false;
    UINT format = CF_TEXT;
    std::vector<unsigned char> data;
    if (!state->copiedUnicode.empty() && !SurvivesAnsiCodePage(state->copiedUnicode)) {
        // The ANSI form has lost characters: convert the Unicode text by the same rule instead.
        std::wstring text = state->copiedUnicode;
        static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");
        ConvertCaseWide(toLower ? LetterCase::Lower : LetterCase::Upper, reinterpret_cast<const char16_t*>(text.data()),
                        text.size(), reinterpret_cast<char16_t*>(text.data()));
        const auto* bytes = reinterpret_cast<const unsigned char*>(text.c_str());
        data.assign(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
        format = CF_UNICODETEXT;
    } else {
        const char* text = converted ? converted : "";
        data.assign(text, text + std::strlen(text) + 1);
    }
    ClipboardGuard clipboard(state->window.Handle());
    if (!clipboard.IsOpen()) return false;
    state->offered = true;
    return state->window.OfferOnOpenClipboard(format, std::move(data));
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
