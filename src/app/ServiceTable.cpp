#include <windows.h>

#include <cmath>
#include <cstring>

#include "app/FatalError.h"
#include "app/RuntimeApp.h"
#include "app/RuntimeServices.h"
#include "ui/EventDelivery.h"
#include "ui/FormWindow.h"
#include "ui/WindowRegistry.h"

namespace runtime {
namespace {

// The element of a loaded window (0 for the window itself); null when either is not there.
LoadedElement* FindLoadedElement(std::uint32_t windowId, std::uint32_t elementId, LoadedWindow*& window) {
    window = WindowRegistry::Get().Find(windowId);
    if (!window || !window->window) return nullptr;
    return WindowRegistry::FindElementOrWindow(*window, elementId);
}

HWND ElementHandle(std::uint32_t windowId, std::uint32_t elementId) {
    LoadedWindow* window = nullptr;
    const LoadedElement* element = FindLoadedElement(windowId, elementId, window);
    return element ? WindowRegistry::LiveHandle(*window, *element) : nullptr;
}

[[noreturn]] void ReportMissingElement(std::uint32_t windowId, std::uint32_t elementId) {
    ReportFatalError("指定窗口或窗口组件不存在或尚未载入", 0, windowId, elementId);
}

} // namespace

bool ConvertToInt32(ArgumentType type, const void* value, std::int32_t& result) {
    switch (type) {
    case ArgumentType::Byte:
        result = *static_cast<const std::uint8_t*>(value);
        return true;
    case ArgumentType::Int16:
        result = *static_cast<const std::int16_t*>(value);
        return true;
    case ArgumentType::Int32:
        result = *static_cast<const std::int32_t*>(value);
        return true;
    case ArgumentType::Int64:
        result = static_cast<std::int32_t>(static_cast<std::uint32_t>(*static_cast<const std::int64_t*>(value)));
        return true;
    case ArgumentType::Float:
    case ArgumentType::Double: {
        const double number =
            type == ArgumentType::Float ? *static_cast<const float*>(value) : *static_cast<const double*>(value);
        // Out-of-range values (and NaN) have no integer: keep the conversion defined.
        const double truncated = std::trunc(number);
        std::int64_t whole = 0;
        if (truncated >= -9.2e18 && truncated <= 9.2e18) whole = static_cast<std::int64_t>(truncated);
        result = static_cast<std::int32_t>(static_cast<std::uint32_t>(whole));
        return true;
    }
    default:
        return false;
    }
}

std::intptr_t RuntimeServiceCallback(std::int32_t service, std::intptr_t a, std::intptr_t b, std::intptr_t c) {
    RuntimeApp& app = RuntimeApp::Get();
    const auto windowId = static_cast<std::uint32_t>(a);
    const auto elementId = static_cast<std::uint32_t>(b);
    switch (service) {
    case service::kTrayIcon: {
        LoadedWindow* window = nullptr;
        if (!FindLoadedElement(windowId, elementId, window)) ReportMissingElement(windowId, elementId);
        return reinterpret_cast<std::intptr_t>(&window->window->Tray());
    }
    case service::kWindowHandle: {
        HWND handle = ElementHandle(windowId, elementId);
        if (!handle) ReportMissingElement(windowId, elementId);
        return reinterpret_cast<std::intptr_t>(handle);
    }
    case service::kElementHandle:
        return reinterpret_cast<std::intptr_t>(ElementHandle(windowId, elementId));
    case service::kRunDirectory:
        return reinterpret_cast<std::intptr_t>(app.ProgramFolder().c_str());
    case service::kExecutableName:
        return reinterpret_cast<std::intptr_t>(app.ProgramFileName().c_str());
    case service::kAllocate:
        return reinterpret_cast<std::intptr_t>(AllocateMemory(a < 0 ? -1 : BlockCount(static_cast<std::uint64_t>(a))));
    case service::kRelease:
        ReleaseMemory(reinterpret_cast<void*>(a));
        return 0;
    case service::kToNumber: {
        std::int32_t number = 0;
        if (!ConvertToInt32(static_cast<ArgumentType>(a), reinterpret_cast<const void*>(b), number))
            ReportFatalError("欲转换数据类型不是数值", 0, 0, 0);
        return number;
    }
    case service::kFireEvent:
        return FireEvent(*reinterpret_cast<EventRequest*>(a)) ? 1 : 0;
    case service::kFatalError:
        ReportFatalError(reinterpret_cast<const char*>(a), 0, static_cast<std::uint32_t>(b),
                         static_cast<std::uint32_t>(c));
        return 0; // not reached: the report ends the process
    case service::kHiddenOwner:
        return reinterpret_cast<std::intptr_t>(app.HiddenOwner());
    default:
        return 0;
    }
}

std::intptr_t ServiceTable(std::int32_t index, std::intptr_t argument) {
    RuntimeApp& app = RuntimeApp::Get();
    switch (index) {
    case kServiceInitialiseRuntime:
        if (app.Program()) app.Initialise(*app.Program());
        return 0;
    case kServiceRegisterExitRoutine:
        app.RegisterExitRoutine(reinterpret_cast<ExitRoutine>(argument));
        return 0;
    default:
        return 0;
    }
}

} // namespace runtime
