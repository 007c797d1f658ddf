// The core library's standard message box.
#pragma once

#include <cstdint>

#include "runtime/Runtime.h"

namespace runtime {

// Who owns a message box: nobody, an element of a loaded window, or a raw window handle.
class MessageBoxOwner {
public:
    MessageBoxOwner() = default;
    static MessageBoxOwner Element(std::uint32_t windowId, std::uint32_t elementId) {
        MessageBoxOwner owner;
        owner.kind = Kind::Element;
        owner.windowId = windowId;
        owner.elementId = elementId;
        return owner;
    }
    static MessageBoxOwner Handle(WindowHandle handle) {
        MessageBoxOwner owner;
        owner.kind = Kind::Handle;
        owner.handle = handle;
        return owner;
    }

    // An element that is not loaded resolves to no owner rather than to a fatal report.
    WindowHandle Resolve() const;

private:
    enum class Kind { None, Element, Handle };
    Kind kind = Kind::None;
    std::uint32_t windowId = 0;
    std::uint32_t elementId = 0;
    WindowHandle handle = nullptr;
};

// The button index ShowMessageBox answers, by the button the user chose.
inline constexpr std::int32_t kButtonOk = 0;
inline constexpr std::int32_t kButtonCancel = 1;
inline constexpr std::int32_t kButtonAbort = 2;
inline constexpr std::int32_t kButtonRetry = 3;
inline constexpr std::int32_t kButtonIgnore = 4;
inline constexpr std::int32_t kButtonYes = 5;
inline constexpr std::int32_t kButtonNo = 6;

// The caption defaults to "信息："; a null message shows an empty one. MB_TASKMODAL is added
// unless the style asks for MB_SYSTEMMODAL, so a box without owner disables the thread's windows
// while it is open. Returns when the user dismisses the box; a failed box reads as kButtonOk.
std::int32_t ShowMessageBox(const char* message, std::int32_t style, const char* caption = nullptr,
                            MessageBoxOwner owner = {});

} // namespace runtime
