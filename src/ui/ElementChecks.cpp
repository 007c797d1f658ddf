#include <utility>

#include "ui/DescriptionFields.h"

namespace runtime {

// The window element first and only there, and bindings that are shared along links that end.
bool CheckWindowElements(FieldReader& reader, const WindowDescription& window, std::size_t at) {
    const std::vector<ElementDescription>& elements = window.elements;
    if (elements.front().kind != ElementKind::Window) return reader.Fail(at, "the first element is not the window");
    for (std::size_t i = 1; i < elements.size(); ++i) {
        if (elements[i].kind == ElementKind::Window) {
            return reader.Fail(at, "element " + std::to_string(i) + " is a second window element");
        }
    }
    // Each element links to at most one other of its kind: walk the links, marking the path,
    // and a link back into the path being walked is a cycle.
    enum : std::uint8_t { kUnvisited, kOnPath, kDone };
    std::vector<std::uint8_t> state(elements.size(), kUnvisited);
    std::vector<std::pair<std::uint32_t, std::size_t>> byId;
    byId.reserve(elements.size());
    for (std::size_t i = 0; i < elements.size(); ++i) {
        byId.emplace_back(elements[i].elementId, i);
    }
    std::sort(byId.begin(), byId.end());
    auto next = [&elements, &byId](std::size_t i) -> std::size_t {
        const std::uint32_t link = elements[i].sharedBindingsLink;
        auto found = std::lower_bound(byId.begin(), byId.end(), std::make_pair(link, std::size_t{0}));
        if (link == 0 || found == byId.end() || found->first != link) return elements.size();
        return elements[found->second].kind == elements[i].kind ? found->second : elements.size();
    };
    for (std::size_t start = 0; start < elements.size(); ++start) {
        std::vector<std::size_t> path;
        std::size_t i = start;
        while (i < elements.size() && state[i] == kUnvisited) {
            state[i] = kOnPath;
            path.push_back(i);
            i = next(i);
        }
        if (i < elements.size() && state[i] == kOnPath) {
            return reader.Fail(at, "the shared-bindings links of element " + std::to_string(i) + " form a cycle");
        }
        for (std::size_t visited : path) {
            state[visited] = kDone;
        }
    }
    return true;
}

} // namespace runtime
