#include <windows.h>

#include "app/FatalError.h"
#include "runtime/Runtime.h"
#include "ui/Controls.h"
#include "ui/WindowRegistry.h"

namespace runtime {
namespace {

struct ElementAccess {
    LoadedWindow* window;
    LoadedElement* element;
};

ElementAccess Access(std::uint32_t windowId, std::uint32_t elementId) {
    LoadedWindow* window = WindowRegistry::Get().Find(windowId);
    if (!window) ReportFatalError("未载入欲访问窗口组件所在的窗口", 0, windowId, elementId);
    LoadedElement* element = WindowRegistry::FindElement(*window, elementId);
    if (!element) ReportFatalError("指定窗口或窗口组件不存在或尚未载入", 0, windowId, elementId);
    return {window, element};
}

HWND LiveHandle(const ElementAccess& access) {
    return WindowRegistry::LiveHandle(*access.window, *access.element);
}

CheckBoxControl* LiveCheckBox(const ElementAccess& access, const char* missingMessage, std::uint32_t windowId,
                              std::uint32_t elementId) {
    if (!access.window->window || !access.element->control) ReportFatalError(missingMessage, 0, windowId, elementId);
    return access.element->control->AsCheckBox();
}

} // namespace

bool GetVisible(std::uint32_t windowId, std::uint32_t elementId) {
    const ElementAccess access = Access(windowId, elementId);
    if (HWND handle = LiveHandle(access)) return IsWindowVisible(handle) != FALSE;
    return (access.element->description.flags & kFlagVisible) != 0;
}

void SetVisible(std::uint32_t windowId, std::uint32_t elementId, bool visible) {
    const ElementAccess access = Access(windowId, elementId);
    std::uint32_t& flags = access.element->description.flags;
    flags = visible ? (flags | kFlagVisible) : (flags & ~kFlagVisible);
    if (HWND handle = LiveHandle(access)) ShowWindow(handle, visible ? SW_SHOW : SW_HIDE);
}

bool GetChecked(std::uint32_t windowId, std::uint32_t elementId) {
    const ElementAccess access = Access(windowId, elementId);
    CheckBoxControl* box = LiveCheckBox(access, "读取组件属性时发现指定窗口尚未载入", windowId, elementId);
    return box && box->ReadChecked();
}

void SetChecked(std::uint32_t windowId, std::uint32_t elementId, bool checked) {
    const ElementAccess access = Access(windowId, elementId);
    CheckBoxControl* box = LiveCheckBox(access, "修改组件属性时发现指定窗口尚未载入", windowId, elementId);
    if (box) box->WriteChecked(checked);
}

WindowHandle GetWindowHandle(std::uint32_t windowId, std::uint32_t elementId) {
    LoadedWindow* window = WindowRegistry::Get().Find(windowId);
    LoadedElement* element = window ? WindowRegistry::FindElement(*window, elementId) : nullptr;
    HWND handle = element ? LiveHandle({window, element}) : nullptr;
    if (!handle) ReportFatalError("指定窗口或窗口组件不存在或尚未载入", 0, windowId, elementId);
    return handle;
}

void BringToFront(std::uint32_t windowId, std::uint32_t elementId) {
    HWND window = GetAncestor(GetWindowHandle(windowId, elementId), GA_ROOT);
    // Showing a minimised window leaves it minimised; only a restore brings it back to its size.
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
}

} // namespace runtime
