#include "ui/WindowRegistry.h"

#include <windows.h>

#include "ui/DescriptionReader.h"
#include "ui/FormWindow.h"

namespace runtime {

LoadedWindow::LoadedWindow() = default;
LoadedWindow::~LoadedWindow() = default;
LoadedWindow::LoadedWindow(LoadedWindow&&) noexcept = default;
LoadedWindow& LoadedWindow::operator=(LoadedWindow&&) noexcept = default;

WindowRegistry& WindowRegistry::Get() {
    static WindowRegistry registry;
    return registry;
}

bool WindowRegistry::ReadBlock(const std::uint8_t* block, std::size_t size, const ProgramDescription& program) {
    std::vector<WindowDescription> descriptions;
    DescriptionReadError error;
    if (!block || !ReadDescriptionBlock(block, size, descriptions, error)) return false;

    const auto* codeBase = static_cast<const std::uint8_t*>(program.codeBase);
    std::vector<LoadedWindow> read;
    for (WindowDescription& description : descriptions) {
        LoadedWindow window;
        window.windowId = description.windowId;
        window.loadable = WindowIsLoadable(description);
        for (ElementDescription& element : description.elements) {
            LoadedElement loaded;
            for (const EventBinding& binding : element.bindings) {
                if (binding.handlerReference == kNoHandler) {
                    loaded.routines.push_back(nullptr);
                    continue;
                }
                // A reference must name an entry of the routine table, never an arbitrary address.
                const auto offset = static_cast<std::uint32_t>(binding.handlerReference);
                if (!codeBase || binding.handlerReference < 0 || offset % sizeof(RoutineEntry) != 0 ||
                    offset >= program.routineTableSize)
                    return false;
                loaded.routines.push_back(reinterpret_cast<const RoutineEntry*>(codeBase + offset));
            }
            loaded.description = std::move(element);
            window.elements.push_back(std::move(loaded));
        }
        read.push_back(std::move(window));
    }
    windows = std::move(read);
    return true;
}

void WindowRegistry::Clear() {
    // The descriptions go; the windows are gone already or go with the process, so their
    // objects are not torn down from under a message being handled.
    for (LoadedWindow& window : windows)
        static_cast<void>(window.window.release());
    windows.clear();
}

LoadedWindow* WindowRegistry::Find(std::uint32_t windowId) {
    for (LoadedWindow& window : windows) {
        if (window.windowId == windowId) return &window;
    }
    return nullptr;
}

LoadedElement* WindowRegistry::FindElement(LoadedWindow& window, std::uint32_t elementId) {
    for (LoadedElement& element : window.elements) {
        if (element.description.elementId == elementId) return &element;
    }
    return nullptr;
}

const LoadedElement& WindowRegistry::BindingsOwner(LoadedWindow& window, const LoadedElement& element) {
    const LoadedElement* owner = &element;
    // Bounded by the element count, so a loop of links cannot hang event delivery.
    for (std::size_t step = 0; step < window.elements.size() && owner->description.sharedBindingsLink != 0; ++step) {
        const LoadedElement* next = FindElement(window, owner->description.sharedBindingsLink);
        if (!next || next->description.kind != owner->description.kind) break;
        owner = next;
    }
    return *owner;
}

bool WindowRegistry::AnyWindowAlive() const {
    for (const LoadedWindow& window : windows) {
        if (window.window && IsWindow(window.window->Handle())) return true;
    }
    return false;
}

} // namespace runtime
