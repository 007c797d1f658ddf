// The window registry: the descriptions read from the built-in block, and for each one the live
// window object while its window exists. The application object holds the one registry, so that
// the registry outlives the application object's own end of the runtime.
//
// Who owns a window object. The registry, and nothing else: LoadedWindow::window holds the object
// of a live window, and the registry's retiring list holds objects whose window is gone. A window
// object owns its control objects; LoadedElement::control only points at one. Objects are made by
// CreateWindowObject and deleted only by the registry, and only when none of the messages of their
// window or of its controls is being handled (MessageScope counts them), because a handler may
// destroy the window in the middle of any of them:
// - when its window is gone (WM_NCDESTROY) the object leaves its description at once, so that the
//   window can be loaded again, and retires until the outermost of its messages returns;
// - a window that cannot be built is taken down the same way (building counts as a message);
// - when the descriptions go (shutdown, or a block read again) every object is first cut off from
//   its window, so that later messages get the default handling. If one is still inside a message
//   then (EndProgram or a fatal report from a handler, which end the process before that handling
//   resumes), the descriptions and objects are kept, unused, rather than pulled from under it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "runtime/ProgramDescription.h"
#include "runtime/Runtime.h"
#include "runtime/WindowDescription.h"

namespace runtime {

class FormWindow;
class Control;

struct LoadedElement {
    ElementDescription description;
    // Parallel to description.bindings: the resolved routine, null for "no handler".
    std::vector<const RoutineEntry*> routines;
    Control* control = nullptr; // the live control object while the window exists
};

struct LoadedWindow {
    std::uint32_t windowId = 0;
    bool loadable = true; // false when an element's kind data could not be read
    std::vector<LoadedElement> elements;
    std::unique_ptr<FormWindow> window; // the live window object
    bool loaded = false;                // set at the end of loading

    LoadedWindow();
    ~LoadedWindow();
    LoadedWindow(const LoadedWindow&) = delete;
    LoadedWindow& operator=(const LoadedWindow&) = delete;
};

class WindowRegistry {
public:
    static WindowRegistry& Get();

    WindowRegistry();
    ~WindowRegistry();
    WindowRegistry(const WindowRegistry&) = delete;
    WindowRegistry& operator=(const WindowRegistry&) = delete;

    // Reads the stored block and resolves every handler reference against the routine table.
    // False for any unreadable block or a reference outside the table; the descriptions read
    // before stay then.
    bool ReadBlock(const std::uint8_t* block, std::size_t size, const ProgramDescription& program);
    // Lets every description go (see the ownership rule above).
    void Clear();

    LoadedWindow* Find(std::uint32_t windowId);
    static LoadedElement* FindElement(LoadedWindow& window, std::uint32_t elementId);
    // The same, where element identifier 0 stands for the window itself.
    static LoadedElement* FindElementOrWindow(LoadedWindow& window, std::uint32_t elementId);
    // The element whose bindings an element uses: its shared-bindings link, followed while the
    // kind stays the same.
    static const LoadedElement& BindingsOwner(LoadedWindow& window, const LoadedElement& element);
    // The element's platform window while its window is loaded; null otherwise.
    static WindowHandle LiveHandle(const LoadedWindow& window, const LoadedElement& element);
    bool AnyWindowAlive() const;
    const std::vector<std::unique_ptr<LoadedWindow>>& Windows() const { return windows; }

    // The lifetime of window objects.
    FormWindow& CreateWindowObject(LoadedWindow& window);
    // The window is gone (or never came): the object leaves its description and retires.
    void Retire(LoadedWindow& window);
    // Destroys a half-built window and retires its object.
    void TakeDown(LoadedWindow& window);
    // The last message of a retired object is over.
    void DestroyRetired(const FormWindow& object);
    std::size_t RetiringObjects() const { return retiring.size(); }

    // The element whose event is being delivered.
    std::uint32_t eventSourceWindow = 0;
    std::uint32_t eventSourceElement = 0;

private:
    // Declared in this order so that retiring objects go before the descriptions they refer to.
    std::vector<std::unique_ptr<LoadedWindow>> windows;
    std::vector<std::unique_ptr<LoadedWindow>> kept; // descriptions let go while a message was in hand
    std::vector<std::unique_ptr<FormWindow>> retiring;
};

} // namespace runtime
