#include "caseswitch/ExchangeWindow.h"

#include "caseswitch/ClipboardGuard.h"

namespace runtime {
namespace {

constexpr char kClassName[] = "CaseSwitchClipboardExchange";

bool RegisterExchangeClass(WNDPROC procedure) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    return RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Marks that ask clipboard history, cloud clipboard sync and clipboard managers to leave the
// content alone: a converted text lives on the clipboard for a few milliseconds only.
bool PutMark(const char* name) {
    const UINT format = RegisterClipboardFormatA(name);
    if (format == 0) return false;
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DWORD)));
    if (!block) return false;
    if (!SetClipboardData(format, block.Get())) return false;
    block.Release();
    return true;
}

} // namespace

ExchangeWindow::ExchangeWindow() {
    if (!RegisterExchangeClass(&Procedure)) return;
    window =
        CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window) SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

ExchangeWindow::~ExchangeWindow() {
    if (!window) return;
    // Destroying an owner with data still unrendered makes the system ask for all of it
    // (WM_RENDERALLFORMATS), which the procedure still answers from this object.
    DestroyWindow(window);
}

bool ExchangeWindow::OfferOnOpenClipboard(std::vector<OfferedFormat> formats) {
    EmptyOpenClipboard();
    offered.clear();
    rendered = false;
    renderRequester = nullptr;
    renderRequesterProcess = 0;
    takenOver = false;
    bool allOffered = true;
    for (OfferedFormat& format : formats) {
        Offered entry{std::move(format), false};
        if (entry.format.delayed) {
            SetClipboardData(entry.format.format, nullptr);
            // The clipboard lists a delayed format as soon as it is announced; only its data is missing.
            entry.pending = IsClipboardFormatAvailable(entry.format.format) != FALSE;
            allOffered = allOffered && entry.pending;
        } else {
            allOffered = PutOpenClipboardBytes(entry.format.format, entry.format.bytes) && allOffered;
        }
        offered.push_back(std::move(entry));
    }
    PutMark("ExcludeClipboardContentFromMonitorProcessing");
    PutMark("CanIncludeInClipboardHistory");
    return allOffered;
}

void ExchangeWindow::EmptyOpenClipboard() {
    emptying = true;
    EmptyClipboard();
    emptying = false;
    DropPending();
}

void ExchangeWindow::DropPending() {
    for (Offered& entry : offered)
        entry.pending = false;
}

void ExchangeWindow::Render(UINT format) {
    for (Offered& entry : offered) {
        if (entry.format.format != format || !entry.pending) continue;
        entry.pending = false;
        if (!PutOpenClipboardBytes(format, entry.format.bytes)) return;
        if (!rendered) {
            // Noted now: the requester's window may be gone by the time anyone asks.
            renderRequester = GetOpenClipboardWindow();
            if (renderRequester) GetWindowThreadProcessId(renderRequester, &renderRequesterProcess);
        }
        rendered = true;
        return;
    }
}

void ExchangeWindow::RenderAll() {
    for (Offered& entry : offered) {
        if (entry.pending) Render(entry.format.format);
    }
}

LRESULT CALLBACK ExchangeWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ExchangeWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_RENDERFORMAT:
        // The one asking holds the clipboard open; the data goes straight in.
        self->Render(static_cast<UINT>(wParam));
        return 0;
    case WM_RENDERALLFORMATS: {
        ClipboardGuard clipboard(window);
        if (clipboard.IsOpen() && GetClipboardOwner() == window) self->RenderAll();
        return 0;
    }
    case WM_DESTROYCLIPBOARD:
        if (!self->emptying) self->takenOver = true;
        self->DropPending();
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->window = nullptr;
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace runtime
