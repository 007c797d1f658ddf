// The block: its window table, then each window's record with its element area; the element
// records themselves are read in ElementRecord.cpp and ElementKindData.cpp.
#include "ui/DescriptionReader.h"

#include <utility>

#include "ui/DescriptionFields.h"

namespace runtime {
namespace {

bool ReadWindow(FieldReader& reader, Span& block, WindowDescription& window) {
    std::uint32_t reserved = 0;
    std::size_t elementCount = 0;
    std::size_t areaLength = 0;
    if (!reader.U32(block, "reserved", reserved) || !reader.U32(block, "window value", window.windowValue) ||
        !reader.Counted(block, "window name", window.name) || !reader.Counted(block, "window remark", window.remark)) {
        return false;
    }
    const std::size_t countAt = block.position;
    std::int32_t storedCount = 0;
    if (!reader.I32(block, "element count", storedCount)) return false;
    if (storedCount < 0) return reader.Fail(countAt, "element count " + std::to_string(storedCount) + " is negative");
    elementCount = static_cast<std::size_t>(storedCount);
    if (!reader.Count(block, "element area length", 1, areaLength)) return false;

    Span area{block.position, block.position + areaLength, "the element area"};
    block.position = area.end;
    if (elementCount > areaLength / 8) {
        return reader.Fail(countAt, "element count " + std::to_string(elementCount) +
                                        " needs more identifiers and offsets than the element area of " +
                                        std::to_string(areaLength) + " bytes holds");
    }
    if (elementCount == 0) return reader.Fail(countAt, "the window has no elements");

    std::vector<std::uint32_t> ids(elementCount);
    std::vector<std::int32_t> offsets(elementCount);
    // Identifiers and offsets fit: the element count was checked against the area above.
    for (std::uint32_t& id : ids) {
        const std::size_t at = area.position;
        reader.U32(area, "element identifier", id);
        if ((id & kIdKindMask) != kIdKindElement) return reader.Fail(at, Hex(id) + " is not an element identifier");
    }
    for (std::int32_t& offset : offsets) {
        reader.I32(area, "element offset", offset);
    }
    if (!FieldReader::Unique(ids)) return reader.Fail(area.position, "an element identifier occurs twice");

    const std::size_t recordsStart = area.position;
    for (std::size_t i = 0; i < elementCount; ++i) {
        const std::size_t expected = area.position - recordsStart;
        const std::string windowWhere = reader.where;
        reader.where += ", element " + std::to_string(i) + " (" + Hex(ids[i]) + ")";
        if (offsets[i] < 0 || static_cast<std::size_t>(offsets[i]) != expected) {
            return reader.Fail(area.position, "stored offset " + std::to_string(offsets[i]) +
                                                  " is not where its record starts (" + std::to_string(expected) + ")");
        }
        std::size_t recordLength = 0;
        if (!reader.Count(area, "record length", 1, recordLength)) return false;
        Span record{area.position, area.position + recordLength, "its record"};
        ElementDescription element;
        element.elementId = ids[i];
        if (!ReadElementRecord(reader, record, element)) return false;
        window.elements.push_back(std::move(element));
        area.position = record.end;
        reader.where = windowWhere;
    }
    if (area.position != area.end) {
        return reader.Fail(area.position, std::to_string(area.Remaining()) + " bytes follow the last element record");
    }
    return CheckWindowElements(reader, window, recordsStart);
}

bool ReadBlock(FieldReader& reader, std::vector<WindowDescription>& windows) {
    Span block{0, reader.Size(), "the block"};
    reader.where = "window table";
    std::int32_t tableLength = 0;
    if (!reader.I32(block, "window table length", tableLength)) return false;
    if (tableLength < 0 || tableLength % 8 != 0) {
        return reader.Fail(0, "window table length " + std::to_string(tableLength) +
                                  " is not a non-negative multiple of 8");
    }
    if (static_cast<std::size_t>(tableLength) > block.Remaining()) {
        return reader.Fail(0, "window table length " + std::to_string(tableLength) + " runs past the end of the block");
    }
    const std::size_t windowCount = static_cast<std::size_t>(tableLength) / 8;
    std::vector<std::uint32_t> windowIds(windowCount);
    for (std::uint32_t& id : windowIds) {
        const std::size_t at = block.position;
        if (!reader.U32(block, "window identifier", id)) return false;
        if ((id & kIdKindMask) != kIdKindWindow) return reader.Fail(at, Hex(id) + " is not a window identifier");
    }
    if (!reader.Skip(block, "object slots", windowCount)) return false;
    if (!FieldReader::Unique(windowIds)) return reader.Fail(4, "a window identifier occurs twice in the window table");

    // Descriptions are much larger than the bytes that count them: they are added as their
    // records are read rather than reserved from the counts.
    for (std::uint32_t id : windowIds) {
        WindowDescription window;
        window.windowId = id;
        reader.where = "window " + Hex(id);
        if (!ReadWindow(reader, block, window)) return false;
        windows.push_back(std::move(window));
    }
    if (block.position != reader.Size()) {
        reader.where = "block";
        return reader.Fail(block.position, std::to_string(block.Remaining()) + " bytes follow the last window record");
    }
    return true;
}

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
    FieldReader reader(data, size, error);
    if (!ReadBlock(reader, windows)) return false;
    out = std::move(windows);
    return true;
}

} // namespace runtime
