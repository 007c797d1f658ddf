// The window registry: the descriptions read from the built-in block, and for each one the
// live window object while the window exists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "runtime/ProgramDescription.h"
#include "runtime/WindowDescription.h"

namespace runtime {

class FormWindow;
class Control;

struct LoadedElement {
    ElementDescription description;
    // Parallel to description.bindings: the resolved routine, null for "no handler".
    std::vector<const RoutineEntry*> routines;
    Control* control = nullptr; // live control object while the window exists
};

struct LoadedWindow {
    std::uint32_t windowId = 0;
    bool loadable = true; // false when an element's kind data could not be read
    std::vector<LoadedElement> elements;
    std::unique_ptr<FormWindow> window; // live window object
    bool loaded = false;                // set at the end of loading

    LoadedWindow();
    ~LoadedWindow();
    LoadedWindow(LoadedWindow&&) noexcept;
    LoadedWindow& operator=(LoadedWindow&&) noexcept;
};

class WindowRegistry {
public:
    static WindowRegistry& Get();

    // Reads the stored block and resolves every handler reference against the routine table.
    // False for any unreadable block or a reference outside the table.
    bool ReadBlock(const std::uint8_t* block, std::size_t size, const ProgramDescription& program);
    void Clear();

    LoadedWindow* Find(std::uint32_t windowId);
    static LoadedElement* FindElement(LoadedWindow& window, std::uint32_t elementId);
    // The element whose bindings an element uses: its shared-bindings link, followed while the
    // kind stays the same.
    static const LoadedElement& BindingsOwner(LoadedWindow& window, const LoadedElement& element);
    bool AnyWindowAlive() const;
    std::vector<LoadedWindow>& Windows() { return windows; }

    // The element whose event is being delivered.
    std::uint32_t eventSourceWindow = 0;
    std::uint32_t eventSourceElement = 0;

private:
    std::vector<LoadedWindow> windows;
};

} // namespace runtime
