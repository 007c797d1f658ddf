#include <windows.h>

#include "autostart/RegistryKey.h"
#include "caseswitch/clipboard/PhaseTrace.h"
#include "caseswitch/clipboard/SentMessageWait.h"
#include "runtime/CaseSwitchCommands.h"

namespace runtime {
namespace {

// Every key that changes what an injected keystroke means, besides the two the caller names.
constexpr int kModifierKeys[] = {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_RWIN};

bool Held(std::int32_t key) {
    return key != 0 && (GetAsyncKeyState(key & 0xFF) & 0x8000) != 0;
}

bool IsModifier(std::int32_t key) {
    for (int modifier : kModifierKeys) {
        if ((key & 0xFF) == modifier) return true;
    }
    return false;
}

// Each look costs a call into the system under Wine: a key named twice is looked at once.
bool AnyHeld(std::int32_t key1, std::int32_t key2) {
    for (int key : kModifierKeys) {
        if (Held(key)) return true;
    }
    return (!IsModifier(key1) && Held(key1)) || (!IsModifier(key2) && Held(key2));
}

// Wine answers "up" from a thread's own cache, without asking, for 50 ms after the thread last
// asked or injected keys; a look that soon after the previous press's would take this press's keys
// for released. Setting the thread's own desktop again makes Wine forget that cache; on Windows,
// which always answers from the current state, it is a call that changes nothing.
void ForgetCachedKeyStates(HDESK desktop) {
    SetThreadDesktop(desktop);
}

// Hot-key messages that came while the keys were held are the keyboard's repeats of this press,
// not presses of their own (Wine posts one per repeat even when asked not to).
void DropQueuedHotKeys() {
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE | PM_NOYIELD)) {
    }
}

// The setting "to turn off Caps Lock: press the Shift key" of the text input options.
constexpr DWORD kShiftReleasesCapsLock = KLF_SHIFTLOCK;

} // namespace

std::int32_t CapsLockRestoreKey() {
    RegistryKey key;
    DWORD attributes = 0;
    DWORD size = sizeof(attributes);
    DWORD type = REG_NONE;
    // Read at each press: the user may change the setting while the program runs.
    if (key.Open(HKEY_CURRENT_USER, "Keyboard Layout", KEY_QUERY_VALUE) == ERROR_SUCCESS &&
        RegQueryValueExA(key.Get(), "Attributes", nullptr, &type, reinterpret_cast<BYTE*>(&attributes), &size) ==
            ERROR_SUCCESS &&
        type == REG_DWORD && (attributes & kShiftReleasesCapsLock) != 0) {
        return VK_SHIFT;
    }
    return VK_CAPITAL;
}

bool WaitForKeysReleased(std::int32_t key1, std::int32_t key2, std::int32_t milliseconds) {
    const DWORD bound = static_cast<DWORD>(milliseconds < 0 ? 0 : milliseconds);
    const HDESK desktop = GetThreadDesktop(GetCurrentThreadId());
    const bool released = WaitUntil(bound, [key1, key2, desktop] {
        ForgetCachedKeyStates(desktop);
        return !AnyHeld(key1, key2);
    });
    if (released) {
        DropQueuedHotKeys();
        TracePhase("released");
    }
    return released;
}

} // namespace runtime
