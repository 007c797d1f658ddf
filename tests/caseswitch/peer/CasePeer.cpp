// A peer program for the case-switch end-to-end tests: one edit control whose copy and paste
// keystrokes can be delayed or refused, and which can hold the clipboard open on request.
//
//   casepeer.exe [--copy-delay MS] [--paste-delay MS] [--refuse-copy] [--text HEX]
//                [--class NAME] [--copy-as spreadsheet|editor|vscode|text-first] [--log-paste]
//                [--hold-after-paste MS] [--paste-twice] [--paste-retry]
//
// HEX is the initial text as UTF-16LE bytes; it starts selected. --class names the main window's
// class (a console's, say). --copy-as copies as such a program does:
//   spreadsheet  the selection's text beside the spreadsheet formats "Biff8" and "XML Spreadsheet"
//   editor       with nothing selected, the whole line marked "MSDEVLineSelect" and
//                "VisualStudioEditorOperationsLineCutCopyClipboardTag", as code editors do
//   vscode       as VS Code copies through its browser engine: with nothing selected the whole
//                line, its text beside the engine's "Chromium Web Custom MIME Data Format" pickle,
//                whose "vscode-editor-data" entry tells an empty selection
//   text-first   the selection as CF_TEXT (the ANSI code page's form), then as CF_UNICODETEXT
// --log-paste pastes the offered CF_UNICODETEXT itself and notes, in the text of the hidden child
// with id 101, what the clipboard held then: "formats=1,13,...;locale=HEX;unicode=HEX;text=HEX".
// --hold-after-paste opens the clipboard again right after each paste and keeps it open MS ms.
// --paste-twice reads the Unicode text first, works on it for 50 ms, then opens the clipboard
// again for the paste, as a program that reads HTML before the text does.
// --paste-retry pastes the Unicode text itself, asking a busy clipboard again for up to 2 s, as a
// program does that expects clipboard managers to hold the clipboard now and then.
// A second edit control, id 102, holds the text "Second" unselected.
//
// Messages to the main window:
//   WM_APP+1  open the clipboard and keep it open (answers 1 when it is open)
//   WM_APP+2  close it again
//   WM_APP+3  answers how many Ctrl+C keystrokes arrived, WM_APP+4 how many Ctrl+V
//   WM_APP+5  moves the keyboard focus to the second edit control
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <utility>

namespace {

constexpr UINT kHoldClipboard = WM_APP + 1;
constexpr UINT kReleaseClipboard = WM_APP + 2;
constexpr UINT kCopyCount = WM_APP + 3;
constexpr UINT kPasteCount = WM_APP + 4;
constexpr UINT kFocusSecond = WM_APP + 5;
constexpr UINT_PTR kCopyTimer = 1;
constexpr UINT_PTR kPasteTimer = 2;
constexpr UINT_PTR kHoldTimer = 3;

struct Options {
    UINT copyDelay = 0;
    UINT pasteDelay = 0;
    bool refuseCopy = false;
    std::wstring text;
    std::wstring className = L"CaseSwitchPeer";
    std::string copyAs;
    bool logPaste = false;
    UINT holdAfterPaste = 0;
    bool pasteTwice = false;
    bool pasteRetry = false;
};

Options options;
HWND mainWindow = nullptr;
HWND edit = nullptr;
HWND pasteLog = nullptr;
HWND secondEdit = nullptr;
WNDPROC editProcedure = nullptr;
LRESULT copies = 0;
LRESULT pastes = 0;
bool holding = false;

std::wstring FromHex(const char* hex) {
    std::wstring text;
    const std::size_t length = std::strlen(hex);
    for (std::size_t i = 0; i + 4 <= length; i += 4) {
        auto byte = [&](std::size_t at) {
            const char digits[3] = {hex[at], hex[at + 1], '\0'};
            return static_cast<unsigned>(std::strtoul(digits, nullptr, 16));
        };
        text.push_back(static_cast<wchar_t>(byte(i) | (byte(i + 2) << 8)));
    }
    return text;
}

std::string Hex(const void* data, std::size_t size) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char byte = static_cast<const unsigned char*>(data)[i];
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0xF];
    }
    return hex;
}

void PutBytes(UINT format, const void* data, std::size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (void* bytes = block ? GlobalLock(block) : nullptr) {
        std::memcpy(bytes, data, size);
        GlobalUnlock(block);
        if (SetClipboardData(format, block)) return;
    }
    if (block) GlobalFree(block);
}

void PutNamed(const char* name, const std::string& bytes) {
    PutBytes(RegisterClipboardFormatA(name), bytes.data(), bytes.size());
}

// A browser engine's pickle of a page's own types: a payload size, then the count and each string
// as a count of UTF-16 units and the units, padded to 4 bytes.
std::string WebCustomData(const std::wstring& type, const std::wstring& data) {
    std::string payload;
    const auto add32 = [&](std::size_t value) {
        const auto bits = static_cast<std::uint32_t>(value);
        payload.append(reinterpret_cast<const char*>(&bits), 4);
    };
    add32(1);
    for (const std::wstring* text : {&type, &data}) {
        add32(text->size());
        payload.append(reinterpret_cast<const char*>(text->data()), text->size() * 2);
        payload.append((4 - payload.size() % 4) % 4, '\0');
    }
    const auto size = static_cast<std::uint32_t>(payload.size());
    return std::string(reinterpret_cast<const char*>(&size), 4) + payload;
}

// The copy of a spreadsheet, a code editor, Visual Studio Code or an ANSI-first program, as --copy-as
// names it.
void CopyAsProfile() {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    std::wstring all(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    all.resize(static_cast<std::size_t>(GetWindowTextW(edit, all.data(), static_cast<int>(all.size()))));
    const bool empty = start == end;
    std::wstring text = all.substr(start, end - start);
    if (empty && options.copyAs != "spreadsheet") text = all + L"\r\n"; // the whole line
    if (!OpenClipboard(mainWindow)) return;
    EmptyClipboard();
    if (options.copyAs == "text-first") {
        std::string ansi(text.size() * 2 + 1, '\0');
        ansi.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, ansi.data(),
                                                                 static_cast<int>(ansi.size()), nullptr, nullptr)));
        PutBytes(CF_TEXT, ansi.data(), ansi.size());
    }
    PutBytes(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    if (options.copyAs == "spreadsheet") {
        PutNamed("Biff8", std::string("\x09\x08\x10\x00\x00\x06\x05\x00", 8));
        PutNamed("XML Spreadsheet", "<?xml version=\"1.0\"?><Workbook><Cell ss:Formula=\"=A1*2\"/></Workbook>");
    } else if (options.copyAs == "editor" && empty) {
        PutNamed("MSDEVLineSelect", std::string(1, '\0'));
        PutNamed("VisualStudioEditorOperationsLineCutCopyClipboardTag", std::string(1, '\0'));
    } else if (options.copyAs == "vscode") {
        PutNamed("Chromium Web Custom MIME Data Format",
                 WebCustomData(L"vscode-editor-data", std::wstring(L"{\"version\":1,\"isFromEmptySelection\":") +
                                                          (empty ? L"true" : L"false") +
                                                          L",\"multicursorText\":null,\"mode\":\"plaintext\"}"));
    }
    CloseClipboard();
}

// Pastes the offered Unicode text and notes what the clipboard held, all while holding it open.
void PasteAndLog() {
    if (!OpenClipboard(mainWindow)) return;
    std::string log = "formats=";
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
        log += std::to_string(format) + ",";
    }
    for (const auto& [name, format] :
         {std::pair<const char*, UINT>{";locale=", CF_LOCALE}, {";unicode=", CF_UNICODETEXT}, {";text=", CF_TEXT}}) {
        log += name;
        HANDLE data = GetClipboardData(format);
        const void* bytes = data ? GlobalLock(data) : nullptr;
        if (!bytes) continue;
        log += Hex(bytes, GlobalSize(data));
        if (format == CF_UNICODETEXT) SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(bytes));
        GlobalUnlock(data);
    }
    CloseClipboard();
    SetWindowTextA(pasteLog, log.c_str());
}

void Paste() {
    if (!options.pasteRetry) {
        CallWindowProcW(editProcedure, edit, WM_PASTE, 0, 0);
        return;
    }
    const DWORD start = GetTickCount();
    while (!OpenClipboard(mainWindow)) {
        if (GetTickCount() - start >= 2000) return;
        Sleep(1);
    }
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (const void* text = data ? GlobalLock(data) : nullptr) {
        CallWindowProcW(editProcedure, edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
        GlobalUnlock(data);
    }
    CloseClipboard();
}

// Another program's hold on the clipboard right when the switcher wants it back.
void PasteDone() {
    if (options.holdAfterPaste == 0) return;
    if (SendMessageW(mainWindow, kHoldClipboard, 0, 0))
        SetTimer(mainWindow, kHoldTimer, options.holdAfterPaste, nullptr);
}

// Ctrl+C and Ctrl+V are the peer's own: counted, then done now, later or not at all.
LRESULT CALLBACK EditProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (message == WM_KEYDOWN && control && (wParam == 'C' || wParam == 'V')) {
        if (wParam == 'C') {
            ++copies;
            if (options.refuseCopy) return 0;
            if (!options.copyAs.empty()) {
                CopyAsProfile();
                return 0;
            }
            if (options.copyDelay == 0) return CallWindowProcW(editProcedure, window, WM_COPY, 0, 0);
            SetTimer(mainWindow, kCopyTimer, options.copyDelay, nullptr);
        } else {
            ++pastes;
            if (options.logPaste) {
                PasteAndLog();
                return 0;
            }
            if (options.pasteTwice && OpenClipboard(mainWindow)) {
                GetClipboardData(CF_UNICODETEXT);
                CloseClipboard();
                Sleep(50);
            }
            if (options.pasteDelay == 0) {
                Paste();
                PasteDone();
                return 0;
            }
            SetTimer(mainWindow, kPasteTimer, options.pasteDelay, nullptr);
        }
        return 0;
    }
    // The characters Ctrl+C and Ctrl+V make would copy and paste a second time.
    if (message == WM_CHAR && (wParam == 0x03 || wParam == 0x16)) return 0;
    return CallWindowProcW(editProcedure, window, message, wParam, lParam);
}

LRESULT CALLBACK MainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        KillTimer(window, wParam);
        if (wParam == kHoldTimer) {
            SendMessageW(window, kReleaseClipboard, 0, 0);
            return 0;
        }
        if (wParam == kCopyTimer) {
            SendMessageW(edit, WM_COPY, 0, 0);
            return 0;
        }
        Paste();
        PasteDone();
        return 0;
    case kFocusSecond:
        SetFocus(secondEdit);
        return 0;
    case WM_SIZE:
        MoveWindow(edit, 0, 0, LOWORD(lParam), HIWORD(lParam) / 2, TRUE);
        MoveWindow(secondEdit, 0, HIWORD(lParam) / 2, LOWORD(lParam), HIWORD(lParam) / 2, TRUE);
        return 0;
    case WM_SETFOCUS:
        SetFocus(edit);
        return 0;
    case kHoldClipboard:
        if (!holding) holding = OpenClipboard(window) != FALSE;
        return holding ? 1 : 0;
    case kReleaseClipboard:
        if (holding) CloseClipboard();
        holding = false;
        return 1;
    case kCopyCount:
        return copies;
    case kPasteCount:
        return pastes;
    case WM_DESTROY:
        if (holding) CloseClipboard();
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void ReadOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--copy-delay" && hasValue) {
            options.copyDelay = static_cast<UINT>(std::atoi(argv[++i]));
        } else if (option == "--paste-delay" && hasValue) {
            options.pasteDelay = static_cast<UINT>(std::atoi(argv[++i]));
        } else if (option == "--refuse-copy") {
            options.refuseCopy = true;
        } else if (option == "--text" && hasValue) {
            options.text = FromHex(argv[++i]);
        } else if (option == "--class" && hasValue) {
            const std::string name = argv[++i];
            options.className.assign(name.begin(), name.end());
        } else if (option == "--copy-as" && hasValue) {
            options.copyAs = argv[++i];
        } else if (option == "--hold-after-paste" && hasValue) {
            options.holdAfterPaste = static_cast<UINT>(std::atoi(argv[++i]));
        } else if (option == "--paste-twice") {
            options.pasteTwice = true;
        } else if (option == "--paste-retry") {
            options.pasteRetry = true;
        } else if (option == "--log-paste") {
            options.logPaste = true;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    ReadOptions(argc, argv);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = MainProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = options.className.c_str();
    if (!RegisterClassW(&windowClass)) return 1;
    mainWindow = CreateWindowExW(0, options.className.c_str(), L"CaseSwitch peer", WS_OVERLAPPEDWINDOW, 40, 40, 420,
                                 160, nullptr, nullptr, windowClass.hInstance, nullptr);
    edit = CreateWindowExW(0, L"EDIT", options.text.c_str(), WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 400, 120,
                           mainWindow, reinterpret_cast<HMENU>(100), windowClass.hInstance, nullptr);
    pasteLog = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 0, 0, mainWindow, reinterpret_cast<HMENU>(101),
                               windowClass.hInstance, nullptr);
    secondEdit = CreateWindowExW(0, L"EDIT", L"Second", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 124, 400, 20,
                                 mainWindow, reinterpret_cast<HMENU>(102), windowClass.hInstance, nullptr);
    if (!mainWindow || !edit || !pasteLog || !secondEdit) return 2;
    editProcedure =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditProcedure)));
    SendMessageW(edit, EM_SETSEL, 0, -1);
    ShowWindow(mainWindow, SW_SHOW);
    SetForegroundWindow(mainWindow);
    SetFocus(edit);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
