// Clipboard helpers for the exchange and snapshot tests. They open the clipboard without a window:
// the threads that use them pump no messages, and an owner that does not answer WM_DESTROYCLIPBOARD
// would stall the code under test in its next EmptyClipboard.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace exchange_test {

using Bytes = std::vector<unsigned char>;
using Format = std::pair<UINT, Bytes>;

Bytes AnsiBytes(const char* text);         // with its NUL
Bytes WideBytes(const std::wstring& text); // with its NUL
UINT Registered(const char* name);

// A tiny 2 x 2, 24-bit DIB; a 1 x 1 DIB with a BITMAPV5HEADER and a half-transparent pixel (what a
// program places beside its CF_DIB to keep the alpha channel); a rich text block; a custom format
// holding every byte value.
Format SampleDib();
Format SampleDibV5();
Format SampleRichText();
Format SampleCustom();

// Open (bounded retry), empty, put every format, close. False with the reason in `why`. With an
// `owner` window the content is that window's, as a program's copy is; without, nobody's.
bool PutFormats(const std::vector<Format>& formats, std::string* why = nullptr, HWND owner = nullptr);
bool EmptyTheClipboard();
// The bytes of one format (GlobalSize bytes), or nothing when absent.
std::optional<Bytes> ReadFormat(UINT format);
std::vector<UINT> ListFormats();

// `actual` holds `expected` at its start (the system may round a block's size up).
bool StartsWith(const Bytes& actual, const Bytes& expected);
std::string Describe(const std::optional<Bytes>& bytes);

// Opens the clipboard on its own thread and keeps it open until Release or destruction.
class ClipboardHolderThread {
public:
    ClipboardHolderThread();
    ~ClipboardHolderThread();
    ClipboardHolderThread(const ClipboardHolderThread&) = delete;
    ClipboardHolderThread& operator=(const ClipboardHolderThread&) = delete;
    bool Holding() const { return holding; }
    void Release();

private:
    HANDLE opened;
    HANDLE release;
    std::thread thread;
    bool holding = false;
};

} // namespace exchange_test
