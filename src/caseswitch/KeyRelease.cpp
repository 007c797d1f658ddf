#include <windows.h>

#include <atomic>
#include <thread>

#include "caseswitch/SentMessageWait.h"
#include "runtime/CaseSwitchCommands.h"

namespace runtime {
namespace {

bool Held(std::int32_t key) {
    return key != 0 && (GetAsyncKeyState(key & 0xFF) & 0x8000) != 0;
}

} // namespace

bool WaitForKeysReleased(std::int32_t key1, std::int32_t key2, std::int32_t milliseconds) {
    const DWORD bound = static_cast<DWORD>(milliseconds < 0 ? 0 : milliseconds);
    // Wine keeps a thread's last "released" answer for 50 ms without asking again, so a thread that
    // asked just before the press would be told the hot key is already up. A thread of its own asks
    // afresh: its first answer, and every one after a "held", comes from the current state.
    std::atomic<bool> released{false};
    std::atomic<bool> stop{false};
    std::thread watcher([&] {
        const ULONGLONG start = NowMilliseconds();
        for (ULONGLONG elapsed = 0; !stop && elapsed <= bound; elapsed = NowMilliseconds() - start) {
            if (!Held(key1) && !Held(key2)) {
                released = true;
                return;
            }
            if (elapsed < kEagerMilliseconds) {
                SwitchToThread();
            } else {
                Sleep(1);
            }
        }
    });
    const bool seen = WaitUntil(bound, [&] { return released.load(); });
    stop = true;
    watcher.join();
    return seen || released;
}

} // namespace runtime
