// The runtime's own clipboard owner for the exchanges of selections: a hidden window that hands
// out the offered text only when a paste asks for it (delayed rendering), so that the exchange
// learns who takes it and when, and that brings the exchange every other event it waits on:
// clipboard changes, its timers, the answer of the pasting thread, another program taking the
// clipboard over, the end of the session. It is a top-level window, never shown, because
// message-only windows are not told that the session ends.
#pragma once

#include <windows.h>

#include <vector>

#include "caseswitch/clipboard/HeldContent.h"

namespace runtime {

// One format of an offer: handed out when a paste asks for it (delayed), or put on the clipboard
// at once.
struct OfferedFormat {
    UINT format = 0;
    std::vector<unsigned char> bytes;
    bool delayed = true;
};

// What the exchange window reports to the exchange.
class ExchangeEvents {
public:
    // The clipboard's content changed (any program, this one included).
    virtual void ClipboardChanged() = 0;
    // Offered data was handed out to `requester`, the window that holds the clipboard open (null
    // when it opened the clipboard without one), of thread `requesterThread` (0 then).
    virtual void Rendered(HWND requester, DWORD requesterThread) = 0;
    // The message posted by PostPasteCheck came round, or the thread SendPasteCheck asked has
    // answered.
    virtual void PasteCheck() = 0;
    virtual void PasteAnswered() = 0;
    virtual void TimerElapsed(UINT_PTR timer) = 0;
    // Another program emptied the clipboard after the offer: what is there now is theirs.
    virtual void TakenOver() = 0;
    // The session ends: the process may be ended as soon as this returns.
    virtual void SessionEnding() = 0;

protected:
    ~ExchangeEvents() = default;
};

class ExchangeWindow {
public:
    explicit ExchangeWindow(ExchangeEvents& events);
    ~ExchangeWindow();
    ExchangeWindow(const ExchangeWindow&) = delete;
    ExchangeWindow& operator=(const ExchangeWindow&) = delete;

    // Null when the window could not be made.
    HWND Handle() const { return window; }

    // For a clipboard that a ClipboardGuard on Handle() holds open: empties it and offers every
    // format, the delayed ones to be rendered when asked for, marked to stay out of clipboard
    // history and clipboard monitors. False when the system refused a format.
    bool OfferOnOpenClipboard(std::vector<OfferedFormat> formats);
    // Offers the same formats again, all delayed ones unrendered, so that the next reader asks.
    bool OfferAgainOnOpenClipboard();
    // Empties the open clipboard on the exchange's own behalf: not taken for a takeover.
    void EmptyOpenClipboard();
    // For a clipboard held open as for an offer: empties it and puts `content` back, marked as the
    // offer is, its large formats rendered later (HeldContent.h).
    void PutBackOnOpenClipboard(const ClipboardSnapshot& content);
    // The clipboard's content for a press: what was last put back while the clipboard still holds
    // it, else read (ClipboardSnapshot::Take).
    ClipboardSnapshot Snapshot();
    // Forgets the offer (the data stays on the clipboard where it was handed out).
    void DropOffer();
    bool Owner() const { return GetClipboardOwner() == window; }
    // Asks clipboard history, cloud sync and clipboard monitors to leave the open clipboard's
    // content alone.
    void MarkOpenClipboardPrivate();

    // Clipboard changes are reported while listening.
    void Listen(bool on);
    void StartTimer(UINT_PTR timer, UINT milliseconds);
    void StopTimer(UINT_PTR timer);
    // Reports PasteCheck once the messages queued before it have been handled.
    void PostPasteCheck();
    // Sends `target` a message that it answers only when its thread retrieves messages again;
    // PasteAnswered follows the answer. False when the message could not be sent.
    bool SendPasteCheck(HWND target);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void CALLBACK Answered(HWND window, UINT message, ULONG_PTR data, LRESULT result);
    void Render(UINT format);
    void RenderAll();
    // Has the formats of the content put back that are still waiting rendered, unless a press is
    // under way (then later) or the clipboard is busy (then a little later).
    void RenderHeld();
    // Puts back what the exchange holds and renders the rest: the process may be ended as soon as
    // the session's end is under way.
    void EndOfSession();

    struct Offered {
        OfferedFormat format;
        bool pending = false;
    };

    ExchangeEvents& events;
    HWND window = nullptr;
    std::vector<Offered> offered;
    HeldContent held;
    bool listening = false;
    bool emptying = false;
    // Each timer's bit while it runs: a press stops timers at every turn, and asking the system to
    // stop one that does not run costs as much as stopping one.
    unsigned runningTimers = 0;
    // The privacy marks' formats, registered once.
    UINT monitorMark = 0;
    UINT historyMark = 0;
    UINT viewerMark = 0;
};

} // namespace runtime
