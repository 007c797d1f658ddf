// The case-switch end-to-end tests' hands inside Wine, in the probe's manner: one command per
// line on stdin, one JSON line per answer, until "quit". Texts travel as hex: UTF-16LE for window
// texts, raw bytes for clipboard formats.
//
//   text HWND                     the window's text (WM_GETTEXT, Unicode)
//   set-text HWND HEX             sets it (WM_SETTEXT, Unicode)
//   clip-put [--owned] FORMAT=HEX...
//                                 empties the clipboard and puts each format; FORMAT is a number or
//                                 @HEX, the hex of a format name to register; --owned puts them as
//                                 the owner of a window of this process, as a program copying does
//   clip-get [--owned] FORMAT     one format's bytes (its whole block) and the format's number,
//                                 read as a program without a window reads, or with --owned with a
//                                 window of this process
//   clip-fill [--render-after MS] FORMAT SIZE TEXT_HEX
//                                 empties the clipboard as the owner of a window of this process and
//                                 puts TEXT_HEX as CF_TEXT and SIZE bytes of a fixed pattern as
//                                 FORMAT (none when SIZE is 0); with --render-after, FORMAT is offered unrendered and
//                                 the window renders it only MS milliseconds after it is asked, as an owner that hangs
//                                 does
//   clip-digest FORMAT            one format's size and a 64-bit FNV-1a digest of its bytes
//   key-down VK COUNT             COUNT key-down events of VK in one go, as a held key repeats
//   clip-formats                  the formats listed, in order
//   clip-seq                      the clipboard sequence number
//   windows PID                   how many top-level and message-only windows the process owns
//                                 (GetGuiResources counts nothing under Wine)
//   key-log                       the keyboard events seen since the last key-log (a low-level
//                                 hook, set at the first key-log): vk, up, injected, time; for
//                                 telling why a press failed
//   clip-manager                  from now on reads every format of every new content at once, with
//                                 a window of its own, as a clipboard manager does
//   clip-reader CLASS             reads every format of the next content that a window of class
//                                 CLASS owns, at once and without a window, as Wine's OLE does
//   wait-switch HWND HEX CLIP_HEX TIMEOUT_MS
//                                 waits until the window's text is HEX and the clipboard's CF_TEXT is
//                                 CLIP_HEX (bytes without the NUL), looking at each clipboard change;
//                                 answers when, in microseconds from the command, and when the
//                                 window's text was seen
#include "Json.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using probe::JsonObject;

std::string Hex(const void* data, std::size_t size) {
    return probe::HexBytes(std::string_view(static_cast<const char*>(data), size));
}

bool Window(const std::string& word, HWND& window) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(word.c_str(), &end, 0);
    window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value));
    return !word.empty() && *end == '\0';
}

std::optional<std::wstring> WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return std::nullopt;
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             2000, &copied)) {
        return std::nullopt;
    }
    text.resize(copied);
    return text;
}

class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner = nullptr) {
        const DWORD start = GetTickCount();
        while (!(open = OpenClipboard(owner) != FALSE) && GetTickCount() - start < 2000)
            Sleep(1);
    }
    ~OpenedClipboard() {
        if (open) CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    bool open = false;
};

bool Format(const std::string& word, UINT& format) {
    if (!word.empty() && word[0] == '@') {
        std::string name;
        if (!probe::ParseHex(std::string_view(word).substr(1), name)) return false;
        format = RegisterClipboardFormatA(name.c_str());
        return format != 0;
    }
    char* end = nullptr;
    format = static_cast<UINT>(std::strtoul(word.c_str(), &end, 0));
    return !word.empty() && *end == '\0';
}

std::optional<std::string> ReadOpenFormat(UINT format) {
    HANDLE data = GetClipboardData(format);
    if (!data) return std::nullopt;
    const void* bytes = GlobalLock(data);
    if (!bytes) return std::nullopt;
    std::string copy(static_cast<const char*>(bytes), GlobalSize(data));
    GlobalUnlock(data);
    return copy;
}

struct KeyEvent {
    DWORD vk;
    DWORD flags;
    DWORD time;
};
std::mutex keyLogLock;
std::vector<KeyEvent> keyLog;

LRESULT CALLBACK KeyHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        std::lock_guard<std::mutex> lock(keyLogLock);
        if (keyLog.size() < 4096) keyLog.push_back({event->vkCode, event->flags, event->time});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// SIZE bytes of clip-fill's pattern in a new block.
HGLOBAL PatternBlock(std::size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    auto* bytes = static_cast<unsigned char*>(block ? GlobalLock(block) : nullptr);
    if (!bytes) {
        if (block) GlobalFree(block);
        return nullptr;
    }
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>((i * 2654435761u) >> 24);
    GlobalUnlock(block);
    return block;
}

// The format clip-fill --render-after left unrendered, its size and how long its rendering takes.
UINT slowFormat = 0;
std::size_t slowSize = 0;
DWORD slowMilliseconds = 0;
WNDPROC ownerBaseProcedure = nullptr;

LRESULT CALLBACK OwnerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_RENDERFORMAT && slowFormat != 0 && wParam == slowFormat) {
        Sleep(slowMilliseconds);
        HGLOBAL block = PatternBlock(slowSize);
        if (block && !SetClipboardData(slowFormat, block)) GlobalFree(block);
        return 0;
    }
    return CallWindowProcW(ownerBaseProcedure, window, message, wParam, lParam);
}

// A window of the thread that handles messages, to own what --owned puts on the clipboard.
HWND ownerWindow = nullptr;
DWORD ownerThread = 0;
HHOOK keyHook = nullptr;
// Asks the owner window's thread to hook the keyboard; lParam is the event it sets when done.
constexpr UINT kHookKeyboard = WM_APP + 1;
// Asks it to start reading the clipboard's new contents: wParam 0 for the clipboard manager
// stand-in, 1 for the reader of the owner class in requestedOwnerClass; lParam as above.
constexpr UINT kStartReading = WM_APP + 2;

// Written by the main thread while the owner window's thread is not asked anything.
std::string requestedOwnerClass;
// Owned by the owner window's thread.
bool managerReads = false;
std::string readerOwnerClass;

void ReadEveryFormat(HWND reader) {
    OpenedClipboard clipboard(reader);
    for (UINT format = clipboard.open ? EnumClipboardFormats(0) : 0; format; format = EnumClipboardFormats(format))
        ReadOpenFormat(format);
}

LRESULT CALLBACK ReaderProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_CLIPBOARDUPDATE) return DefWindowProcW(window, message, wParam, lParam);
    char ownerClass[256] = "";
    if (!readerOwnerClass.empty() && GetClassNameA(GetClipboardOwner(), ownerClass, sizeof ownerClass) &&
        readerOwnerClass == ownerClass) {
        readerOwnerClass.clear();
        ReadEveryFormat(nullptr);
    }
    if (managerReads) ReadEveryFormat(window);
    return 0;
}

void StartReading(bool reader) {
    static HWND listener = nullptr;
    if (!listener) {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = ReaderProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"CaseToolClipboardReader";
        RegisterClassW(&windowClass);
        listener = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   windowClass.hInstance, nullptr);
        AddClipboardFormatListener(listener);
    }
    if (reader) {
        readerOwnerClass = requestedOwnerClass;
    } else {
        managerReads = true;
    }
}

void StartOwnerThread() {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread([ready] {
        ownerThread = GetCurrentThreadId();
        ownerWindow = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ownerBaseProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(ownerWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OwnerProcedure)));
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue, for kHookKeyboard
        SetEvent(ready);
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.hwnd == nullptr && message.message == kHookKeyboard) {
                keyHook = SetWindowsHookExW(WH_KEYBOARD_LL, KeyHook, GetModuleHandleW(nullptr), 0);
                SetEvent(reinterpret_cast<HANDLE>(message.lParam));
                continue;
            }
            if (message.hwnd == nullptr && message.message == kStartReading) {
                StartReading(message.wParam != 0);
                SetEvent(reinterpret_cast<HANDLE>(message.lParam));
                continue;
            }
            DispatchMessageW(&message);
        }
    }).detach();
    WaitForSingleObject(ready, 5000);
    CloseHandle(ready);
}

// Hooked only once a test asks for the log: a low-level hook makes every injected key wait for this
// process, which a benchmark must not measure.
bool AskOwnerThread(UINT request, WPARAM argument = 0) {
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const bool asked = PostThreadMessageW(ownerThread, request, argument, reinterpret_cast<LPARAM>(done)) &&
                       WaitForSingleObject(done, 5000) == WAIT_OBJECT_0;
    CloseHandle(done);
    return asked;
}

void StartKeyLog() {
    if (!keyHook) AskOwnerThread(kHookKeyboard);
}

bool Run(const std::vector<std::string>& words, JsonObject& answer) {
    const std::string& command = words[0];
    HWND window = nullptr;
    if (command == "text" && words.size() == 2 && Window(words[1], window)) {
        const std::optional<std::wstring> text = WindowText(window);
        if (!text) return false;
        answer.String("text_hex", Hex(text->data(), text->size() * sizeof(wchar_t)));
        return true;
    }
    if (command == "set-text" && words.size() == 3 && Window(words[1], window)) {
        std::string bytes;
        if (!probe::ParseHex(words[2], bytes)) return false;
        std::wstring text(bytes.size() / 2, L'\0');
        std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                                   2000, &result) != 0;
    }
    if (command == "clip-put") {
        const bool owned = words.size() > 1 && words[1] == "--owned";
        OpenedClipboard clipboard(owned ? ownerWindow : nullptr);
        if (!clipboard.open) return false;
        EmptyClipboard();
        for (std::size_t i = owned ? 2 : 1; i < words.size(); ++i) {
            const std::size_t equals = words[i].find('=');
            UINT format = 0;
            std::string bytes;
            if (equals == std::string::npos || !Format(words[i].substr(0, equals), format) ||
                !probe::ParseHex(std::string_view(words[i]).substr(equals + 1), bytes)) {
                return false;
            }
            HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
            void* data = block ? GlobalLock(block) : nullptr;
            if (!data) return false;
            std::memcpy(data, bytes.data(), bytes.size());
            GlobalUnlock(block);
            if (!SetClipboardData(format, block)) {
                GlobalFree(block);
                return false;
            }
        }
        answer.Int("seq", GetClipboardSequenceNumber());
        return true;
    }
    const bool slowFill = command == "clip-fill" && words.size() == 6 && words[1] == "--render-after";
    if (command == "clip-fill" && (words.size() == 4 || slowFill)) {
        const std::size_t at = slowFill ? 3 : 1;
        UINT format = 0;
        std::string text;
        if (!Format(words[at], format) || !probe::ParseHex(words[at + 2], text)) return false;
        const std::size_t size = std::strtoull(words[at + 1].c_str(), nullptr, 0);
        OpenedClipboard clipboard(ownerWindow);
        if (!clipboard.open) return false;
        EmptyClipboard();
        HGLOBAL textBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1);
        void* textBytes = textBlock ? GlobalLock(textBlock) : nullptr;
        if (!textBytes) return false;
        std::memcpy(textBytes, text.data(), text.size());
        GlobalUnlock(textBlock);
        if (!SetClipboardData(CF_TEXT, textBlock)) return false;
        slowFormat = slowFill ? format : 0;
        slowSize = size;
        slowMilliseconds = slowFill ? static_cast<DWORD>(std::strtoul(words[2].c_str(), nullptr, 0)) : 0;
        // No bytes: the text alone.
        HGLOBAL block = slowFill || size == 0 ? nullptr : PatternBlock(size);
        if (!slowFill && size != 0 && !block) return false;
        // An unrendered offer answers with its null handle.
        if (slowFill) {
            SetClipboardData(format, nullptr);
        } else if (size != 0 && !SetClipboardData(format, block)) {
            return false;
        }
        answer.Int("seq", GetClipboardSequenceNumber());
        return true;
    }
    if (command == "clip-digest" && words.size() == 2) {
        UINT format = 0;
        if (!Format(words[1], format)) return false;
        OpenedClipboard clipboard;
        if (!clipboard.open) return false;
        HANDLE data = GetClipboardData(format);
        const auto* bytes = static_cast<const unsigned char*>(data ? GlobalLock(data) : nullptr);
        answer.Bool("present", bytes != nullptr);
        if (!bytes) return true;
        const std::size_t size = GlobalSize(data);
        unsigned long long digest = 0xCBF29CE484222325ull;
        for (std::size_t i = 0; i < size; ++i)
            digest = (digest ^ bytes[i]) * 0x100000001B3ull;
        GlobalUnlock(data);
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx", digest);
        answer.Int("size", static_cast<long long>(size)).String("digest", hex);
        return true;
    }
    const bool ownedGet = command == "clip-get" && words.size() == 3 && words[1] == "--owned";
    if (command == "clip-get" && (words.size() == 2 || ownedGet)) {
        UINT format = 0;
        if (!Format(words.back(), format)) return false;
        OpenedClipboard clipboard(ownedGet ? ownerWindow : nullptr);
        if (!clipboard.open) return false;
        const std::optional<std::string> bytes = ReadOpenFormat(format);
        answer.Bool("present", bytes.has_value()).Int("format", format);
        if (bytes) answer.String("hex", probe::HexBytes(*bytes));
        return true;
    }
    if (command == "clip-formats") {
        OpenedClipboard clipboard;
        if (!clipboard.open) return false;
        std::vector<long long> formats;
        for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
            formats.push_back(format);
        }
        answer.IntArray("formats", formats);
        return true;
    }
    if (command == "key-down" && words.size() == 3) {
        const WORD key = static_cast<WORD>(std::strtoul(words[1].c_str(), nullptr, 0));
        std::vector<INPUT> events(std::strtoul(words[2].c_str(), nullptr, 0));
        for (INPUT& event : events) {
            event.type = INPUT_KEYBOARD;
            event.ki.wVk = key;
        }
        return SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT)) == events.size();
    }
    if (command == "clip-manager") return AskOwnerThread(kStartReading);
    if (command == "clip-reader" && words.size() == 2) {
        requestedOwnerClass = words[1];
        return AskOwnerThread(kStartReading, 1);
    }
    if (command == "clip-seq") {
        answer.Int("seq", GetClipboardSequenceNumber());
        return true;
    }
    if (command == "key-log") {
        StartKeyLog();
        std::lock_guard<std::mutex> lock(keyLogLock);
        std::vector<long long> values;
        for (const KeyEvent& event : keyLog) {
            values.push_back(event.vk);
            values.push_back((event.flags & LLKHF_UP) ? 1 : 0);
            values.push_back((event.flags & LLKHF_INJECTED) ? 1 : 0);
            values.push_back(event.time);
        }
        keyLog.clear();
        answer.IntArray("events", values);
        return true;
    }
    if (command == "windows" && words.size() == 2) {
        const DWORD process = static_cast<DWORD>(std::strtoul(words[1].c_str(), nullptr, 0));
        long long topLevel = 0;
        long long messageOnly = 0;
        for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == process) ++topLevel;
        }
        for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
             window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == process) ++messageOnly;
        }
        answer.Int("top_level", topLevel).Int("message_only", messageOnly);
        return true;
    }
    if (command == "wait-switch" && words.size() == 5 && Window(words[1], window)) {
        std::string expected;
        std::string clipboardText;
        if (!probe::ParseHex(words[2], expected) || !probe::ParseHex(words[3], clipboardText)) return false;
        const DWORD timeout = static_cast<DWORD>(std::strtoul(words[4].c_str(), nullptr, 0));
        LARGE_INTEGER frequency, start, now;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        const auto elapsed = [&] {
            QueryPerformanceCounter(&now);
            return (now.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart;
        };
        // Looks only when the clipboard has changed (the listener's WM_CLIPBOARDUPDATE), so that the
        // switcher under test is not slowed by a poller: one look at the document per change, and
        // the clipboard read only once the paste is in, so that this read never takes the
        // converted text in the paste's place.
        HWND listener = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        AddClipboardFormatListener(listener);
        bool documentDone = false;
        long long documentAt = -1;
        bool clipboardDone = false;
        const auto look = [&] {
            if (!documentDone) {
                const std::optional<std::wstring> text = WindowText(window);
                documentDone = text && text->size() * sizeof(wchar_t) == expected.size() &&
                               std::memcmp(text->data(), expected.data(), expected.size()) == 0;
                if (documentDone) documentAt = elapsed();
            }
            if (documentDone && OpenClipboard(nullptr)) {
                const std::optional<std::string> bytes = ReadOpenFormat(CF_TEXT);
                CloseClipboard();
                clipboardDone = bytes && std::string(bytes->c_str()) == clipboardText;
            }
        };
        while (!clipboardDone && elapsed() < static_cast<long long>(timeout) * 1000) {
            const DWORD left = timeout - static_cast<DWORD>(elapsed() / 1000);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, left > 50 ? 50 : left, QS_ALLINPUT);
            MSG message;
            bool changed = false;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                changed |= message.message == WM_CLIPBOARDUPDATE;
            // A periodic look as well: a paste that leaves the clipboard as it is sends no update.
            if (changed || !documentDone) look();
        }
        const long long took = elapsed();
        RemoveClipboardFormatListener(listener);
        DestroyWindow(listener);
        answer.Int("elapsed_us", took).Int("document_us", documentAt);
        answer.Bool("document", documentDone).Bool("clipboard", clipboardDone);
        return true;
    }
    answer.String("error", "unknown command or bad arguments");
    return false;
}

} // namespace

int main() {
    StartOwnerThread();
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream stream(line);
        std::vector<std::string> words;
        for (std::string word; stream >> word;)
            words.push_back(word);
        if (words.empty()) continue;
        if (words[0] == "quit") break;
        JsonObject answer;
        answer.String("cmd", words[0]);
        const bool ok = Run(words, answer);
        if (!ok) answer.Int("last_error", GetLastError());
        answer.Bool("ok", ok);
        std::cout << answer.Finish() << std::endl;
    }
    return 0;
}
