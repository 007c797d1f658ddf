#include "ClipboardTestSupport.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace exchange_test {
namespace {

class OpenWithoutWindow {
public:
    explicit OpenWithoutWindow(HWND owner = nullptr) {
        const DWORD start = GetTickCount();
        while (!(open = OpenClipboard(owner) != FALSE) && GetTickCount() - start < 2000)
            Sleep(1);
    }
    ~OpenWithoutWindow() {
        if (open) CloseClipboard();
    }
    OpenWithoutWindow(const OpenWithoutWindow&) = delete;
    OpenWithoutWindow& operator=(const OpenWithoutWindow&) = delete;
    bool open = false;
};

} // namespace

Bytes AnsiBytes(const char* text) {
    return Bytes(text, text + std::strlen(text) + 1);
}

Bytes WideBytes(const std::wstring& text) {
    const auto* start = reinterpret_cast<const unsigned char*>(text.c_str());
    return Bytes(start, start + (text.size() + 1) * sizeof(wchar_t));
}

UINT Registered(const char* name) {
    return RegisterClipboardFormatA(name);
}

namespace {

// A bitmap header's bytes followed by its pixels.
template <class Header> Bytes HeaderAndPixels(const Header& header, std::initializer_list<unsigned char> pixels) {
    Bytes bytes(sizeof header);
    std::memcpy(bytes.data(), &header, sizeof header);
    bytes.insert(bytes.end(), pixels);
    return bytes;
}

} // namespace

Format SampleDib() {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = 2;
    header.biHeight = 2;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = 16;
    return {CF_DIB, HeaderAndPixels(
                        header, {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0, 0, 0x70, 0x80, 0x90, 0xA0, 0xB0, 0xC0, 0, 0})};
}

Format SampleDibV5() {
    BITMAPV5HEADER header = {};
    header.bV5Size = sizeof header;
    header.bV5Width = 1;
    header.bV5Height = 1;
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_RGB;
    header.bV5SizeImage = 4;
    header.bV5AlphaMask = 0xFF000000;
    return {CF_DIBV5, HeaderAndPixels(header, {0x11, 0x22, 0x33, 0x80})};
}

Format SampleRichText() {
    return {Registered("Rich Text Format"), AnsiBytes("{\\rtf1\\ansi {\\b Earlier} content}")};
}

Format SampleCustom() {
    Bytes bytes(256);
    for (int i = 0; i < 256; ++i)
        bytes[i] = static_cast<unsigned char>(255 - i);
    return {Registered("CaseSwitch Test Custom Format"), bytes};
}

bool PutFormats(const std::vector<Format>& formats, std::string* why, HWND owner) {
    OpenWithoutWindow clipboard(owner);
    if (!clipboard.open) {
        if (why) *why = "the clipboard stayed busy";
        return false;
    }
    EmptyClipboard();
    for (const auto& [format, bytes] : formats) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        void* data = block ? GlobalLock(block) : nullptr;
        if (!data) {
            if (block) GlobalFree(block);
            if (why) *why = "no memory";
            return false;
        }
        std::memcpy(data, bytes.data(), bytes.size());
        GlobalUnlock(block);
        if (!SetClipboardData(format, block)) {
            GlobalFree(block);
            if (why) *why = "SetClipboardData refused format " + std::to_string(format);
            return false;
        }
    }
    return true;
}

bool EmptyTheClipboard() {
    OpenWithoutWindow clipboard;
    return clipboard.open && EmptyClipboard();
}

std::optional<Bytes> ReadFormat(UINT format) {
    OpenWithoutWindow clipboard;
    if (!clipboard.open) return std::nullopt;
    HANDLE data = GetClipboardData(format);
    if (!data) return std::nullopt;
    const void* start = GlobalLock(data);
    if (!start) return std::nullopt;
    const auto* bytes = static_cast<const unsigned char*>(start);
    Bytes copy(bytes, bytes + GlobalSize(data));
    GlobalUnlock(data);
    return copy;
}

std::vector<UINT> ListFormats() {
    OpenWithoutWindow clipboard;
    std::vector<UINT> formats;
    if (!clipboard.open) return formats;
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format))
        formats.push_back(format);
    return formats;
}

bool StartsWith(const Bytes& actual, const Bytes& expected) {
    return actual.size() >= expected.size() && std::memcmp(actual.data(), expected.data(), expected.size()) == 0;
}

std::string Describe(const std::optional<Bytes>& bytes) {
    if (!bytes) return "no such format";
    std::string out = std::to_string(bytes->size()) + " bytes:";
    char digits[4];
    for (std::size_t i = 0; i < bytes->size() && i < 48; ++i) {
        std::snprintf(digits, sizeof digits, " %02X", (*bytes)[i]);
        out += digits;
    }
    return out;
}

ClipboardHolderThread::ClipboardHolderThread()
    : opened(CreateEventA(nullptr, TRUE, FALSE, nullptr)), release(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    thread = std::thread([this] {
        if (!OpenClipboard(nullptr)) return;
        SetEvent(opened);
        WaitForSingleObject(release, 30000); // bounded: a failed test never keeps the clipboard
        CloseClipboard();
    });
    holding = WaitForSingleObject(opened, 5000) == WAIT_OBJECT_0;
}

void ClipboardHolderThread::Release() {
    SetEvent(release);
    if (thread.joinable()) thread.join();
}

ClipboardHolderThread::~ClipboardHolderThread() {
    Release();
    CloseHandle(opened);
    CloseHandle(release);
}

} // namespace exchange_test
