#include "caseswitch/keys/HotKeyService.h"

#include "caseswitch/clipboard/PhaseTrace.h"
#include "runtime/HotKeyCommands.h"

namespace runtime {
namespace {

HotKeyServiceState state;

bool Subclass(HWND window) {
    const LONG_PTR previous = SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HotKeyWindowProc));
    if (previous == 0) return false;
    state.subclassedWindow = window;
    state.previousWindowProcedure = reinterpret_cast<WNDPROC>(previous);
    return true;
}

// Puts the replaced procedure back on the window that was subclassed, which is not always the
// window a caller names: another window must never be given this window's procedure.
bool RemoveSubclass() {
    const LONG_PTR replaced = SetWindowLongPtrA(state.subclassedWindow, GWLP_WNDPROC,
                                                reinterpret_cast<LONG_PTR>(state.previousWindowProcedure));
    state.subclassedWindow = nullptr;
    state.previousWindowProcedure = nullptr;
    return replaced != 0;
}

} // namespace

const HotKeyServiceState& CurrentHotKeyState() {
    return state;
}

UINT TranslateModifierSet(std::int32_t modifierSet) {
    switch (modifierSet) {
    case 0:
        return 0;
    case 1:
        return MOD_CONTROL;
    case 2:
        return MOD_SHIFT;
    case 3:
        return MOD_CONTROL | MOD_SHIFT;
    case 4:
        return MOD_ALT;
    case 5:
        return MOD_CONTROL | MOD_ALT;
    case 6:
        return MOD_SHIFT | MOD_ALT;
    default:
        return static_cast<UINT>(modifierSet);
    }
}

LRESULT CALLBACK HotKeyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Taken before anything below can clear it.
    const WNDPROC previous = state.previousWindowProcedure;
    if (message == WM_HOTKEY && wParam >= kHotKeyIdBase + 1 && wParam <= state.lastId) {
        TracePhase("hotkey");
        SendMessageA(state.feedbackWindow, kFeedbackMessage, wParam, 0);
    }
    // A destroyed window's handle may later name another window: forget it while it still
    // exists, so that nothing is ever put on a stranger.
    if (message == WM_NCDESTROY && window == state.subclassedWindow) RemoveSubclass();
    if (!previous) return DefWindowProcA(window, message, wParam, lParam);
    return CallWindowProcA(previous, window, message, wParam, lParam);
}

std::int32_t RegisterGlobalHotKey(WindowHandle window, WindowHandle feedbackWindow, std::int32_t modifierSet,
                                  std::int32_t keyCode) {
    state.feedbackWindow = feedbackWindow;
    // A held hot key is one press: the keyboard's repeats must not each start an action.
    const UINT modifiers = TranslateModifierSet(modifierSet) | MOD_NOREPEAT;
    if (!state.subclassedWindow) Subclass(window);
    ++state.registrationCount;
    ++state.sequence;
    state.lastId = kHotKeyIdBase + static_cast<std::uint32_t>(state.sequence);
    if (!RegisterHotKey(window, static_cast<int>(state.lastId), modifiers, static_cast<UINT>(keyCode))) return 0;
    return static_cast<std::int32_t>(state.lastId);
}

bool UnregisterGlobalHotKey(WindowHandle window, std::int32_t id) {
    const bool unregistered = UnregisterHotKey(window, id) != FALSE;
    --state.registrationCount;
    if (state.subclassedWindow && state.registrationCount == 0) return RemoveSubclass();
    return unregistered;
}

} // namespace runtime
