#include <windows.h>

#include "caseswitch/PhaseTrace.h"
#include "caseswitch/SentMessageWait.h"
#include "runtime/CaseSwitchCommands.h"

namespace runtime {
namespace {

// Every key that changes what an injected keystroke means, besides the two the caller names.
constexpr int kModifierKeys[] = {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_RWIN};

struct Watch {
    std::int32_t key1;
    std::int32_t key2;
    DWORD bound;
    HANDLE released; // set by the watcher once every key is up
    volatile LONG stop;
};

bool Held(std::int32_t key) {
    return key != 0 && (GetAsyncKeyState(key & 0xFF) & 0x8000) != 0;
}

bool AnyHeld(const Watch& watch) {
    for (int key : kModifierKeys) {
        if (Held(key)) return true;
    }
    return Held(watch.key1) || Held(watch.key2);
}

// Wine keeps a thread's last "released" answer for 50 ms without asking again, so a thread that
// asked just before the press would be told the hot key is already up. A thread of its own asks
// afresh: its first answer, and every one after a "held", comes from the current state.
DWORD WINAPI WatchKeys(void* parameter) {
    Watch& watch = *static_cast<Watch*>(parameter);
    const ULONGLONG start = NowMilliseconds();
    for (ULONGLONG elapsed = 0; InterlockedCompareExchange(&watch.stop, 0, 0) == 0 && elapsed <= watch.bound;
         elapsed = NowMilliseconds() - start) {
        if (!AnyHeld(watch)) {
            SetEvent(watch.released);
            return 0;
        }
        if (elapsed < kEagerMilliseconds) {
            SwitchToThread();
        } else {
            Sleep(1);
        }
    }
    return 0;
}

// Hot-key messages that came while the keys were held are the keyboard's repeats of this press,
// not presses of their own (Wine posts one per repeat even when asked not to).
void DropQueuedHotKeys() {
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE | PM_NOYIELD)) {
    }
}

} // namespace

bool WaitForKeysReleased(std::int32_t key1, std::int32_t key2, std::int32_t milliseconds) {
    Watch watch{key1, key2, static_cast<DWORD>(milliseconds < 0 ? 0 : milliseconds), nullptr, 0};
    watch.released = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!watch.released) return false;
    HANDLE watcher = CreateThread(nullptr, 0, &WatchKeys, &watch, 0, nullptr);
    bool released = false;
    if (watcher) {
        const ULONGLONG start = NowMilliseconds();
        for (;;) {
            HandleSentMessages();
            const ULONGLONG elapsed = NowMilliseconds() - start;
            const DWORD left = elapsed >= watch.bound ? 0 : static_cast<DWORD>(watch.bound - elapsed);
            const DWORD woken = MsgWaitForMultipleObjectsEx(1, &watch.released, left, QS_SENDMESSAGE, 0);
            if (woken == WAIT_OBJECT_0) {
                released = true;
                break;
            }
            if (woken != WAIT_OBJECT_0 + 1) break; // the bound, or a failed wait
        }
        InterlockedExchange(&watch.stop, 1);
        WaitForSingleObject(watcher, INFINITE);
        CloseHandle(watcher);
        released = released || WaitForSingleObject(watch.released, 0) == WAIT_OBJECT_0;
    }
    CloseHandle(watch.released);
    if (released) {
        DropQueuedHotKeys();
        TracePhase("released");
    }
    return released;
}

} // namespace runtime
