// The runtime's own clipboard owner for one exchange of a selection: a message-only window that
// hands out the offered text only when a paste asks for it (delayed rendering), so that the
// exchange learns when the paste has taken it, and that notices when another program takes the
// clipboard over.
#pragma once

#include <windows.h>

#include <vector>

namespace runtime {

class ExchangeWindow {
public:
    ExchangeWindow();
    ~ExchangeWindow();
    ExchangeWindow(const ExchangeWindow&) = delete;
    ExchangeWindow& operator=(const ExchangeWindow&) = delete;

    // Null when the window could not be made.
    HWND Handle() const { return window; }

    // For a clipboard that a ClipboardGuard on Handle() holds open: empties it and offers `data` in
    // `format` to be rendered when asked for, marked to stay out of clipboard history and
    // clipboard monitors. False when the system refused the offer.
    bool OfferOnOpenClipboard(UINT format, std::vector<unsigned char> data);

    // Empties the open clipboard on the exchange's own behalf: not taken for a takeover.
    void EmptyOpenClipboard();

    // The offered data has been handed out; RenderRequester() had the clipboard open then (null
    // when it opened the clipboard without a window), in process RenderRequesterProcess().
    bool Rendered() const { return rendered; }
    HWND RenderRequester() const { return renderRequester; }
    DWORD RenderRequesterProcess() const { return renderRequesterProcess; }

    // Another program emptied the clipboard after the offer: what is there now is theirs.
    bool TakenOver() const { return takenOver; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Render();

    HWND window = nullptr;
    UINT offeredFormat = 0;
    std::vector<unsigned char> offeredData;
    bool pending = false;
    bool rendered = false;
    HWND renderRequester = nullptr;
    DWORD renderRequesterProcess = 0;
    bool takenOver = false;
    bool emptying = false;
};

} // namespace runtime
