#include "ui/DescriptionReader.h"

#include <algorithm>
#include <utility>

namespace runtime {
namespace {

std::string Hex(std::uint32_t value) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) {
        text += kDigits[(value >> shift) & 0xF];
    }
    return text;
}

// A stretch of the block that reads may not leave: the whole block, a window's element area or one
// element record.
struct Span {
    std::size_t position;
    std::size_t end;
    const char* name;
    std::size_t Remaining() const { return end - position; }
};

class BlockReader {
public:
    BlockReader(const std::uint8_t* data, std::size_t size, DescriptionReadError& error)
        : data(data), size(size), error(error) {}

    bool Read(std::vector<WindowDescription>& windows) {
        Span block{0, size, "the block"};
        where = "window table";
        std::int32_t tableLength = 0;
        if (!I32(block, "window table length", tableLength)) return false;
        if (tableLength < 0 || tableLength % 8 != 0) {
            return Fail(0,
                        "window table length " + std::to_string(tableLength) + " is not a non-negative multiple of 8");
        }
        if (static_cast<std::size_t>(tableLength) > block.Remaining()) {
            return Fail(0, "window table length " + std::to_string(tableLength) + " runs past the end of the block");
        }
        const std::size_t windowCount = static_cast<std::size_t>(tableLength) / 8;
        std::vector<std::uint32_t> windowIds(windowCount);
        for (std::uint32_t& id : windowIds) {
            const std::size_t at = block.position;
            if (!U32(block, "window identifier", id)) return false;
            if ((id & kIdKindMask) != kIdKindWindow) return Fail(at, Hex(id) + " is not a window identifier");
        }
        if (!Skip(block, "object slots", windowCount)) return false;
        if (!Unique(windowIds)) return Fail(4, "a window identifier occurs twice in the window table");

        // Descriptions are much larger than the bytes that count them: they are added as their
        // records are read rather than reserved from the counts.
        for (std::uint32_t id : windowIds) {
            WindowDescription window;
            window.windowId = id;
            where = "window " + Hex(id);
            if (!ReadWindow(block, window)) return false;
            windows.push_back(std::move(window));
        }
        if (block.position != size) {
            where = "block";
            return Fail(block.position, std::to_string(block.Remaining()) + " bytes follow the last window record");
        }
        return true;
    }

private:
    bool Fail(std::size_t at, const std::string& what) {
        error.offset = at;
        error.message = where + ": " + what;
        return false;
    }

    bool Need(const Span& span, const char* field, std::size_t bytes) {
        if (span.Remaining() >= bytes) return true;
        return Fail(span.position, std::string(field) + " needs " + std::to_string(bytes) + " bytes, " +
                                       std::to_string(span.Remaining()) + " are left in " + span.name);
    }

    bool U32(Span& span, const char* field, std::uint32_t& value) {
        if (!Need(span, field, 4)) return false;
        const std::uint8_t* bytes = data + span.position;
        value = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
                static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
        span.position += 4;
        return true;
    }

    bool I32(Span& span, const char* field, std::int32_t& value) {
        std::uint32_t raw = 0;
        if (!U32(span, field, raw)) return false;
        value = static_cast<std::int32_t>(raw);
        return true;
    }

    template <typename Colours> bool U32s(Span& span, const char* field, Colours& values) {
        for (std::uint32_t& value : values) {
            if (!U32(span, field, value)) return false;
        }
        return true;
    }

    bool Skip(Span& span, const char* field, std::size_t dwords) {
        // dwords is at most a window count, a quarter of an int32 table length: the product fits.
        if (!Need(span, field, dwords * 4)) return false;
        span.position += dwords * 4;
        return true;
    }

    // An int32 count of items of itemBytes each that must all fit in what is left of the span.
    bool Count(Span& span, const char* field, std::size_t itemBytes, std::size_t& count) {
        const std::size_t at = span.position;
        std::int32_t stored = 0;
        if (!I32(span, field, stored)) return false;
        if (stored < 0) return Fail(at, std::string(field) + " " + std::to_string(stored) + " is negative");
        if (static_cast<std::size_t>(stored) > span.Remaining() / itemBytes) {
            return Fail(at, std::string(field) + " " + std::to_string(stored) + " runs past the end of " + span.name);
        }
        count = static_cast<std::size_t>(stored);
        return true;
    }

    template <typename Bytes> bool Counted(Span& span, const char* field, Bytes& bytes) {
        std::size_t count = 0;
        if (!Count(span, field, 1, count)) return false;
        const auto* first = data + span.position;
        bytes.assign(first, first + count);
        span.position += count;
        return true;
    }

    bool ZeroTerminated(Span& span, const char* field, ByteText& text) {
        const std::uint8_t* first = data + span.position;
        const std::uint8_t* last = data + span.end;
        const std::uint8_t* terminator = std::find(first, last, std::uint8_t{0});
        if (terminator == last)
            return Fail(span.position, std::string(field) + " has no terminating 0 in " + span.name);
        text.assign(first, terminator);
        span.position += static_cast<std::size_t>(terminator - first) + 1;
        return true;
    }

    template <typename T> static bool Unique(std::vector<T> values) {
        std::sort(values.begin(), values.end());
        return std::adjacent_find(values.begin(), values.end()) == values.end();
    }

    bool ReadWindow(Span& block, WindowDescription& window) {
        std::uint32_t reserved = 0;
        std::size_t elementCount = 0;
        std::size_t areaLength = 0;
        if (!U32(block, "reserved", reserved) || !U32(block, "window value", window.windowValue) ||
            !Counted(block, "window name", window.name) || !Counted(block, "window remark", window.remark)) {
            return false;
        }
        const std::size_t countAt = block.position;
        std::int32_t storedCount = 0;
        if (!I32(block, "element count", storedCount)) return false;
        if (storedCount < 0) return Fail(countAt, "element count " + std::to_string(storedCount) + " is negative");
        elementCount = static_cast<std::size_t>(storedCount);
        if (!Count(block, "element area length", 1, areaLength)) return false;

        Span area{block.position, block.position + areaLength, "the element area"};
        block.position = area.end;
        if (elementCount > areaLength / 8) {
            return Fail(countAt, "element count " + std::to_string(elementCount) +
                                     " needs more identifiers and offsets than the element area of " +
                                     std::to_string(areaLength) + " bytes holds");
        }
        if (elementCount == 0) return Fail(countAt, "the window has no elements");

        std::vector<std::uint32_t> ids(elementCount);
        std::vector<std::int32_t> offsets(elementCount);
        // Identifiers and offsets fit: the element count was checked against the area above.
        for (std::uint32_t& id : ids) {
            const std::size_t at = area.position;
            U32(area, "element identifier", id);
            if ((id & kIdKindMask) != kIdKindElement) return Fail(at, Hex(id) + " is not an element identifier");
        }
        for (std::int32_t& offset : offsets) {
            I32(area, "element offset", offset);
        }
        if (!Unique(ids)) return Fail(area.position, "an element identifier occurs twice");

        const std::size_t recordsStart = area.position;
        for (std::size_t i = 0; i < elementCount; ++i) {
            const std::size_t expected = area.position - recordsStart;
            const std::string windowWhere = where;
            where += ", element " + std::to_string(i) + " (" + Hex(ids[i]) + ")";
            if (offsets[i] < 0 || static_cast<std::size_t>(offsets[i]) != expected) {
                return Fail(area.position, "stored offset " + std::to_string(offsets[i]) +
                                               " is not where its record starts (" + std::to_string(expected) + ")");
            }
            std::size_t recordLength = 0;
            if (!Count(area, "record length", 1, recordLength)) return false;
            Span record{area.position, area.position + recordLength, "its record"};
            ElementDescription element;
            element.elementId = ids[i];
            if (!ReadElement(record, element)) return false;
            window.elements.push_back(std::move(element));
            area.position = record.end;
            where = windowWhere;
        }
        if (area.position != area.end) {
            return Fail(area.position, std::to_string(area.Remaining()) + " bytes follow the last element record");
        }
        return CheckElements(window, recordsStart);
    }

    // What the window runtime relies on: the window element first and only there, and bindings that
    // are shared along links that end.
    bool CheckElements(const WindowDescription& window, std::size_t at) {
        const std::vector<ElementDescription>& elements = window.elements;
        if (elements.front().kind != ElementKind::Window) return Fail(at, "the first element is not the window");
        for (std::size_t i = 1; i < elements.size(); ++i) {
            if (elements[i].kind == ElementKind::Window) {
                return Fail(at, "element " + std::to_string(i) + " is a second window element");
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
                return Fail(at, "the shared-bindings links of element " + std::to_string(i) + " form a cycle");
            }
            for (std::size_t visited : path) {
                state[visited] = kDone;
            }
        }
        return true;
    }

    bool ReadElement(Span& record, ElementDescription& element) {
        std::uint32_t kind = 0;
        std::uint32_t slot = 0;
        if (!U32(record, "kind", kind)) return false;
        switch (static_cast<ElementKind>(kind)) {
        case ElementKind::Window:
        case ElementKind::Label:
        case ElementKind::Button:
        case ElementKind::CheckBox:
            element.kind = static_cast<ElementKind>(kind);
            break;
        default:
            return Fail(record.position - sizeof kind, "kind " + Hex(kind) + " is not one this runtime builds");
        }
        std::size_t childCount = 0;
        std::size_t bindingCount = 0;
        if (!U32(record, "shared-bindings link", element.sharedBindingsLink) || !Skip(record, "reserved", 4) ||
            !ZeroTerminated(record, "stored name", element.name) || !ZeroTerminated(record, "remark", element.remark) ||
            !U32(record, "live object slot", slot) || !I32(record, "left", element.left) ||
            !I32(record, "top", element.top) || !I32(record, "width", element.width) ||
            !I32(record, "height", element.height) || !U32(record, "cursor slot", slot) ||
            !U32(record, "parent element identifier", element.parentElementId) ||
            !Count(record, "child count", 4, childCount)) {
            return false;
        }
        // Children and bindings fit: their counts were checked against the record.
        element.childElementIds.resize(childCount);
        for (std::uint32_t& child : element.childElementIds) {
            U32(record, "child element identifier", child);
        }
        if (!Counted(record, "cursor data", element.cursorData) || !ZeroTerminated(record, "tag", element.tag) ||
            !U32(record, "reserved", slot) || !U32(record, "flags", element.flags) ||
            !I32(record, "tab-order number", element.tabOrder) || !Count(record, "binding count", 8, bindingCount)) {
            return false;
        }
        element.bindings.resize(bindingCount);
        for (EventBinding& binding : element.bindings) {
            I32(record, "event number", binding.event);
            I32(record, "handler reference", binding.handlerReference);
        }
        if (!Skip(record, "reserved", 5)) return false;

        switch (element.kind) {
        case ElementKind::Window:
            return ReadKindData<WindowData>(record, element);
        case ElementKind::Label:
            return ReadKindData<LabelData>(record, element);
        case ElementKind::Button:
            return ReadKindData<ButtonData>(record, element);
        case ElementKind::CheckBox:
            return ReadKindData<CheckBoxData>(record, element);
        }
        return false;
    }

    template <typename Data> bool ReadKindData(Span& record, ElementDescription& element) {
        Data data;
        if (!I32(record, "kind data version", data.version)) return false;
        if (data.version > Data::kHighestVersion) {
            // Unreadable: the rest of the record is a layout this runtime does not know.
            element.data = std::move(data);
            record.position = record.end;
            return true;
        }
        if (!ReadFields(record, data)) return false;
        if (record.position != record.end) {
            return Fail(record.position,
                        std::to_string(record.Remaining()) + " bytes of the record follow its kind data");
        }
        element.data = std::move(data);
        return true;
    }

    bool ReadFields(Span& r, WindowData& d) {
        if (!I32(r, "border kind", d.borderKind) || !I32(r, "background picture mode", d.backgroundPictureMode) ||
            !U32(r, "background colour", d.backgroundColour) || !I32(r, "maximise button", d.maximiseButton) ||
            !I32(r, "minimise button", d.minimiseButton) || !I32(r, "control box", d.controlBox) ||
            !I32(r, "start position", d.startPosition) || !I32(r, "movable", d.movable) ||
            !I32(r, "background music play mode", d.backgroundMusicPlayMode) ||
            !I32(r, "Enter moves focus", d.enterMovesFocus) || !I32(r, "Esc closes", d.escCloses) ||
            !I32(r, "F1 opens help", d.f1OpensHelp) || !I32(r, "help context number", d.helpContext)) {
            return false;
        }
        if (d.version >= 2 && !I32(r, "shown on the taskbar", d.shownOnTaskbar)) return false;
        if (d.version >= 3 && (!I32(r, "version 3 value", d.version3First) || !I32(r, "shape value", d.shapeValue))) {
            return false;
        }
        if (d.version >= 4 && !I32(r, "always on top", d.alwaysOnTop)) return false;
        if (d.version >= 5 && !I32(r, "version 5 value", d.version5Value)) return false;
        if (d.version >= 6 && !Counted(r, "class name", d.className)) return false;
        return Counted(r, "background picture", d.backgroundPicture) && Counted(r, "icon", d.icon) &&
               Counted(r, "background music", d.backgroundMusic) && Counted(r, "caption", d.caption) &&
               Counted(r, "help file name", d.helpFileName);
    }

    bool ReadFields(Span& r, LabelData& d) {
        if (!I32(r, "text effect", d.textEffect) || !I32(r, "border width", d.borderWidth) ||
            !I32(r, "border kind", d.borderKind) || !U32s(r, "border colour", d.borderColours) ||
            !U32(r, "text colour", d.textColour) || !U32(r, "background colour", d.backgroundColour) ||
            !I32(r, "unnamed value", d.unnamedValue) || !I32(r, "gradient mode", d.gradientMode) ||
            !U32s(r, "gradient colour", d.gradientColours) || !I32(r, "horizontal alignment", d.horizontalAlignment) ||
            !I32(r, "vertical alignment", d.verticalAlignment) || !I32(r, "word wrap", d.wordWrap) ||
            !Counted(r, "font", d.font) || !Counted(r, "picture", d.picture) || !Counted(r, "text", d.text)) {
            return false;
        }
        return d.version < 2 || (Counted(r, "data source", d.dataSource) && Counted(r, "data column", d.dataColumn));
    }

    bool ReadFields(Span& r, ButtonData& d) {
        return I32(r, "button kind", d.buttonKind) && I32(r, "horizontal alignment", d.horizontalAlignment) &&
               I32(r, "vertical alignment", d.verticalAlignment) && Counted(r, "picture", d.picture) &&
               Counted(r, "font", d.font) && Counted(r, "text", d.text);
    }

    bool ReadFields(Span& r, CheckBoxData& d) {
        if (!I32(r, "push-button look", d.pushLike) || !I32(r, "flat", d.flat) ||
            !I32(r, "text on the left", d.textOnLeft) || !I32(r, "horizontal alignment", d.horizontalAlignment) ||
            !I32(r, "vertical alignment", d.verticalAlignment) || !U32(r, "text colour", d.textColour) ||
            !U32(r, "background colour", d.backgroundColour) || !I32(r, "checked", d.checked) ||
            !Counted(r, "picture", d.picture) || !Counted(r, "font", d.font) || !Counted(r, "text", d.text)) {
            return false;
        }
        return d.version < 2 || (Counted(r, "data source", d.dataSource) && Counted(r, "data column", d.dataColumn));
    }

    const std::uint8_t* data;
    std::size_t size;
    DescriptionReadError& error;
    std::string where;
};

} // namespace

bool ReadDescriptionBlock(const std::uint8_t* data, std::size_t size, std::vector<WindowDescription>& out,
                          DescriptionReadError& error) {
    out.clear();
    error = {};
    if (data == nullptr && size > 0) {
        error.message = "no block";
        return false;
    }
    std::vector<WindowDescription> windows;
    BlockReader reader(data, size, error);
    if (!reader.Read(windows)) return false;
    out = std::move(windows);
    return true;
}

} // namespace runtime
