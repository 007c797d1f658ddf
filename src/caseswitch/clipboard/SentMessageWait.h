// Bounded waits on the main thread that keep other programs answered without running anything
// of our own: messages other threads send to this one (WM_RENDERFORMAT for a text we offered, for
// instance) are handled, posted ones (a further hot-key press among them) stay queued for the
// message loop.
#pragma once

#include <windows.h>

namespace runtime {

inline constexpr ULONGLONG kEagerMilliseconds = 20;

// Handles the messages that other threads have sent to this one, and nothing else.
void HandleSentMessages();

// Milliseconds on a monotonic clock.
ULONGLONG NowMilliseconds();

// Checks `condition` until it holds or `milliseconds` have passed, handling sent messages in
// between; true when it held. The condition is checked at least once, also with a bound of 0.
template <class Condition> bool WaitUntil(DWORD milliseconds, Condition condition) {
    const ULONGLONG start = NowMilliseconds();
    for (;;) {
        if (condition()) return true;
        const ULONGLONG elapsed = NowMilliseconds() - start;
        if (elapsed >= milliseconds) return false;
        HandleSentMessages();
        // The awaited program usually answers within a few milliseconds: look again at once for a
        // short while, then once a millisecond. A sent message wakes the wait at once either way.
        if (elapsed < kEagerMilliseconds) {
            SwitchToThread();
        } else {
            MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_SENDMESSAGE, 0);
        }
    }
}

} // namespace runtime
