// The runtime's entry points for the program layer: start-up services, window loading, the
// message loop, memory and element properties. Every text a runtime operation returns is a
// memory block owned by the caller and released with ReleaseMemory.
#pragma once

#include <cstdint>

struct HWND__;

namespace runtime {

using WindowHandle = HWND__*;
using Text = char*; // NUL-terminated code page 936 bytes; null is the empty text

// Service table indexes used by the program's start routine.
inline constexpr std::int32_t kServiceRegisterExitRoutine = 3;
inline constexpr std::int32_t kServiceInitialiseRuntime = 6;
using ExitRoutine = void (*)();

// ServiceTable(kServiceInitialiseRuntime) or ServiceTable(kServiceRegisterExitRoutine, routine).
std::intptr_t ServiceTable(std::int32_t index, std::intptr_t argument = 0);

void LoadWindow(std::uint32_t windowId);
void RunMessageLoop();

// Never returns null: a failure is the fatal report.
void* AllocateMemory(std::int32_t byteCount);
// The count to ask for a block of `bytes` bytes. A size beyond any count (only a 64-bit process
// meets one) gives -1, which AllocateMemory reports as impossible, never a shortened count.
constexpr std::int32_t BlockCount(std::uint64_t bytes) {
    return bytes <= static_cast<std::uint64_t>(INT32_MAX) ? static_cast<std::int32_t>(bytes) : -1;
}
void* ReallocateMemory(void* block, std::int32_t byteCount);
// Ignores null and any address inside the program's constant block.
void ReleaseMemory(void* block);

// Element properties, addressed by window identifier and element identifier.
bool GetVisible(std::uint32_t windowId, std::uint32_t elementId);
void SetVisible(std::uint32_t windowId, std::uint32_t elementId, bool visible);
bool GetChecked(std::uint32_t windowId, std::uint32_t elementId);
void SetChecked(std::uint32_t windowId, std::uint32_t elementId, bool checked);
WindowHandle GetWindowHandle(std::uint32_t windowId, std::uint32_t elementId);

// Un-minimises the window that holds the element and makes it the foreground window. The
// system lets a process take the foreground only while it answers the user's own input (a click
// or key on its tray icon, say); otherwise the window's taskbar button flashes instead.
void BringToFront(std::uint32_t windowId, std::uint32_t elementId);

} // namespace runtime
