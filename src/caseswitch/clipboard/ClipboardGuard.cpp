#include "caseswitch/clipboard/ClipboardGuard.h"

#include <cstring>

#include "app/LibraryServices.h"
#include "runtime/Runtime.h"

namespace runtime {

HWND ClipboardOwnerWindow() {
    return reinterpret_cast<HWND>(CallService(LibraryId::Extension, service::kHiddenOwner));
}

namespace {

// Waits up to `milliseconds` while handling the messages other threads send to this one: the
// program holding the clipboard may be waiting on us, for WM_RENDERFORMAT of a format our owner
// window offered, or (Wine, polling X for the selection) for the update message it sends the
// clipboard's owner, with a 5 s time-out, when it opens the clipboard. Posted messages stay in
// the queue for the message loop.
void WaitHandlingSentMessages(DWORD milliseconds) {
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_SENDMESSAGE, 0);
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

} // namespace

ClipboardGuard::ClipboardGuard(HWND owner, DWORD retryMilliseconds) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        ++attempts;
        if (OpenClipboard(owner)) {
            open = true;
            return;
        }
        const ULONGLONG elapsed = GetTickCount64() - start;
        if (elapsed >= retryMilliseconds) return;
        WaitHandlingSentMessages(1);
    }
}

ClipboardGuard::~ClipboardGuard() {
    if (open) CloseClipboard();
}

GlobalLockGuard::GlobalLockGuard(HGLOBAL block)
    : block(block), data(block ? GlobalLock(block) : nullptr), size(data ? GlobalSize(block) : 0) {}

GlobalLockGuard::~GlobalLockGuard() {
    if (data) GlobalUnlock(block);
}

GlobalBlock::~GlobalBlock() {
    if (block) GlobalFree(block);
}

GlobalBlock& GlobalBlock::operator=(GlobalBlock&& other) noexcept {
    if (this != &other) {
        if (block) GlobalFree(block);
        block = other.Release();
    }
    return *this;
}

HGLOBAL GlobalBlock::Release() {
    HGLOBAL given = block;
    block = nullptr;
    return given;
}

GlobalBlock MakeTextBlock(const char* text, std::size_t length) {
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, length + 1));
    if (!block) return block;
    GlobalLockGuard lock(block.Get());
    if (!lock.IsLocked()) return GlobalBlock();
    if (length > 0) std::memcpy(lock.Data(), text, length);
    return block;
}

char* ReadOpenClipboardText() {
    HANDLE data = GetClipboardData(CF_TEXT);
    if (!data) return nullptr;
    GlobalLockGuard lock(data);
    if (!lock.IsLocked()) return nullptr;
    // A block written by another program need not hold a NUL: never read past its end.
    const char* bytes = static_cast<const char*>(lock.Data());
    const void* end = std::memchr(bytes, '\0', lock.Size());
    const std::size_t length = end ? static_cast<std::size_t>(static_cast<const char*>(end) - bytes) : lock.Size();
    if (length == 0) return nullptr;
    char* text = static_cast<char*>(AllocateMemory(BlockCount(length + 1)));
    std::memcpy(text, bytes, length);
    text[length] = '\0';
    return text;
}

std::vector<ListedFormat> ListOpenClipboardFormats() {
    std::vector<ListedFormat> listed;
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
        char name[256];
        const int length = format >= 0xC000 ? GetClipboardFormatNameA(format, name, sizeof name) : 0;
        listed.push_back({format, std::string(name, static_cast<std::size_t>(length > 0 ? length : 0)), {}});
    }
    return listed;
}

bool ReadOpenClipboardBytes(UINT format, std::vector<unsigned char>& bytes) {
    HANDLE data = GetClipboardData(format);
    if (!data) return false;
    GlobalLockGuard lock(data);
    if (!lock.IsLocked()) return false;
    const auto* start = static_cast<const unsigned char*>(lock.Data());
    bytes.assign(start, start + lock.Size());
    return true;
}

bool PutOpenClipboardBytes(UINT format, const unsigned char* bytes, std::size_t size) {
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!block) return false;
    if (size > 0) {
        GlobalLockGuard lock(block.Get());
        if (!lock.IsLocked()) return false;
        std::memcpy(lock.Data(), bytes, size);
    }
    if (!SetClipboardData(format, block.Get())) return false;
    block.Release();
    return true;
}

bool ReplaceOpenClipboardText(const char* text) {
    EmptyClipboard();
    const std::size_t length = text ? std::strlen(text) : 0;
    GlobalBlock block = MakeTextBlock(text, length);
    if (!block) return false;
    if (!SetClipboardData(CF_TEXT, block.Get())) return false;
    block.Release();
    return true;
}

} // namespace runtime
