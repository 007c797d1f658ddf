#include "caseswitch/ExchangeWindow.h"

#include <cstring>

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

bool ExchangeWindow::OfferOnOpenClipboard(UINT format, std::vector<unsigned char> data) {
    EmptyOpenClipboard();
    offeredFormat = format;
    offeredData = std::move(data);
    rendered = false;
    renderRequester = nullptr;
    renderRequesterProcess = 0;
    takenOver = false;
    SetClipboardData(format, nullptr);
    // The clipboard lists a delayed format as soon as it is announced; only its data is missing.
    pending = IsClipboardFormatAvailable(format) != FALSE;
    PutMark("ExcludeClipboardContentFromMonitorProcessing");
    PutMark("CanIncludeInClipboardHistory");
    return pending;
}

void ExchangeWindow::EmptyOpenClipboard() {
    emptying = true;
    EmptyClipboard();
    emptying = false;
    pending = false;
}

void ExchangeWindow::Render() {
    if (!pending) return;
    pending = false;
    GlobalBlock block = GlobalBlock(GlobalAlloc(GMEM_MOVEABLE, offeredData.size()));
    if (!block) return;
    {
        GlobalLockGuard lock(block.Get());
        if (!lock.IsLocked()) return;
        std::memcpy(lock.Data(), offeredData.data(), offeredData.size());
    }
    if (!SetClipboardData(offeredFormat, block.Get())) return;
    block.Release();
    rendered = true;
    // Noted now: the requester's window may be gone by the time anyone asks.
    renderRequester = GetOpenClipboardWindow();
    if (renderRequester) GetWindowThreadProcessId(renderRequester, &renderRequesterProcess);
}

LRESULT CALLBACK ExchangeWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ExchangeWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_RENDERFORMAT:
        // The one asking holds the clipboard open; the data goes straight in.
        if (static_cast<UINT>(wParam) == self->offeredFormat) self->Render();
        return 0;
    case WM_RENDERALLFORMATS: {
        ClipboardGuard clipboard(window);
        if (clipboard.IsOpen() && GetClipboardOwner() == window) self->Render();
        return 0;
    }
    case WM_DESTROYCLIPBOARD:
        if (!self->emptying) self->takenOver = true;
        self->pending = false;
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
