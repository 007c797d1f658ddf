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
    const BYTE codes[3] = {static_cast<BYTE>(tapKey & 0xFF), VirtualKeyOf(key1), VirtualKeyOf(key2)};
    // The tap down and up, then the combination's keys down and up in the order SimulateKeys has.
    constexpr struct {
        int key;
        DWORD flags;
    } kOrder[] = {{0, 0}, {0, KEYEVENTF_KEYUP}, {1, 0}, {2, 0}, {1, KEYEVENTF_KEYUP}, {2, KEYEVENTF_KEYUP}};
    INPUT events[6];
    UINT count = 0;
    for (const auto& step : kOrder) {
        if (step.key == 0 || codes[step.key] != 0) events[count++] = KeyEvent(codes[step.key], step.flags);
    }
    SendInput(count, events, sizeof(INPUT));
}

} // namespace runtime
