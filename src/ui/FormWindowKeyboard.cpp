// A window object's keyboard: where the focus goes when the window gets it, and Tab, Shift+Tab,
// Enter and Esc before they are dispatched.
#include <algorithm>

#include "ui/FormWindow.h"

namespace runtime {

std::vector<Control*> FormWindow::TabStops() const {
    std::vector<Control*> stops;
    for (std::size_t i = 1; i < loaded.elements.size(); ++i) {
        Control* control = loaded.elements[i].control;
        if (!control || !control->IsTabStop()) continue;
        if (!IsWindowVisible(control->Handle()) || !IsWindowEnabled(control->Handle())) continue;
        // Each goes in after the stops whose number is not larger, so that equal numbers keep the
        // description's order.
        const auto place =
            std::upper_bound(stops.begin(), stops.end(), control, [](const Control* a, const Control* b) {
                return a->Description().tabOrder < b->Description().tabOrder;
            });
        stops.insert(place, control);
    }
    return stops;
}

void FormWindow::OnSetFocus() {
    Fire(event::kGotFocus);
    if (detached) return;
    if (focusAtDeactivation && IsChild(handle, focusAtDeactivation)) {
        SetFocus(focusAtDeactivation);
        return;
    }
    const std::vector<Control*> stops = TabStops();
    if (stops.empty()) return;
    // Among the smallest tab-order numbers, the control that comes last in the description.
    Control* chosen = stops.front();
    for (Control* control : stops) {
        if (control->Description().tabOrder == chosen->Description().tabOrder) chosen = control;
    }
    SetFocus(chosen->Handle());
}

void FormWindow::MoveFocus(bool forward) {
    const std::vector<Control*> stops = TabStops();
    if (stops.empty()) return;
    HWND focus = GetFocus();
    std::size_t current = stops.size();
    for (std::size_t i = 0; i < stops.size(); ++i) {
        if (stops[i]->Handle() == focus) current = i;
    }
    std::size_t next = 0;
    if (current == stops.size())
        next = forward ? 0 : stops.size() - 1;
    else
        next = forward ? (current + 1) % stops.size() : (current + stops.size() - 1) % stops.size();
    SetFocus(stops[next]->Handle());
}

bool FormWindow::PreTranslateMessage(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    if (message.hwnd != handle && !IsChild(handle, message.hwnd)) return false;
    const MessageScope scope(*this); // Esc closes the window
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool alt = GetKeyState(VK_MENU) < 0;
    const WindowData& data = Data();
    switch (message.wParam) {
    case VK_TAB:
        if (control || alt) return false;
        MoveFocus(!shift);
        // The keyboard is in use: the focus rectangle shows where it is.
        SendMessageA(handle, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        return true;
    case VK_RETURN: {
        if (control || shift || alt) return false;
        if (data.enterMovesFocus) {
            MoveFocus(true);
            return true;
        }
        Control* focused = ControlFor(GetFocus());
        if (!focused || !focused->PressedByEnter()) return false; // no default button in this window
        focused->OnClicked();
        return true;
    }
    case VK_ESCAPE:
        if (control || shift || alt || !data.escCloses) return false;
        SendMessageA(handle, WM_CLOSE, 0, 0);
        return true;
    default:
        return false;
    }
}

} // namespace runtime
