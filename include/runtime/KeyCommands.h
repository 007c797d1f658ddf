// Injecting a key combination into the system's input stream.
#pragma once

#include <cstdint>

namespace runtime {

// A key given as a virtual-key code (its low 8 bits count; 0 is no key) or as a text whose
// first byte names a character of the current keyboard layout.
struct KeyArgument {
    constexpr KeyArgument(std::int32_t code) : code(code) {}
    constexpr KeyArgument(const char* text) : isText(true), text(text) {}

    bool isText = false;
    std::int32_t code = 0;
    const char* text = nullptr; // null counts as the empty string
};

// Presses key1, then key2 and key3 where they are not 0, and releases them in the same order,
// key1 first. The first key's events are sent even when its code is 0. Returns once the events
// are handed to the system; it does not wait for anyone to handle them.
void SimulateKeys(KeyArgument key1, KeyArgument key2 = 0, KeyArgument key3 = 0);

// Taps `tapKey` (a virtual-key code), then presses and releases key1 and key2 as SimulateKeys does,
// all in one sequence, so that no key of the user's lands between the tap and the combination.
void SimulateKeysAfterTap(std::int32_t tapKey, KeyArgument key1, KeyArgument key2 = 0);

} // namespace runtime
