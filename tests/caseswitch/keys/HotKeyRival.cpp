// Helper process for the hot key press test: registers Ctrl+CapsLock through the service on a
// window of its own and exits with the id it got (0 when the system refused it).
#include <windows.h>

#include <cstdio>

#include "runtime/HotKeyCommands.h"

int main() {
    HWND window = CreateWindowExA(0, "STATIC", "rival", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    if (!window) return -2;
    SetLastError(0);
    const std::int32_t id = runtime::RegisterGlobalHotKey(window, window, runtime::kModifierCtrl, VK_CAPITAL);
    std::printf("rival registration: id %d, error %lu\n", static_cast<int>(id), GetLastError());
    DestroyWindow(window);
    return id;
}
