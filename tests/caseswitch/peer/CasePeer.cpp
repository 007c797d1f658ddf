// A peer program for the case-switch end-to-end tests: one edit control whose copy and paste
// keystrokes can be delayed or refused, and which can hold the clipboard open on request.
//
//   casepeer.exe [--copy-delay MS] [--paste-delay MS] [--refuse-copy] [--text HEX]
//
// HEX is the initial text as UTF-16LE bytes; it starts selected. Messages to the main window:
//   WM_APP+1  open the clipboard and keep it open (answers 1 when it is open)
//   WM_APP+2  close it again
//   WM_APP+3  answers how many Ctrl+C keystrokes arrived, WM_APP+4 how many Ctrl+V
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

constexpr UINT kHoldClipboard = WM_APP + 1;
constexpr UINT kReleaseClipboard = WM_APP + 2;
constexpr UINT kCopyCount = WM_APP + 3;
constexpr UINT kPasteCount = WM_APP + 4;
constexpr UINT_PTR kCopyTimer = 1;
constexpr UINT_PTR kPasteTimer = 2;

struct Options {
    UINT copyDelay = 0;
    UINT pasteDelay = 0;
    bool refuseCopy = false;
    std::wstring text;
};

Options options;
HWND mainWindow = nullptr;
HWND edit = nullptr;
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

// Ctrl+C and Ctrl+V are the peer's own: counted, then done now, later or not at all.
LRESULT CALLBACK EditProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (message == WM_KEYDOWN && control && (wParam == 'C' || wParam == 'V')) {
        if (wParam == 'C') {
            ++copies;
            if (options.refuseCopy) return 0;
            if (options.copyDelay == 0) return CallWindowProcW(editProcedure, window, WM_COPY, 0, 0);
            SetTimer(mainWindow, kCopyTimer, options.copyDelay, nullptr);
        } else {
            ++pastes;
            if (options.pasteDelay == 0) return CallWindowProcW(editProcedure, window, WM_PASTE, 0, 0);
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
        SendMessageW(edit, wParam == kCopyTimer ? WM_COPY : WM_PASTE, 0, 0);
        return 0;
    case WM_SIZE:
        MoveWindow(edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
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
    windowClass.lpszClassName = L"CaseSwitchPeer";
    if (!RegisterClassW(&windowClass)) return 1;
    mainWindow = CreateWindowExW(0, L"CaseSwitchPeer", L"CaseSwitch peer", WS_OVERLAPPEDWINDOW, 40, 40, 420, 160,
                                 nullptr, nullptr, windowClass.hInstance, nullptr);
    edit = CreateWindowExW(0, L"EDIT", options.text.c_str(), WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 400, 120,
                           mainWindow, reinterpret_cast<HMENU>(100), windowClass.hInstance, nullptr);
    if (!mainWindow || !edit) return 2;
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
