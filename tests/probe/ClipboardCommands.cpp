// The clipboard as another process sees it. Texts go in and out as hex so that GBK bytes survive.
#include "Commands.h"

namespace probe {
namespace {

// Opens with no owner window: the probe pumps no messages, and an owner that does not answer
// WM_DESTROYCLIPBOARD would stall the program under test in its next EmptyClipboard.
class OpenedClipboard {
public:
    OpenedClipboard() {
        opened = WaitFor(1000, [] { return OpenClipboard(nullptr) != FALSE; });
        if (!opened) holder = GetOpenClipboardWindow();
    }
    ~OpenedClipboard() {
        if (opened) CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;

    bool Fail(JsonObject& answer) const {
        answer.Int("held_by", HandleValue(holder));
        return probe::Fail(answer, "OpenClipboard kept failing for 1 s");
    }

    bool opened = false;

private:
    HWND holder = nullptr;
};

class LockedGlobal {
public:
    explicit LockedGlobal(HGLOBAL block) : block(block), data(block ? GlobalLock(block) : nullptr) {}
    ~LockedGlobal() {
        if (data) GlobalUnlock(block);
    }
    LockedGlobal(const LockedGlobal&) = delete;
    LockedGlobal& operator=(const LockedGlobal&) = delete;

    HGLOBAL block;
    void* data;
};

bool SequenceCommand(const Args&, JsonObject& answer) {
    answer.Int("seq", GetClipboardSequenceNumber());
    return true;
}

bool OwnerCommand(const Args&, JsonObject& answer) {
    answer.Int("owner", HandleValue(GetClipboardOwner()));
    return true;
}

bool FormatsCommand(const Args&, JsonObject& answer) {
    OpenedClipboard clipboard;
    if (!clipboard.opened) return clipboard.Fail(answer);
    std::vector<long long> formats;
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
        formats.push_back(format);
    }
    answer.IntArray("formats", formats);
    return true;
}

bool GetTextCommand(const Args&, JsonObject& answer) {
    OpenedClipboard clipboard;
    if (!clipboard.opened) return clipboard.Fail(answer);
    HANDLE data = GetClipboardData(CF_TEXT);
    answer.Bool("present", data != nullptr);
    if (!data) return true;
    LockedGlobal locked(data);
    if (!locked.data) return Fail(answer, "GlobalLock failed");
    const char* text = static_cast<const char*>(locked.data);
    const size_t limit = GlobalSize(data);
    size_t length = 0;
    while (length < limit && text[length]) {
        ++length;
    }
    answer.Ansi("text", std::string(text, length)).Int("block_size", static_cast<long long>(limit));
    return true;
}

bool SetTextCommand(const Args& args, JsonObject& answer) {
    std::optional<std::string> text;
    if (!args.Text(0, text)) return BadArguments(answer);
    const std::string bytes = text.value_or(std::string());
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1);
    if (!block) return Fail(answer, "GlobalAlloc failed");
    {
        LockedGlobal locked(block);
        if (!locked.data) {
            GlobalFree(block);
            return Fail(answer, "GlobalLock failed");
        }
        memcpy(locked.data, bytes.c_str(), bytes.size() + 1);
    }
    OpenedClipboard clipboard;
    if (!clipboard.opened) {
        GlobalFree(block);
        return clipboard.Fail(answer);
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_TEXT, block)) {
        GlobalFree(block);
        return Fail(answer, "SetClipboardData failed");
    }
    answer.Int("seq", GetClipboardSequenceNumber());
    return true;
}

bool EmptyCommand(const Args&, JsonObject& answer) {
    OpenedClipboard clipboard;
    if (!clipboard.opened) return clipboard.Fail(answer);
    if (!EmptyClipboard()) return Fail(answer, "EmptyClipboard failed");
    answer.Int("seq", GetClipboardSequenceNumber());
    return true;
}

const Command kCommands[] = {
    {"clipboard-seq", 0, 0, SequenceCommand, ""},
    {"clipboard-owner", 0, 0, OwnerCommand, ""},
    {"clipboard-formats", 0, 0, FormatsCommand, ""},
    {"clipboard-get-text", 0, 0, GetTextCommand, "CF_TEXT as text and text_hex"},
    {"clipboard-set-text", 1, 1, SetTextCommand, "hex:BYTES|-  CF_TEXT (- is the empty text)"},
    {"clipboard-empty", 0, 0, EmptyCommand, ""},
};

} // namespace

std::span<const Command> ClipboardCommands() {
    return kCommands;
}

} // namespace probe
