#include "app/FatalError.h"

#include <windows.h>

#include <cstring>

#include "app/RuntimeApp.h"
#include "ui/WindowRegistry.h"

namespace runtime {
namespace {

// Appends to a fixed buffer, always ended by a NUL. Once something does not fit, the text ends
// there: a double-byte character is never cut in half, and nothing later is appended.
class BoundedText {
public:
    explicit BoundedText(FatalReportText& report) : buffer(report.text) { buffer[0] = '\0'; }

    BoundedText& operator<<(const char* text) {
        while (!cut && text && *text) {
            const std::size_t width = IsDBCSLeadByte(static_cast<BYTE>(*text)) && text[1] != '\0' ? 2 : 1;
            if (length + width >= FatalReportText::kCapacity) {
                cut = true;
                break;
            }
            std::memcpy(buffer + length, text, width);
            length += width;
            text += width;
        }
        buffer[length] = '\0';
        return *this;
    }

private:
    char* buffer;
    std::size_t length = 0;
    bool cut = false;
};

void AppendLocation(BoundedText& out, std::uint32_t windowId, std::uint32_t elementId) {
    char numbers[64];
    wsprintfA(numbers, "\r\n%d, %d", static_cast<int>(windowId), static_cast<int>(elementId));
    out << numbers;
    if (windowId != 0 && (windowId & kIdKindMask) == kIdKindWindow) {
        LoadedWindow* window = WindowRegistry::Get().Find(windowId);
        if (!window || window->elements.empty()) {
            out << "\r\n未找到所指定的窗口";
        } else {
            out << "\r\n\"" << window->elements.front().description.tag.c_str() << "\"";
            const LoadedElement* element = WindowRegistry::FindElementOrWindow(*window, elementId);
            const std::uint32_t id = element ? element->description.elementId : 0;
            const bool menuItem = (id & kIdKindMask) == kIdKindElement && (id & kIdClassMask) == kIdClassMenuItem;
            if (element && !menuItem)
                out << "\r\n\"" << element->description.tag.c_str() << "\"";
            else
                out << "\r\n未找到所指定的窗口组件";
        }
    }
    out << "\r\n";
}

} // namespace

void ComposeFatalReport(FatalReportText& report, const char* message, std::int32_t errorCode, std::uint32_t windowId,
                        std::uint32_t elementId) noexcept {
    BoundedText out(report);
    out << "运行时出错!\r\n";
    if (errorCode != 0) {
        char code[32];
        wsprintfA(code, "%d", static_cast<int>(errorCode));
        out << "\r\n错误代码：" << code << "\r\n";
    }
    if (message && *message) out << "\r\n错误信息：" << message << "\r\n";
    AppendLocation(out, windowId, elementId);
}

void ReportFatalError(const char* message, std::int32_t errorCode, std::uint32_t windowId,
                      std::uint32_t elementId) noexcept {
    RuntimeApp& app = RuntimeApp::Get();
    app.suppressionCount += 1; // never lowered again: no handler runs behind the box
    FatalReportText report;
    ComposeFatalReport(report, message, errorCode, windowId, elementId);
    MessageBoxA(nullptr, report.text, "错误", MB_ICONERROR);
    app.DropExitRoutines();
    app.EndProgram(static_cast<UINT>(-1));
}

} // namespace runtime
