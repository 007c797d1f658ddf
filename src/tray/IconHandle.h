// Owns an icon handle and destroys it when it goes.
#pragma once

#include <windows.h>

namespace runtime {

class IconHandle {
public:
    IconHandle() = default;
    explicit IconHandle(HICON icon) : icon(icon) {}
    ~IconHandle() { Reset(); }
    IconHandle(const IconHandle&) = delete;
    IconHandle& operator=(const IconHandle&) = delete;
    IconHandle(IconHandle&& other) noexcept : icon(other.Release()) {}
    IconHandle& operator=(IconHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    HICON Get() const { return icon; }
    explicit operator bool() const { return icon != nullptr; }
    HICON Release() {
        HICON released = icon;
        icon = nullptr;
        return released;
    }
    void Reset(HICON replacement = nullptr) {
        if (icon && icon != replacement) DestroyIcon(icon);
        icon = replacement;
    }

private:
    HICON icon = nullptr;
};

} // namespace runtime
