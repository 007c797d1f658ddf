#include "tray/TrayIconSource.h"

#include <cstdint>
#include <new>

#include "tray/IconFile.h"
#include "tray/IconFromBytes.h"

namespace runtime {
namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle(handle) {}
    ~FileHandle() {
        if (IsOpen()) CloseHandle(handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsOpen() const { return handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle; }

private:
    HANDLE handle;
};

} // namespace

FileBytes ReadWholeFile(const char* fileName) {
    if (!fileName || fileName[0] == '\0') return {};
    const FileHandle file(
        CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) return {};
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 || size.QuadPart > INT32_MAX) return {};

    const auto length = static_cast<std::int32_t>(size.QuadPart);
    FileBytes content;
    content.bytes.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(length)]);
    if (!content.bytes) return {};
    std::int32_t done = 0;
    while (done < length) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), content.bytes.get() + done, static_cast<DWORD>(length - done), &read, nullptr) ||
            read == 0) {
            return {};
        }
        done += static_cast<std::int32_t>(read);
    }
    content.length = length;
    return content;
}

bool SetTrayIconFromBytes(TrayIcon& tray, const std::uint8_t* bytes, std::int32_t length, const char* tip) {
    HICON icon = nullptr;
    if (bytes && length > 0) {
        icon = IconFromBytes(bytes, length, kPreferSmallImage);
        if (!icon) icon = IconFromBytes(bytes, length, kPreferLargeImage);
    }
    return tray.Update(icon, tip);
}

bool SetTrayIconFromFile(TrayIcon& tray, const char* fileName, const char* tip) {
    const FileBytes content = ReadWholeFile(fileName);
    return SetTrayIconFromBytes(tray, content.bytes.get(), content.length, tip);
}

} // namespace runtime
