#include <windows.h>

#include <cstring>

#include "autostart/RegistryKey.h"
#include "autostart/RegistryPath.h"
#include "runtime/RegistryCommands.h"
#include "runtime/Runtime.h"

namespace runtime {
namespace {

// Every command works in the 32-bit registry view: the 32-bit program sees that view on 64-bit
// Windows, so a 64-bit build reads and writes the same values (32-bit Windows ignores the flag).
constexpr REGSAM kRegistryView = KEY_WOW64_32KEY;

HKEY RootKey(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::ClassesRoot:
        return HKEY_CLASSES_ROOT;
    case RegistryRoot::CurrentConfig:
        return HKEY_CURRENT_CONFIG;
    case RegistryRoot::CurrentUser:
        return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    case RegistryRoot::Users:
        return HKEY_USERS;
    }
    return HKEY_CURRENT_USER;
}

// The split gives views into the caller's path; the key path needs its own NUL for the system.
class KeyPathText {
public:
    explicit KeyPathText(std::string_view keyPath)
        : text(static_cast<char*>(AllocateMemory(BlockCount(keyPath.size() + 1)))) {
        std::memcpy(text, keyPath.data(), keyPath.size());
        text[keyPath.size()] = '\0';
    }
    ~KeyPathText() { ReleaseMemory(text); }
    KeyPathText(const KeyPathText&) = delete;
    KeyPathText& operator=(const KeyPathText&) = delete;

    const char* Get() const { return text; }

private:
    char* text;
};

// The value name is the tail of the caller's path, so it already ends in the path's NUL.
struct ResolvedPath {
    explicit ResolvedPath(std::int32_t rootNumber, const char* path)
        : parts(SplitRegistryPath(rootNumber, path)), root(RootKey(parts.root)), keyPath(parts.keyPath) {}

    RegistryPathParts parts;
    HKEY root;
    KeyPathText keyPath;
    const char* ValueName() const { return parts.valueName.data(); }
};

bool Report(LONG status, std::uint32_t* error) {
    if (error != nullptr) *error = static_cast<std::uint32_t>(status);
    return status == ERROR_SUCCESS;
}

LONG StoreValue(HKEY key, const char* valueName, const RegistryValue& value) {
    switch (value.kind) {
    case RegistryValueKind::Text: {
        const char* text = value.text != nullptr ? value.text : "";
        return RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                              static_cast<DWORD>(std::strlen(text)) + 1);
    }
    case RegistryValueKind::Number: {
        const DWORD number = value.number;
        return RegSetValueExA(key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
    }
    case RegistryValueKind::Bytes:
        return RegSetValueExA(key, valueName, 0, REG_BINARY, value.bytes, value.byteCount);
    }
    return ERROR_INVALID_PARAMETER;
}

} // namespace

bool WriteRegistryValue(std::int32_t rootNumber, const char* path, const RegistryValue& value, std::uint32_t* error) {
    const ResolvedPath target(rootNumber, path);
    RegistryKey key;
    if (key.Open(target.root, target.keyPath.Get(), KEY_WRITE | kRegistryView) != ERROR_SUCCESS) {
        const LONG created = key.Create(target.root, target.keyPath.Get(), kRegistryView);
        if (created != ERROR_SUCCESS) return Report(created, error);
    }
    return Report(StoreValue(key.Get(), target.ValueName(), value), error);
}

bool DeleteRegistryItem(std::int32_t rootNumber, const char* path, std::uint32_t* error) {
    const ResolvedPath target(rootNumber, path);
    LONG valueStatus;
    {
        RegistryKey key;
        valueStatus = key.Open(target.root, target.keyPath.Get(), KEY_WRITE | kRegistryView);
        if (valueStatus == ERROR_SUCCESS) valueStatus = RegDeleteValueA(key.Get(), target.ValueName());
    }
    if (valueStatus == ERROR_SUCCESS) return Report(valueStatus, error);

    // An empty path names the root's default value; taken as a key name it would name the root
    // key itself, which is never ours to delete.
    if (path == nullptr || *path == '\0') return Report(valueStatus, error);

    const LONG keyStatus = RegDeleteKeyExA(target.root, path, kRegistryView, 0);
    if (keyStatus == ERROR_SUCCESS) return Report(keyStatus, error);
    // A value deletion that was refused says more about the failure than a key that never existed.
    return Report(valueStatus == ERROR_FILE_NOT_FOUND ? keyStatus : valueStatus, error);
}

bool RegistryValueExists(std::int32_t rootNumber, const char* path, std::uint32_t* error) {
    const ResolvedPath target(rootNumber, path);
    RegistryKey key;
    const LONG opened = key.Open(target.root, target.keyPath.Get(), KEY_READ | kRegistryView);
    if (opened != ERROR_SUCCESS) return Report(opened, error);
    DWORD type = 0;
    DWORD size = 0;
    return Report(RegQueryValueExA(key.Get(), target.ValueName(), nullptr, &type, nullptr, &size), error);
}

Text ReadRegistryText(std::int32_t rootNumber, const char* path) {
    const ResolvedPath target(rootNumber, path);
    RegistryKey key;
    if (key.Open(target.root, target.keyPath.Get(), KEY_QUERY_VALUE | kRegistryView) != ERROR_SUCCESS) return nullptr;
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExA(key.Get(), target.ValueName(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0) {
        return nullptr;
    }
    // One more byte than stored: data written without its NUL still ends in one.
    auto* text = static_cast<Text>(AllocateMemory(BlockCount(static_cast<std::uint64_t>(size) + 1)));
    if (RegQueryValueExA(key.Get(), target.ValueName(), nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
        ERROR_SUCCESS) {
        ReleaseMemory(text);
        return nullptr;
    }
    text[size] = '\0';
    return text;
}

} // namespace runtime
