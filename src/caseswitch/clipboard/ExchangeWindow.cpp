#include "caseswitch/clipboard/ExchangeWindow.h"

#include "caseswitch/clipboard/ClipboardGuard.h"
#include "caseswitch/clipboard/PhaseTrace.h"

namespace runtime {
namespace {

constexpr char kClassName[] = "CaseSwitchClipboardExchange";
// Posted to itself: handled once every message queued before it has been.
constexpr UINT kPasteCheckMessage = WM_APP + 1;
// Posted to itself when content has been put back: handled once the clipboard has been closed.
constexpr UINT kPutBackMessage = WM_APP + 2;
// Its own timer, apart from the exchange's: the content put back is rendered this long after the
// press. Soon, because only a content on the clipboard outlives a program that ends without
// notice; not at once, because the clipboard is held open meanwhile, and the target and the user
// may still want it just after the paste.
constexpr UINT_PTR kRenderHeldTimer = 16;
constexpr DWORD kRenderHeldMilliseconds = 250;
constexpr DWORD kBusyRetryMilliseconds = 10;
// At the session's end the clipboard is asked for this long.
constexpr DWORD kEndingMilliseconds = 2000;

bool RegisterExchangeClass(WNDPROC procedure) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    return RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Marks that ask clipboard history, cloud clipboard sync and clipboard managers to leave the
// content alone: a converted text lives on the clipboard only until the paste has taken it.
bool PutMark(UINT& format, const char* name) {
    if (format == 0) format = RegisterClipboardFormatA(name);
    if (format == 0) return false;
    constexpr unsigned char kNo[sizeof(DWORD)] = {};
    return PutOpenClipboardBytes(format, kNo, sizeof kNo);
}

unsigned TimerBit(UINT_PTR timer) {
    return 1U << (timer & 31);
}

ExchangeWindow* FromHandle(HWND window) {
    return reinterpret_cast<ExchangeWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

} // namespace

ExchangeWindow::ExchangeWindow(ExchangeEvents& events) : events(events) {
    if (!RegisterExchangeClass(&Procedure)) return;
    window = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    if (window) SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

ExchangeWindow::~ExchangeWindow() {
    if (!window) return;
    Listen(false);
    // Destroying an owner with data still unrendered makes the system ask for all of it
    // (WM_RENDERALLFORMATS), which the procedure still answers from this object.
    DestroyWindow(window);
}

bool ExchangeWindow::OfferOnOpenClipboard(std::vector<OfferedFormat> formats) {
    offered.clear();
    for (OfferedFormat& format : formats)
        offered.push_back({std::move(format), false});
    return OfferAgainOnOpenClipboard();
}

bool ExchangeWindow::OfferAgainOnOpenClipboard() {
    EmptyOpenClipboard();
    bool allOffered = true;
    for (Offered& entry : offered) {
        if (entry.format.delayed) {
            SetClipboardData(entry.format.format, nullptr);
            // The clipboard lists a delayed format as soon as it is announced; only its data is missing.
            entry.pending = IsClipboardFormatAvailable(entry.format.format) != FALSE;
            allOffered = allOffered && entry.pending;
        } else {
            allOffered =
                PutOpenClipboardBytes(entry.format.format, entry.format.bytes.data(), entry.format.bytes.size()) &&
                allOffered;
        }
    }
    MarkOpenClipboardPrivate();
    return allOffered;
}

void ExchangeWindow::MarkOpenClipboardPrivate() {
    PutMark(monitorMark, "ExcludeClipboardContentFromMonitorProcessing");
    PutMark(historyMark, "CanIncludeInClipboardHistory");
    // The older clipboard managers' mark.
    PutMark(viewerMark, "Clipboard Viewer Ignore");
}

void ExchangeWindow::EmptyOpenClipboard() {
    emptying = true;
    // The owner of what the clipboard holds, the target after its copy, is told and, under Wine,
    // waited for: the time between the two moments is mostly the target's.
    TracePhase("emptying");
    EmptyClipboard();
    TracePhase("emptied");
    emptying = false;
    DropOffer();
    held.Drop();
}

void ExchangeWindow::PutBackOnOpenClipboard(const ClipboardSnapshot& content) {
    EmptyOpenClipboard();
    held.PutOnOpenClipboard(content);
    // The content was in history and monitors already when it was first copied.
    MarkOpenClipboardPrivate();
    if (!window) return;
    PostMessageA(window, kPutBackMessage, 0, 0);
    if (held.Pending()) StartTimer(kRenderHeldTimer, kRenderHeldMilliseconds);
}

ClipboardSnapshot ExchangeWindow::Snapshot() {
    if (Owner() && held.Current(GetClipboardSequenceNumber())) {
        TracePhase("held");
        return held.Content();
    }
    return ClipboardSnapshot::Take(window);
}

void ExchangeWindow::RenderHeld() {
    if (!held.Pending()) return;
    // The press's own copy and paste need the clipboard: a press that began meanwhile has taken
    // the content as its snapshot, and the content goes back with its end.
    if (listening) {
        StartTimer(kRenderHeldTimer, kRenderHeldMilliseconds);
        return;
    }
    ClipboardGuard clipboard(window, 0);
    if (!clipboard.IsOpen()) {
        StartTimer(kRenderHeldTimer, kBusyRetryMilliseconds);
        return;
    }
    if (!Owner()) return;
    held.RequestAll();
    TracePhase("held-rendered");
    TracePhase("over");
}

void ExchangeWindow::DropOffer() {
    for (Offered& entry : offered)
        entry.pending = false;
}

void ExchangeWindow::Listen(bool on) {
    if (on == listening || !window) return;
    listening = on ? AddClipboardFormatListener(window) != FALSE : (RemoveClipboardFormatListener(window), false);
}

void ExchangeWindow::StartTimer(UINT_PTR timer, UINT milliseconds) {
    if (window && SetTimer(window, timer, milliseconds, nullptr)) runningTimers |= TimerBit(timer);
}

void ExchangeWindow::StopTimer(UINT_PTR timer) {
    if (!window || (runningTimers & TimerBit(timer)) == 0) return;
    runningTimers &= ~TimerBit(timer);
    KillTimer(window, timer);
}

void ExchangeWindow::PostPasteCheck() {
    if (window) PostMessageA(window, kPasteCheckMessage, 0, 0);
}

bool ExchangeWindow::SendPasteCheck(HWND target) {
    // WM_NULL changes nothing; a thread answers a sent message only when it retrieves messages,
    // that is once it is done with the message it is handling.
    return window && SendMessageCallbackA(target, WM_NULL, 0, 0, &Answered, reinterpret_cast<ULONG_PTR>(window));
}

void CALLBACK ExchangeWindow::Answered(HWND, UINT, ULONG_PTR data, LRESULT) {
    // By handle: the exchange window may have gone while the answer was on its way.
    HWND window = reinterpret_cast<HWND>(data);
    if (ExchangeWindow* self = IsWindow(window) ? FromHandle(window) : nullptr) self->events.PasteAnswered();
}

void ExchangeWindow::EndOfSession() {
    events.SessionEnding();
    // Nothing more is sure to come: not even the window's destruction.
    if (!held.Pending()) return;
    ClipboardGuard clipboard(window, kEndingMilliseconds);
    if (clipboard.IsOpen() && Owner()) held.RenderAll();
}

void ExchangeWindow::Render(UINT format) {
    if (held.Render(format)) return;
    for (Offered& entry : offered) {
        if (entry.format.format != format || !entry.pending) continue;
        entry.pending = false;
        if (!PutOpenClipboardBytes(format, entry.format.bytes.data(), entry.format.bytes.size())) return;
        // Noted now: the requester's window may be gone by the time anyone asks.
        HWND requester = GetOpenClipboardWindow();
        events.Rendered(requester, requester ? GetWindowThreadProcessId(requester, nullptr) : 0);
        return;
    }
}

void ExchangeWindow::RenderAll() {
    for (Offered& entry : offered) {
        if (entry.pending) Render(entry.format.format);
    }
    held.RenderAll();
}

LRESULT CALLBACK ExchangeWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ExchangeWindow* self = FromHandle(window);
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
        self->DropOffer();
        self->held.Drop();
        if (!self->emptying) self->events.TakenOver();
        return 0;
    case WM_CLIPBOARDUPDATE:
        self->events.ClipboardChanged();
        return 0;
    // Nobody else ends it: closed from outside, every later press would find no exchange window.
    case WM_CLOSE:
        return 0;
    case WM_TIMER:
        if (wParam == kRenderHeldTimer) {
            self->StopTimer(kRenderHeldTimer);
            self->RenderHeld();
            return 0;
        }
        self->events.TimerElapsed(wParam);
        return 0;
    case kPasteCheckMessage:
        self->events.PasteCheck();
        return 0;
    case kPutBackMessage:
        self->held.NoteSequence(GetClipboardSequenceNumber());
        return 0;
    // The process may be ended without notice once the session's end is under way: the earlier
    // content goes back at the first word of it.
    case WM_QUERYENDSESSION:
        self->EndOfSession();
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) self->EndOfSession();
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
