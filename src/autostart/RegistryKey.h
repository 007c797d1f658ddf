// Owns an open registry key and closes it when it goes out of scope.
#pragma once

#include <windows.h>

namespace runtime {

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() { Close(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Returns the Win32 error code; the key is open exactly when it is ERROR_SUCCESS.
    LONG Open(HKEY root, const char* keyPath, REGSAM access) {
        Close();
        return RegOpenKeyExA(root, keyPath, 0, access, &key);
    }
    // Opens the key in a registry view (KEY_WOW64_32KEY or KEY_WOW64_64KEY), creating every missing
    // key along the path.
    LONG Create(HKEY root, const char* keyPath, REGSAM view) {
        Close();
        return RegCreateKeyExA(root, keyPath, 0, nullptr, 0, MAXIMUM_ALLOWED | view, nullptr, &key, nullptr);
    }

    HKEY Get() const { return key; }

private:
    void Close() {
        // A predefined root (which an empty path may hand back) stays open.
        if (key != nullptr && !IsPredefined(key)) RegCloseKey(key);
        key = nullptr;
    }
    static bool IsPredefined(HKEY candidate) {
        const auto value = reinterpret_cast<ULONG_PTR>(candidate);
        return value >= reinterpret_cast<ULONG_PTR>(HKEY_CLASSES_ROOT) &&
               value <= reinterpret_cast<ULONG_PTR>(HKEY_CURRENT_USER_LOCAL_SETTINGS);
    }

    HKEY key = nullptr;
};

} // namespace runtime
