// The window description: what a window and its elements are, where they stand, what they show
// and which of the program's routines handles which event. The program defines its content once
// (as a constexpr function); the runtime stores it in the block form and reads it back at start.
// Platform-free: no windows.h, usable in constant expressions.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace runtime {

// Texts are code page 936 bytes; byte blocks are raw bytes.
using ByteText = std::string;
using ByteBlock = std::vector<std::uint8_t>;

inline constexpr std::uint32_t kDefaultColour = 0xFF000000; // drawn as COLOR_BTNFACE
inline constexpr std::int32_t kNoHandler = -1;

// Identifier fields: bits 24-27 give the kind, bits 28-31 an element's class.
inline constexpr std::uint32_t kIdKindMask = 0x0F000000;
inline constexpr std::uint32_t kIdKindWindow = 0x02000000;
inline constexpr std::uint32_t kIdKindElement = 0x06000000;
inline constexpr std::uint32_t kIdClassMask = 0xF0000000;
inline constexpr std::uint32_t kIdClassWindowElement = 0x00000000;
inline constexpr std::uint32_t kIdClassControl = 0x10000000;
inline constexpr std::uint32_t kIdClassMenuItem = 0x20000000;

enum class ElementKind : std::uint32_t {
    Window = 0x00010001,
    Label = 0x0001000A,
    Button = 0x0001000B,
    CheckBox = 0x0001000C,
};

// Event numbers as stored. Labels, buttons and check boxes raise event 0 (feedback / clicked).
namespace event {
inline constexpr std::int32_t kCreated = 0;
inline constexpr std::int32_t kQueryClose = 1;
inline constexpr std::int32_t kDestroyed = 2;
inline constexpr std::int32_t kMoved = 3;
inline constexpr std::int32_t kResized = 4;
inline constexpr std::int32_t kActivated = 5;
inline constexpr std::int32_t kDeactivated = 6;
inline constexpr std::int32_t kIdle = 7;
inline constexpr std::int32_t kFirstActivated = 8;
inline constexpr std::int32_t kNotificationArea = 9;
inline constexpr std::int32_t kCloseRequest = 12;
inline constexpr std::int32_t kGotFocus = -7;
inline constexpr std::int32_t kLostFocus = -8;
inline constexpr std::int32_t kFeedback = 0;
inline constexpr std::int32_t kClicked = 0;
} // namespace event

struct EventBinding {
    std::int32_t event = 0;
    // Stored form: byte offset of the handler's entry in the program's routine table, or
    // kNoHandler. Resolved to a routine by InitialiseRuntime.
    std::int32_t handlerReference = kNoHandler;
    constexpr bool operator==(const EventBinding&) const = default;
};

enum class BorderKind : std::int32_t {
    None = 0,
    Resizable = 1,
    FixedSingle = 2,
    ToolResizable = 3,
    ToolFixed = 4,
    SunkenResizable = 5,
    SunkenFixed = 6,
};

enum class StartPosition : std::int32_t { AsStored = 0, Centred = 1, Minimised = 2, Maximised = 3 };

struct WindowData {
    static constexpr std::int32_t kHighestVersion = 6;
    std::int32_t version = kHighestVersion;
    std::int32_t borderKind = 2;
    std::int32_t backgroundPictureMode = 1;
    std::uint32_t backgroundColour = kDefaultColour;
    std::int32_t maximiseButton = 0;
    std::int32_t minimiseButton = 1;
    std::int32_t controlBox = 1;
    std::int32_t startPosition = 1;
    std::int32_t movable = 1;
    std::int32_t backgroundMusicPlayMode = 0;
    std::int32_t enterMovesFocus = 0;
    std::int32_t escCloses = 1;
    std::int32_t f1OpensHelp = 0;
    std::int32_t helpContext = 0;
    std::int32_t shownOnTaskbar = 1; // version 2
    std::int32_t version3First = 0;  // version 3
    std::int32_t shapeValue = 0;     // version 3: non-zero gives the window a shape
    std::int32_t alwaysOnTop = 0;    // version 4
    std::int32_t version5Value = 0;  // version 5
    ByteText className;              // version 6
    ByteBlock backgroundPicture;
    ByteBlock icon;
    ByteBlock backgroundMusic;
    ByteText caption;
    ByteText helpFileName;
    constexpr bool operator==(const WindowData&) const = default;
};

struct LabelData {
    static constexpr std::int32_t kHighestVersion = 2;
    std::int32_t version = kHighestVersion;
    std::int32_t textEffect = 0;
    std::int32_t borderWidth = 8;
    std::int32_t borderKind = 0;
    std::uint32_t borderColours[3] = {0x808080, 0xFFFFFF, 0x808080};
    std::uint32_t textColour = 0;
    std::uint32_t backgroundColour = kDefaultColour;
    std::int32_t unnamedValue = 1;
    std::int32_t gradientMode = 0;
    std::uint32_t gradientColours[3] = {0x808080, 0xFFFFFF, 0x808080};
    std::int32_t horizontalAlignment = 0; // 0 left, 1 centre, 2 right
    std::int32_t verticalAlignment = 1;   // 0 top, 1 centre, 2 bottom
    std::int32_t wordWrap = 0;
    ByteBlock font; // empty, or a 60-byte LOGFONTA
    ByteBlock picture;
    ByteText text;
    ByteText dataSource; // version 2
    ByteText dataColumn; // version 2
    constexpr bool operator==(const LabelData&) const = default;
};

struct ButtonData {
    static constexpr std::int32_t kHighestVersion = 1;
    std::int32_t version = kHighestVersion;
    std::int32_t buttonKind = 0; // 0 ordinary, 1 default button
    std::int32_t horizontalAlignment = 1;
    std::int32_t verticalAlignment = 1;
    ByteBlock picture;
    ByteBlock font;
    ByteText text;
    constexpr bool operator==(const ButtonData&) const = default;
};

struct CheckBoxData {
    static constexpr std::int32_t kHighestVersion = 2;
    std::int32_t version = kHighestVersion;
    std::int32_t pushLike = 0;
    std::int32_t flat = 0;
    std::int32_t textOnLeft = 0;
    std::int32_t horizontalAlignment = 0;
    std::int32_t verticalAlignment = 1;
    std::uint32_t textColour = 0;
    std::uint32_t backgroundColour = kDefaultColour;
    std::int32_t checked = 0;
    ByteBlock picture;
    ByteBlock font;
    ByteText text;
    ByteText dataSource; // version 2
    ByteText dataColumn; // version 2
    constexpr bool operator==(const CheckBoxData&) const = default;
};

using KindData = std::variant<WindowData, LabelData, ButtonData, CheckBoxData>;

inline constexpr std::uint32_t kFlagVisible = 1;
inline constexpr std::uint32_t kFlagDisabled = 2;
inline constexpr std::uint32_t kFlagTabStop = 4;

struct ElementDescription {
    ElementKind kind = ElementKind::Label;
    std::uint32_t elementId = 0;
    std::uint32_t sharedBindingsLink = 0;
    ByteText name;
    ByteText remark;
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t parentElementId = 0;
    std::vector<std::uint32_t> childElementIds;
    ByteBlock cursorData = {0, 0, 0, 0}; // 4 zero bytes: the default cursor
    ByteText tag;
    std::uint32_t flags = kFlagVisible;
    std::int32_t tabOrder = 0;
    std::vector<EventBinding> bindings;
    KindData data;
    constexpr bool operator==(const ElementDescription&) const = default;
};

struct WindowDescription {
    std::uint32_t windowId = 0;
    std::uint32_t windowValue = 0x19010003;
    ByteText name;
    ByteText remark;
    // The window element first, then the controls; the order drives creation and stacking.
    std::vector<ElementDescription> elements;
    constexpr bool operator==(const WindowDescription&) const = default;
};

// Kind data stored with a version above the highest this runtime knows cannot be read: the element
// keeps only that version and the defaults, and its window must not be loaded.
constexpr bool KindDataReadable(const ElementDescription& element) {
    return std::visit([](const auto& data) { return data.version <= data.kHighestVersion; }, element.data);
}

constexpr bool WindowIsLoadable(const WindowDescription& window) {
    for (const ElementDescription& element : window.elements) {
        if (!KindDataReadable(element)) return false;
    }
    return true;
}

} // namespace runtime
