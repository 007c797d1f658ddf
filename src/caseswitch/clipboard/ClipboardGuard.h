// Guards for the clipboard and for global memory blocks, shared by every piece of the runtime
// that touches the clipboard. No naked OpenClipboard/CloseClipboard or GlobalLock/GlobalUnlock
// pairs outside this file.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "caseswitch/text/ClipboardFormats.h"

namespace runtime {

// Clipboard managers and other programs keep the clipboard open for a few milliseconds at a
// time; an operation keeps asking for about this long before it gives up.
inline constexpr DWORD kClipboardRetryMilliseconds = 50;

// The window that opens the clipboard: the runtime's hidden owner window. With no owner,
// EmptyClipboard leaves the clipboard ownerless and SetClipboardData is documented to fail.
// Null while the extension library has not been started.
HWND ClipboardOwnerWindow();

// Opens the clipboard for `owner` and closes it when it goes out of scope. A busy clipboard is
// asked for again until `retryMilliseconds` have passed; between attempts the thread handles
// messages sent to it (a holder that asks our owner window to render a format is not kept
// waiting), and nothing is held open while waiting.
class ClipboardGuard {
public:
    explicit ClipboardGuard(HWND owner, DWORD retryMilliseconds = kClipboardRetryMilliseconds);
    ~ClipboardGuard();
    ClipboardGuard(const ClipboardGuard&) = delete;
    ClipboardGuard& operator=(const ClipboardGuard&) = delete;

    bool IsOpen() const { return open; }
    // How many times OpenClipboard was called: 1 when the clipboard was free at once.
    int Attempts() const { return attempts; }

private:
    bool open = false;
    int attempts = 0;
};

// Locks a global memory block for as long as it lives. Size() is the block's size as the system
// reports it, so a reader never runs past the end of a block that lacks its NUL.
class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL block);
    ~GlobalLockGuard();
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;

    bool IsLocked() const { return data != nullptr; }
    void* Data() const { return data; }
    std::size_t Size() const { return size; }

private:
    HGLOBAL block;
    void* data;
    std::size_t size;
};

// Owns a global memory block until it is handed over (to SetClipboardData, for instance);
// frees it otherwise.
class GlobalBlock {
public:
    GlobalBlock() = default;
    explicit GlobalBlock(HGLOBAL block) : block(block) {}
    ~GlobalBlock();
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    GlobalBlock(GlobalBlock&& other) noexcept : block(other.Release()) {}
    GlobalBlock& operator=(GlobalBlock&& other) noexcept;

    HGLOBAL Get() const { return block; }
    explicit operator bool() const { return block != nullptr; }
    // Gives up ownership, for a block that the clipboard has accepted.
    HGLOBAL Release();

private:
    HGLOBAL block = nullptr;
};

// A movable, zero-filled block holding `length` bytes of `text` and a NUL, ready for
// SetClipboardData(CF_TEXT, ...). Empty when the system has no memory for it.
GlobalBlock MakeTextBlock(const char* text, std::size_t length);

// For a clipboard that a ClipboardGuard holds open:
// the CF_TEXT content as a runtime memory block (ReleaseMemory); null when there is no text,
// when it cannot be locked, or when it is the empty string.
char* ReadOpenClipboardText();
// Every listed format in the clipboard's order, with its registered name (empty for the system's
// own formats); no data.
std::vector<ListedFormat> ListOpenClipboardFormats();
// One format's data block as bytes (GlobalSize of them); false when it is absent or unreadable.
bool ReadOpenClipboardBytes(UINT format, std::vector<unsigned char>& bytes);
// Puts `size` bytes from `bytes` on the clipboard as `format` in a new block; false when no block
// could be had or the clipboard refused it.
bool PutOpenClipboardBytes(UINT format, const unsigned char* bytes, std::size_t size);
// Empties the clipboard and puts `text` (null counts as the empty string) on it as CF_TEXT.
// False when no block could be allocated (the clipboard stays empty) or when the clipboard
// refused the block (which is then freed).
bool ReplaceOpenClipboardText(const char* text);

} // namespace runtime
