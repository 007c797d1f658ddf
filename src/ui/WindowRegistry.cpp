#include "ui/WindowRegistry.h"

#include <windows.h>

#include <algorithm>

#include "app/RuntimeApp.h"
#include "ui/DescriptionReader.h"
#include "ui/FormWindow.h"

namespace runtime {

LoadedWindow::LoadedWindow() = default;
LoadedWindow::~LoadedWindow() = default;

WindowRegistry::WindowRegistry() = default;
WindowRegistry::~WindowRegistry() = default;

WindowRegistry& WindowRegistry::Get() {
    return RuntimeApp::Get().Registry();
}

bool WindowRegistry::ReadBlock(const std::uint8_t* block, std::size_t size, const ProgramDescription& program) {
    std::vector<WindowDescription> descriptions;
    DescriptionReadError error;
    if (!block || !ReadDescriptionBlock(block, size, descriptions, error)) return false;

    const auto* codeBase = static_cast<const std::uint8_t*>(program.codeBase);
    std::vector<std::unique_ptr<LoadedWindow>> read;
    for (WindowDescription& description : descriptions) {
        auto window = std::make_unique<LoadedWindow>();
        window->windowId = description.windowId;
        window->loadable = WindowIsLoadable(description);
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
            window->elements.push_back(std::move(loaded));
        }
        read.push_back(std::move(window));
    }
    Clear();
    windows = std::move(read);
    return true;
}

void WindowRegistry::Clear() {
    bool inMessage = !retiring.empty(); // an object retires only for as long as a message is in hand
    for (const std::unique_ptr<LoadedWindow>& window : windows) {
        if (!window->window) continue;
        window->window->Detach();
        inMessage = inMessage || window->window->InMessage();
    }
    if (inMessage) std::move(windows.begin(), windows.end(), std::back_inserter(kept));
    windows.clear();
}

LoadedWindow* WindowRegistry::Find(std::uint32_t windowId) {
    for (const std::unique_ptr<LoadedWindow>& window : windows) {
        if (window->windowId == windowId) return window.get();
    }
    return nullptr;
}

LoadedElement* WindowRegistry::FindElement(LoadedWindow& window, std::uint32_t elementId) {
    for (LoadedElement& element : window.elements) {
        if (element.description.elementId == elementId) return &element;
    }
    return nullptr;
}

LoadedElement* WindowRegistry::FindElementOrWindow(LoadedWindow& window, std::uint32_t elementId) {
    if (elementId == 0) return window.elements.empty() ? nullptr : &window.elements.front();
    return FindElement(window, elementId);
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

WindowHandle WindowRegistry::LiveHandle(const LoadedWindow& window, const LoadedElement& element) {
    if (!window.window) return nullptr;
    if (element.description.kind == ElementKind::Window) return window.window->Handle();
    return element.control ? element.control->Handle() : nullptr;
}

bool WindowRegistry::AnyWindowAlive() const {
    return std::any_of(windows.begin(), windows.end(), [](const std::unique_ptr<LoadedWindow>& window) {
        return window->window && IsWindow(window->window->Handle());
    });
}

FormWindow& WindowRegistry::CreateWindowObject(LoadedWindow& window) {
    Retire(window); // one whose window went without a word from it
    window.window = std::make_unique<FormWindow>(window);
    return *window.window;
}

void WindowRegistry::Retire(LoadedWindow& window) {
    if (!window.window) return;
    for (LoadedElement& element : window.elements)
        element.control = nullptr;
    window.loaded = false;
    window.window->Detach();
    if (window.window->InMessage())
        retiring.push_back(std::move(window.window));
    else
        window.window.reset();
}

void WindowRegistry::TakeDown(LoadedWindow& window) {
    if (!window.window) return;
    HWND handle = window.window->Handle();
    if (handle && IsWindow(handle)) DestroyWindow(handle); // its last message retires the object
    Retire(window);                                        // unless it never had a window
}

void WindowRegistry::DestroyRetired(const FormWindow& object) {
    const auto found =
        std::find_if(retiring.begin(), retiring.end(),
                     [&object](const std::unique_ptr<FormWindow>& candidate) { return candidate.get() == &object; });
    if (found != retiring.end()) retiring.erase(found);
}

} // namespace runtime
