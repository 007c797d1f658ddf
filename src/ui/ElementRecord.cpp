#include "ui/DescriptionFields.h"

namespace runtime {

bool ReadElementRecord(FieldReader& reader, Span& record, ElementDescription& element) {
    std::uint32_t kind = 0;
    std::uint32_t slot = 0;
    if (!reader.U32(record, "kind", kind)) return false;
    switch (static_cast<ElementKind>(kind)) {
    case ElementKind::Window:
    case ElementKind::Label:
    case ElementKind::Button:
    case ElementKind::CheckBox:
        element.kind = static_cast<ElementKind>(kind);
        break;
    default:
        return reader.Fail(record.position - sizeof kind, "kind " + Hex(kind) + " is not one this runtime builds");
    }
    std::size_t childCount = 0;
    std::size_t bindingCount = 0;
    if (!reader.U32(record, "shared-bindings link", element.sharedBindingsLink) ||
        !reader.Skip(record, "reserved", 4) || !reader.ZeroTerminated(record, "stored name", element.name) ||
        !reader.ZeroTerminated(record, "remark", element.remark) || !reader.U32(record, "live object slot", slot) ||
        !reader.I32(record, "left", element.left) || !reader.I32(record, "top", element.top) ||
        !reader.I32(record, "width", element.width) || !reader.I32(record, "height", element.height) ||
        !reader.U32(record, "cursor slot", slot) ||
        !reader.U32(record, "parent element identifier", element.parentElementId) ||
        !reader.Count(record, "child count", 4, childCount)) {
        return false;
    }
    // Children and bindings fit: their counts were checked against the record.
    element.childElementIds.resize(childCount);
    for (std::uint32_t& child : element.childElementIds) {
        reader.U32(record, "child element identifier", child);
    }
    if (!reader.Counted(record, "cursor data", element.cursorData) ||
        !reader.ZeroTerminated(record, "tag", element.tag) || !reader.U32(record, "reserved", slot) ||
        !reader.U32(record, "flags", element.flags) || !reader.I32(record, "tab-order number", element.tabOrder) ||
        !reader.Count(record, "binding count", 8, bindingCount)) {
        return false;
    }
    element.bindings.resize(bindingCount);
    for (EventBinding& binding : element.bindings) {
        reader.I32(record, "event number", binding.event);
        reader.I32(record, "handler reference", binding.handlerReference);
    }
    if (!reader.Skip(record, "reserved", 5)) return false;
    return ReadKindData(reader, record, element);
}

} // namespace runtime
