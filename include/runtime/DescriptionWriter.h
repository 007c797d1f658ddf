// Writes window descriptions in their stored block form. Everything here is constexpr so that a
// program's block can be a constant of the program, computed by the compiler from the same
// description the tests read back; it also runs at run time (tests, the fuzz oracle).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <variant>
#include <vector>

#include "runtime/WindowDescription.h"

// GCC's and MSVC's standard libraries let std::string and std::variant live in constant
// expressions; clang (up to 16 at least) cannot evaluate libstdc++'s, so builds with clang get the
// block only at run time.
#if defined(__clang__)
#define RUNTIME_CONSTANT_DESCRIPTIONS 0
#else
#define RUNTIME_CONSTANT_DESCRIPTIONS 1
#endif

namespace runtime {

namespace writer {

constexpr void PutU32(ByteBlock& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
    }
}

constexpr void PutI32(ByteBlock& out, std::int32_t value) {
    PutU32(out, static_cast<std::uint32_t>(value));
}

constexpr void PutSize(ByteBlock& out, std::size_t value) {
    PutU32(out, static_cast<std::uint32_t>(value));
}

template <typename Bytes> constexpr void PutCounted(ByteBlock& out, const Bytes& bytes) {
    PutSize(out, bytes.size());
    for (auto byte : bytes) {
        out.push_back(static_cast<std::uint8_t>(byte));
    }
}

// A zero-terminated text cannot carry a 0 byte: it ends at the first one, so that the record
// stays readable (DescriptionIsWritable refuses such texts for the program's own block).
constexpr void PutZeroTerminated(ByteBlock& out, const ByteText& text) {
    for (char c : text) {
        if (c == '\0') break;
        out.push_back(static_cast<std::uint8_t>(c));
    }
    out.push_back(0);
}

constexpr void PutZeros(ByteBlock& out, std::size_t dwords) {
    for (std::size_t i = 0; i < dwords; ++i) {
        PutU32(out, 0);
    }
}

constexpr void PutBytes(ByteBlock& out, const ByteBlock& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

constexpr void PutKindData(ByteBlock& out, const WindowData& data) {
    PutI32(out, data.version);
    PutI32(out, data.borderKind);
    PutI32(out, data.backgroundPictureMode);
    PutU32(out, data.backgroundColour);
    PutI32(out, data.maximiseButton);
    PutI32(out, data.minimiseButton);
    PutI32(out, data.controlBox);
    PutI32(out, data.startPosition);
    PutI32(out, data.movable);
    PutI32(out, data.backgroundMusicPlayMode);
    PutI32(out, data.enterMovesFocus);
    PutI32(out, data.escCloses);
    PutI32(out, data.f1OpensHelp);
    PutI32(out, data.helpContext);
    if (data.version >= 2) PutI32(out, data.shownOnTaskbar);
    if (data.version >= 3) {
        PutI32(out, data.version3First);
        PutI32(out, data.shapeValue);
    }
    if (data.version >= 4) PutI32(out, data.alwaysOnTop);
    if (data.version >= 5) PutI32(out, data.version5Value);
    if (data.version >= 6) PutCounted(out, data.className);
    PutCounted(out, data.backgroundPicture);
    PutCounted(out, data.icon);
    PutCounted(out, data.backgroundMusic);
    PutCounted(out, data.caption);
    PutCounted(out, data.helpFileName);
}

constexpr void PutKindData(ByteBlock& out, const LabelData& data) {
    PutI32(out, data.version);
    PutI32(out, data.textEffect);
    PutI32(out, data.borderWidth);
    PutI32(out, data.borderKind);
    for (std::uint32_t colour : data.borderColours) {
        PutU32(out, colour);
    }
    PutU32(out, data.textColour);
    PutU32(out, data.backgroundColour);
    PutI32(out, data.unnamedValue);
    PutI32(out, data.gradientMode);
    for (std::uint32_t colour : data.gradientColours) {
        PutU32(out, colour);
    }
    PutI32(out, data.horizontalAlignment);
    PutI32(out, data.verticalAlignment);
    PutI32(out, data.wordWrap);
    PutCounted(out, data.font);
    PutCounted(out, data.picture);
    PutCounted(out, data.text);
    if (data.version >= 2) {
        PutCounted(out, data.dataSource);
        PutCounted(out, data.dataColumn);
    }
}

constexpr void PutKindData(ByteBlock& out, const ButtonData& data) {
    PutI32(out, data.version);
    PutI32(out, data.buttonKind);
    PutI32(out, data.horizontalAlignment);
    PutI32(out, data.verticalAlignment);
    PutCounted(out, data.picture);
    PutCounted(out, data.font);
    PutCounted(out, data.text);
}

constexpr void PutKindData(ByteBlock& out, const CheckBoxData& data) {
    PutI32(out, data.version);
    PutI32(out, data.pushLike);
    PutI32(out, data.flat);
    PutI32(out, data.textOnLeft);
    PutI32(out, data.horizontalAlignment);
    PutI32(out, data.verticalAlignment);
    PutU32(out, data.textColour);
    PutU32(out, data.backgroundColour);
    PutI32(out, data.checked);
    PutCounted(out, data.picture);
    PutCounted(out, data.font);
    PutCounted(out, data.text);
    if (data.version >= 2) {
        PutCounted(out, data.dataSource);
        PutCounted(out, data.dataColumn);
    }
}

// The element record without its leading length.
constexpr ByteBlock ElementRecord(const ElementDescription& element) {
    ByteBlock out;
    PutU32(out, static_cast<std::uint32_t>(element.kind));
    PutU32(out, element.sharedBindingsLink);
    PutZeros(out, 4);
    PutZeroTerminated(out, element.name);
    PutZeroTerminated(out, element.remark);
    PutU32(out, 0); // live object slot
    PutI32(out, element.left);
    PutI32(out, element.top);
    PutI32(out, element.width);
    PutI32(out, element.height);
    PutU32(out, 0); // cursor slot
    PutU32(out, element.parentElementId);
    PutSize(out, element.childElementIds.size());
    for (std::uint32_t child : element.childElementIds) {
        PutU32(out, child);
    }
    PutCounted(out, element.cursorData);
    PutZeroTerminated(out, element.tag);
    PutU32(out, 0);
    PutU32(out, element.flags);
    PutI32(out, element.tabOrder);
    PutSize(out, element.bindings.size());
    for (const EventBinding& binding : element.bindings) {
        PutI32(out, binding.event);
        PutI32(out, binding.handlerReference);
    }
    PutZeros(out, 5);
    std::visit([&out](const auto& data) { PutKindData(out, data); }, element.data);
    return out;
}

constexpr void PutWindowRecord(ByteBlock& out, const WindowDescription& window) {
    std::vector<ByteBlock> records;
    std::size_t recordBytes = 0;
    for (const ElementDescription& element : window.elements) {
        records.push_back(ElementRecord(element));
        recordBytes += 4 + records.back().size();
    }
    PutU32(out, 0);
    PutU32(out, window.windowValue);
    PutCounted(out, window.name);
    PutCounted(out, window.remark);
    PutSize(out, window.elements.size());
    PutSize(out, 8 * window.elements.size() + recordBytes);
    for (const ElementDescription& element : window.elements) {
        PutU32(out, element.elementId);
    }
    std::size_t offset = 0;
    for (const ByteBlock& record : records) {
        PutSize(out, offset);
        offset += 4 + record.size();
    }
    for (const ByteBlock& record : records) {
        PutSize(out, record.size());
        PutBytes(out, record);
    }
}

constexpr bool KindMatchesData(const ElementDescription& element) {
    switch (element.kind) {
    case ElementKind::Window:
        return std::holds_alternative<WindowData>(element.data);
    case ElementKind::Label:
        return std::holds_alternative<LabelData>(element.data);
    case ElementKind::Button:
        return std::holds_alternative<ButtonData>(element.data);
    case ElementKind::CheckBox:
        return std::holds_alternative<CheckBoxData>(element.data);
    }
    return false;
}

constexpr bool HasZeroByte(const ByteText& text) {
    for (char c : text) {
        if (c == '\0') return true;
    }
    return false;
}

} // namespace writer

// Whether every field survives the stored form: each element's kind agrees with its kind data and
// no zero-terminated text holds a 0 byte.
constexpr bool DescriptionIsWritable(const std::vector<WindowDescription>& windows) {
    for (const WindowDescription& window : windows) {
        for (const ElementDescription& element : window.elements) {
            if (!writer::KindMatchesData(element)) return false;
            if (writer::HasZeroByte(element.name) || writer::HasZeroByte(element.remark) ||
                writer::HasZeroByte(element.tag)) {
                return false;
            }
        }
    }
    return true;
}

constexpr ByteBlock WriteDescriptionBlock(const std::vector<WindowDescription>& windows) {
    ByteBlock out;
    writer::PutSize(out, 8 * windows.size());
    for (const WindowDescription& window : windows) {
        writer::PutU32(out, window.windowId);
    }
    writer::PutZeros(out, windows.size()); // object slots, filled by the runtime
    for (const WindowDescription& window : windows) {
        writer::PutWindowRecord(out, window);
    }
    return out;
}

constexpr std::size_t DescriptionBlockSize(const std::vector<WindowDescription>& windows) {
    return WriteDescriptionBlock(windows).size();
}

// The block of the descriptions that MakeDescriptions (a constexpr function) returns, as an array
// whose size the compiler works out.
template <auto MakeDescriptions> constexpr auto DescriptionBlockArray() {
    static_assert(DescriptionIsWritable(MakeDescriptions()), "a description field does not fit the stored form");
    constexpr std::size_t size = DescriptionBlockSize(MakeDescriptions());
    const ByteBlock written = WriteDescriptionBlock(MakeDescriptions());
    std::array<std::uint8_t, size> bytes{};
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = written[i];
    }
    return bytes;
}

} // namespace runtime
