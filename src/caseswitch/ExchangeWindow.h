// The runtime's own clipboard owner for one exchange of a selection: a message-only window that
// hands out the offered text only when a paste asks for it (delayed rendering), so that the
// exchange learns when the paste has taken it, and that notices when another program takes the
// clipboard over.
#pragma once

#include <windows.h>

#include <vector>

namespace runtime {

// One format of an offer: handed out when a paste asks for it (delayed), or put on the clipboard
// at once.
struct OfferedFormat {
    UINT format = 0;
    std::vector<unsigned char> bytes;
    bool delayed = true;
};

class ExchangeWindow {
public:
    ExchangeWindow();
    ~ExchangeWindow();
    ExchangeWindow(const ExchangeWindow&) = delete;
    ExchangeWindow& operator=(const ExchangeWindow&) = delete;

    // Null when the window could not be made.
    HWND Handle() const { return window; }

    // For a clipboard that a ClipboardGuard on Handle() holds open: empties it and offers every
    // format, the delayed ones to be rendered when asked for, marked to stay out of clipboard
    // history and clipboard monitors. False when the system refused a format.
    bool OfferOnOpenClipboard(std::vector<OfferedFormat> formats);

    // Empties the open clipboard on the exchange's own behalf: not taken for a takeover.
    void EmptyOpenClipboard();

    // Offered data has been handed out; RenderRequester() had the clipboard open at the first
    // rendering (null when it opened the clipboard without a window), in process
    // RenderRequesterProcess().
    bool Rendered() const { return rendered; }
    HWND RenderRequester() const { return renderRequester; }
    DWORD RenderRequesterProcess() const { return renderRequesterProcess; }

    // Another program emptied the clipboard after the offer: what is there now is theirs.
    bool TakenOver() const { return takenOver; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Render(UINT format);
    void RenderAll();
    void DropPending();

    struct Offered {
        OfferedFormat format;
        bool pending = false;
    };

    HWND window = nullptr;
    std::vector<Offered> offered;
    bool rendered = false;
    HWND renderRequester = nullptr;
    DWORD renderRequesterProcess = 0;
    bool takenOver = false;
    bool emptying = false;
};

} // namespace runtime
