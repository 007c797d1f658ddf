// Shared by the description tests and the fuzz seed generator: descriptions that use every field,
// and an independent walk over a written block that says where each field lies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/WindowDescription.h"

namespace testsupport {

using runtime::ByteBlock;

inline std::int32_t GetI32(const ByteBlock& block, std::size_t at) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(block.at(at)) | static_cast<std::uint32_t>(block.at(at + 1)) << 8 |
        static_cast<std::uint32_t>(block.at(at + 2)) << 16 | static_cast<std::uint32_t>(block.at(at + 3)) << 24);
}

inline void SetI32(ByteBlock& block, std::size_t at, std::int32_t value) {
    for (int i = 0; i < 4; ++i) {
        block.at(at + i) = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i));
    }
}

// Where the fields of a written block are, found by walking the layout directly rather than through
// the reader. Assumes a well-formed block.
struct ElementMap {
    std::size_t lengthAt = 0;   // the record's int32 length; the kind and the shared-bindings link follow
    std::size_t end = 0;        // one past the record
    std::size_t nameAt = 0;     // stored name
    std::size_t geometryAt = 0; // left, top, width, height
    std::size_t cursorDataAt = 0;
    std::size_t flagsAt = 0;    // flags, then the tab-order number, the binding count and the bindings
    std::size_t kindDataAt = 0; // the kind data's version
};

struct WindowMap {
    std::size_t recordAt = 0;
    std::size_t elementCountAt = 0;
    std::size_t areaLengthAt = 0;
    std::size_t offsetsAt = 0;
    std::size_t recordsAt = 0;
    std::vector<ElementMap> elements;
};

inline std::vector<WindowMap> MapBlock(const ByteBlock& block) {
    std::vector<WindowMap> windows;
    const std::size_t windowCount = static_cast<std::size_t>(GetI32(block, 0)) / 8;
    std::size_t at = 4 + 8 * windowCount;
    auto zeroTerminated = [&block](std::size_t from) {
        while (block.at(from) != 0) {
            ++from;
        }
        return from + 1;
    };
    for (std::size_t w = 0; w < windowCount; ++w) {
        WindowMap window;
        window.recordAt = at;
        at += 8;
        at += 4 + static_cast<std::size_t>(GetI32(block, at)); // name
        at += 4 + static_cast<std::size_t>(GetI32(block, at)); // remark
        window.elementCountAt = at;
        window.areaLengthAt = at + 4;
        const std::size_t count = static_cast<std::size_t>(GetI32(block, at));
        window.offsetsAt = at + 8 + 4 * count;
        window.recordsAt = window.offsetsAt + 4 * count;
        at = window.recordsAt;
        for (std::size_t e = 0; e < count; ++e) {
            ElementMap element;
            element.lengthAt = at;
            element.end = at + 4 + static_cast<std::size_t>(GetI32(block, at));
            element.nameAt = at + 4 + 4 + 4 + 16;
            std::size_t p = zeroTerminated(zeroTerminated(element.nameAt)) + 4;
            element.geometryAt = p;
            p += 16 + 4 + 4;
            p += 4 + 4 * static_cast<std::size_t>(GetI32(block, p)); // children
            element.cursorDataAt = p;
            p += 4 + static_cast<std::size_t>(GetI32(block, p));
            element.flagsAt = zeroTerminated(p) + 4;
            p = element.flagsAt + 4 + 4;
            p += 4 + 8 * static_cast<std::size_t>(GetI32(block, p)); // bindings
            element.kindDataAt = p + 20;
            window.elements.push_back(element);
            at = element.end;
        }
        windows.push_back(window);
    }
    return windows;
}

inline ByteBlock Pattern(std::size_t size, std::uint8_t first) {
    ByteBlock bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(first + 37 * i);
    }
    return bytes;
}

// Texts with bytes of every kind: high bytes of code page 936, a 0x80 lead byte, and for counted
// texts an embedded 0.
inline std::string HighText(const char* prefix, int seed) {
    return std::string(prefix) + "\xB1\xEA\xC7\xA9\x80\xFF" + std::to_string(seed);
}

inline runtime::ElementDescription Common(runtime::ElementKind kind, std::uint32_t id, int seed) {
    runtime::ElementDescription element;
    element.kind = kind;
    element.elementId = id;
    element.name = HighText("name", seed);
    element.remark = HighText("remark", seed);
    element.left = -10 - seed;
    element.top = 20 + seed;
    element.width = 300 + seed;
    element.height = 0x7FFFFFFF - seed;
    element.parentElementId = 0x16FF0000u + static_cast<std::uint32_t>(seed);
    element.childElementIds = {0x16AA0001u, 0x16AA0002u + static_cast<std::uint32_t>(seed)};
    element.cursorData = Pattern(9 + static_cast<std::size_t>(seed), 0xC0);
    element.tag = HighText("tag", seed);
    element.flags = runtime::kFlagVisible | runtime::kFlagDisabled | runtime::kFlagTabStop | 0x80000000u;
    element.tabOrder = 3 + seed;
    element.bindings = {{runtime::event::kGotFocus, 8 + seed},
                        {runtime::event::kCloseRequest, runtime::kNoHandler},
                        {0x7FFFFFFF, 0x12345678}};
    return element;
}

inline runtime::WindowData RichWindowData(int seed) {
    runtime::WindowData d;
    d.borderKind = 5;
    d.backgroundPictureMode = 2 + seed;
    d.backgroundColour = 0x00112233u + static_cast<std::uint32_t>(seed);
    d.maximiseButton = 1;
    d.minimiseButton = 0;
    d.controlBox = 0;
    d.startPosition = 3;
    d.movable = 0;
    d.backgroundMusicPlayMode = 2;
    d.enterMovesFocus = 1;
    d.escCloses = 0;
    d.f1OpensHelp = 1;
    d.helpContext = -77 - seed;
    d.shownOnTaskbar = 0;
    d.version3First = -5;
    d.shapeValue = 9 + seed;
    d.alwaysOnTop = 1;
    d.version5Value = 123;
    d.className = "RichClass" + std::to_string(seed);
    d.backgroundPicture = Pattern(17, 1);
    d.icon = Pattern(40 + static_cast<std::size_t>(seed), 2);
    d.backgroundMusic = Pattern(5, 3);
    d.caption = HighText("caption", seed);
    d.caption.push_back('\0');
    d.caption += "after zero";
    d.helpFileName = "help" + std::to_string(seed) + ".hlp";
    return d;
}

inline runtime::LabelData RichLabelData(int seed) {
    runtime::LabelData d;
    d.textEffect = 3;
    d.borderWidth = 2 + seed;
    d.borderKind = 6;
    d.borderColours[0] = 0x010203;
    d.borderColours[1] = 0x040506;
    d.borderColours[2] = 0x070809u + static_cast<std::uint32_t>(seed);
    d.textColour = 0x00FF00FF;
    d.backgroundColour = 0x00ABCDEF;
    d.unnamedValue = 2;
    d.gradientMode = 8;
    d.gradientColours[0] = 0x0A0B0C;
    d.gradientColours[1] = 0x0D0E0F;
    d.gradientColours[2] = 0x101112u + static_cast<std::uint32_t>(seed);
    d.horizontalAlignment = 2;
    d.verticalAlignment = 0;
    d.wordWrap = 1;
    d.font = Pattern(60, 0x20);
    d.picture = Pattern(33, 4);
    d.text = HighText("label text\r\n", seed);
    d.dataSource = "source" + std::to_string(seed);
    d.dataColumn = "column" + std::to_string(seed);
    return d;
}

inline runtime::ButtonData RichButtonData(int seed) {
    runtime::ButtonData d;
    d.buttonKind = 1;
    d.horizontalAlignment = 2;
    d.verticalAlignment = 2;
    d.picture = Pattern(3, 5);
    d.font = Pattern(59, 6); // not a LOGFONTA: kept as it is all the same
    d.text = HighText("button", seed);
    return d;
}

inline runtime::CheckBoxData RichCheckBoxData(int seed) {
    runtime::CheckBoxData d;
    d.pushLike = 1;
    d.flat = 1;
    d.textOnLeft = 1;
    d.horizontalAlignment = 1;
    d.verticalAlignment = 2;
    d.textColour = 0x00123456;
    d.backgroundColour = 0x00654321u + static_cast<std::uint32_t>(seed);
    d.checked = 1;
    d.picture = Pattern(11, 7);
    d.font = Pattern(60, 8);
    d.text = HighText("check", seed);
    d.dataSource = "cb source";
    d.dataColumn = "cb column" + std::to_string(seed);
    return d;
}

// A window whose elements use every field with values other than the defaults, every kind, and a
// shared-bindings link between the two labels.
inline runtime::WindowDescription RichWindow(std::uint32_t windowId, int seed) {
    runtime::WindowDescription window;
    window.windowId = windowId;
    window.windowValue = 0x19010003u + static_cast<std::uint32_t>(seed);
    window.name = HighText("window", seed);
    window.remark = HighText("window remark", seed);

    runtime::ElementDescription frame = Common(runtime::ElementKind::Window, 0x06010000, seed);
    frame.data = RichWindowData(seed);
    runtime::ElementDescription first = Common(runtime::ElementKind::Label, 0x16010001, seed + 1);
    first.data = RichLabelData(seed);
    runtime::ElementDescription second = Common(runtime::ElementKind::Label, 0x16010002, seed + 2);
    second.sharedBindingsLink = 0x16010001;
    second.bindings.clear();
    second.data = RichLabelData(seed + 1);
    runtime::ElementDescription button = Common(runtime::ElementKind::Button, 0x16010003, seed + 3);
    button.data = RichButtonData(seed);
    runtime::ElementDescription box = Common(runtime::ElementKind::CheckBox, 0x16010004, seed + 4);
    box.data = RichCheckBoxData(seed);
    window.elements = {frame, first, second, button, box};
    return window;
}

inline std::vector<runtime::WindowDescription> SeveralRichWindows() {
    return {RichWindow(0x52010001, 0), RichWindow(0x52010002, 5), RichWindow(0x52FF0003, 9)};
}

} // namespace testsupport
