#include <windows.h>

#include "runtime/KeyCommands.h"

namespace runtime {
namespace {

BYTE VirtualKeyOf(const KeyArgument& key) {
    if (!key.isText) return static_cast<BYTE>(key.code & 0xFF);
    const char character = key.text ? key.text[0] : '\0';
    // The shift state in the high byte is dropped: a character never brings Shift, Ctrl or Alt
    // with it, so "a" and "A" both give the A key. A character the layout lacks gives 0xFF.
    const SHORT scan = VkKeyScanExA(character, GetKeyboardLayout(0));
    return static_cast<BYTE>(scan & 0xFF);
}

INPUT KeyEvent(BYTE code, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = code;
    input.ki.dwFlags = flags;
    return input;
}

} // namespace

void SimulateKeys(KeyArgument key1, KeyArgument key2, KeyArgument key3) {
    const BYTE codes[3] = {VirtualKeyOf(key1), VirtualKeyOf(key2), VirtualKeyOf(key3)};
    // One call for the whole combination: the system puts the events in the input stream together,
    // so that no key the user presses or lets go meanwhile lands among them.
    INPUT events[6];
    UINT count = 0;
    for (int i = 0; i < 3; ++i) {
        if (i == 0 || codes[i] != 0) events[count++] = KeyEvent(codes[i], 0);
    }
    for (int i = 0; i < 3; ++i) {
        if (i == 0 || codes[i] != 0) events[count++] = KeyEvent(codes[i], KEYEVENTF_KEYUP);
    }
    SendInput(count, events, sizeof(INPUT));
}

void SimulateKeysAfterTap(std::int32_t tapKey, KeyArgument key1, KeyArgument key2) {
    const BYTE tap = static_cast<BYTE>(tapKey & 0xFF);
    const BYTE codes[2] = {VirtualKeyOf(key1), VirtualKeyOf(key2)};
    INPUT events[6] = {KeyEvent(tap, 0), KeyEvent(tap, KEYEVENTF_KEYUP)};
    UINT count = 2;
    for (const BYTE code : codes) {
        if (code != 0) events[count++] = KeyEvent(code, 0);
    }
    for (const BYTE code : codes) {
        if (code != 0) events[count++] = KeyEvent(code, KEYEVENTF_KEYUP);
    }
    SendInput(count, events, sizeof(INPUT));
}

} // namespace runtime
