#include <windows.h>

#include "caseswitch/SentMessageWait.h"
#include "runtime/CaseSwitchCommands.h"

namespace runtime {

bool WaitForKeysReleased(std::int32_t key1, std::int32_t key2, std::int32_t milliseconds) {
    const auto held = [](std::int32_t key) { return key != 0 && (GetAsyncKeyState(key & 0xFF) & 0x8000) != 0; };
    return WaitUntil(static_cast<DWORD>(milliseconds < 0 ? 0 : milliseconds),
                     [&] { return !held(key1) && !held(key2); });
}

} // namespace runtime
