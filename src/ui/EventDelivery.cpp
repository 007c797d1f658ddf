#include "ui/EventDelivery.h"

#include "app/FatalError.h"
#include "app/RuntimeApp.h"
#include "ui/WindowRegistry.h"

namespace runtime {

bool FireEvent(EventRequest& request) {
    request.resultGiven = false;
    if (RuntimeApp::Get().suppressionCount > 0) return false;

    WindowRegistry& registry = WindowRegistry::Get();
    LoadedWindow* window = registry.Find(request.windowId);
    if (!window) ReportFatalError("未找到引发事件的窗口", 0, request.windowId, 0);
    LoadedElement* element = WindowRegistry::FindElement(*window, request.elementId);
    if (!element) ReportFatalError("未找到引发事件的窗口组件", 0, request.windowId, request.elementId);
    switch (element->description.kind) {
    case ElementKind::Window:
    case ElementKind::Label:
    case ElementKind::Button:
    case ElementKind::CheckBox:
        break;
    default:
        ReportFatalError("引发事件的窗口组件无效", 0, request.windowId, request.elementId);
    }

    const LoadedElement& owner = WindowRegistry::BindingsOwner(*window, *element);
    const RoutineEntry* routine = nullptr;
    bool bound = false;
    for (std::size_t i = 0; i < owner.description.bindings.size(); ++i) {
        if (owner.description.bindings[i].event != request.event) continue;
        routine = owner.routines[i]; // the first binding of an event wins
        bound = true;
        break;
    }
    if (!bound || !routine) return false;

    registry.eventSourceWindow = request.windowId;
    registry.eventSourceElement = request.elementId;
    std::int32_t arguments[5] = {0, 0, 0, 0, 0};
    for (std::int32_t i = 0; i < request.argumentCount && i < 5; ++i)
        arguments[i] = request.arguments[i];
    const HandlerOutcome outcome = routine->invoke(arguments);
    if (outcome.resultGiven) {
        request.resultGiven = true;
        request.result = outcome.result;
    }
    return true;
}

std::int32_t FireEventFor(std::uint32_t windowId, std::uint32_t elementId, std::int32_t event, std::int32_t fallback,
                          std::int32_t argumentCount, std::int32_t first, std::int32_t second) {
    EventRequest request;
    request.windowId = windowId;
    request.elementId = elementId;
    request.event = event;
    request.argumentCount = argumentCount;
    request.arguments[0] = first;
    request.arguments[1] = second;
    FireEvent(request);
    return request.resultGiven ? request.result : fallback;
}

} // namespace runtime
