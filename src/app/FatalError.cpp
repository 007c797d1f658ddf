#include "app/FatalError.h"

#include <windows.h>

#include <cstdio>

#include "app/RuntimeApp.h"
#include "ui/WindowRegistry.h"

namespace runtime {
namespace {

std::string Quoted(const std::string& text) {
    return "\r\n\"" + text + "\"";
}

std::string Location(std::uint32_t windowId, std::uint32_t elementId) {
    char numbers[64];
    wsprintfA(numbers, "\r\n%d, %d", static_cast<int>(windowId), static_cast<int>(elementId));
    std::string location = numbers;
    if (windowId != 0 && (windowId & kIdKindMask) == kIdKindWindow) {
        LoadedWindow* window = WindowRegistry::Get().Find(windowId);
        if (!window || window->elements.empty()) {
            location += "\r\n未找到所指定的窗口";
        } else {
            location += Quoted(window->elements.front().description.tag);
            const LoadedElement* element =
                elementId == 0 ? &window->elements.front() : WindowRegistry::FindElement(*window, elementId);
            const std::uint32_t id = element ? element->description.elementId : 0;
            const bool menuItem = (id & kIdKindMask) == kIdKindElement && (id & kIdClassMask) == kIdClassMenuItem;
            if (element && !menuItem)
                location += Quoted(element->description.tag);
            else
                location += "\r\n未找到所指定的窗口组件";
        }
    }
    return location + "\r\n";
}

} // namespace

std::string ComposeFatalReport(const char* message, std::int32_t errorCode, std::uint32_t windowId,
                               std::uint32_t elementId) {
    std::string text = "运行时出错!\r\n";
    if (errorCode != 0) {
        char code[32];
        wsprintfA(code, "%d", static_cast<int>(errorCode));
        text += "\r\n错误代码：";
        text += code;
        text += "\r\n";
    }
    if (message && *message) {
        text += "\r\n错误信息：";
        text += message;
        text += "\r\n";
    }
    return text + Location(windowId, elementId);
}

void ReportFatalError(const char* message, std::int32_t errorCode, std::uint32_t windowId, std::uint32_t elementId) {
    RuntimeApp& app = RuntimeApp::Get();
    app.suppressionCount += 1; // never lowered again: no handler runs behind the box
    const std::string text = ComposeFatalReport(message, errorCode, windowId, elementId);
    MessageBoxA(nullptr, text.c_str(), "错误", MB_ICONERROR);
    app.DropExitRoutines();
    app.EndProgram(static_cast<UINT>(-1));
}

} // namespace runtime
