// Helper process for the clipboard tests: opens the clipboard, sets the event named by its first
// argument, and keeps the clipboard open until the event named by its second argument is set.
#include <windows.h>

int main(int argc, char** argv) {
    if (argc < 3) return 3;
    HANDLE opened = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, argv[2]);
    if (!opened || !release) return 4;
    if (!OpenClipboard(nullptr)) return 2;
    SetEvent(opened);
    // Bounded, so that a failed test never leaves the clipboard locked for the next one.
    const DWORD waited = WaitForSingleObject(release, 30000);
    CloseClipboard();
    CloseHandle(opened);
    CloseHandle(release);
    return waited == WAIT_OBJECT_0 ? 0 : 5;
}
