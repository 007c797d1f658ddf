// The notification-area icon of a loaded window.
#pragma once

#include <cstddef>
#include <cstdint>

namespace runtime {

// A byte block as the program keeps it in its constant data: the 32-bit value 1, the 32-bit
// byte count, then the bytes.
template <std::size_t N> struct StoredByteBlock {
    std::uint32_t marker;
    std::uint32_t byteCount;
    std::uint8_t bytes[N];
};

// Sets the icon of the window that `windowId` and `elementId` (an element of it, usually the
// window element) name: the icon is made from the bytes of an icon or cursor file and shown
// with `tip` (null for none; at most 62 bytes of it are shown, never half a double-byte
// character). The first call adds the icon; later ones replace it. Bytes that give no icon
// remove the window's icon. True when the notification area now shows the icon: false when the
// shell refused it (no taskbar is running, say) or there was no icon to show. A window that is
// not loaded is a fatal runtime failure.
bool SetTrayIconBytes(std::uint32_t windowId, std::uint32_t elementId, const std::uint8_t* bytes, std::int32_t length,
                      const char* tip);

template <std::size_t N>
bool SetTrayIcon(std::uint32_t windowId, std::uint32_t elementId, const StoredByteBlock<N>& icon, const char* tip) {
    // A count beyond the block's own bytes is never believed.
    const std::size_t length = icon.byteCount < N ? icon.byteCount : N;
    return SetTrayIconBytes(windowId, elementId, icon.bytes, static_cast<std::int32_t>(length), tip);
}

// The same with the bytes of an icon file, read whole. A null or empty name, or a file that
// cannot be read or is empty, removes the window's icon.
bool SetTrayIcon(std::uint32_t windowId, std::uint32_t elementId, const char* iconFileName, const char* tip);

// Shows a balloon with `title` and `text` at the window's icon (at most 63 and 255 bytes of them,
// never half a double-byte character), the first time only: the window remembers that it showed
// one for as long as it is loaded. True when the shell took the balloon now; false when the
// window has no icon, already showed a balloon, or the shell refused it.
bool ShowTrayBalloonOnce(std::uint32_t windowId, std::uint32_t elementId, const char* title, const char* text);

// Removes the window's icon, if it has one.
void RemoveTrayIcon(std::uint32_t windowId, std::uint32_t elementId);

} // namespace runtime
