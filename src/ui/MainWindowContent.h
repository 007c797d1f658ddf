// The content of the program's one window: the window and its four controls, where they stand,
// what they show and which routine handles which event. This is the only definition; the stored
// block (MainWindowBlock.h) is written from it.
//
// Texts are code page 936 bytes. They are spelled as byte escapes so that every build, whatever
// its execution character set, holds the same bytes; each carries its text in a comment.
#pragma once

#include <vector>

#include "../app/ProgramHandlers.h"
#include "runtime/ProgramDescription.h"
#include "runtime/WindowDescription.h"

namespace program {

inline constexpr std::uint32_t kMainWindowValue = 0x19010003;

// "Toolbox" and "CapsKit": the publisher tag of the caption and the author credit.
inline constexpr char kMainWindowCaption[] = "\xC7\xD0\xBB\xBB\xB4\xF3\xD0\xA1\xD0\xB4" // 切换大小写
                                             "-Toolbox";
inline constexpr char kAuthorLabelText[] = "\xD7\xF7\xD5\xDF\xA3\xBA" // 作者：
                                           "CapsKit";
inline constexpr char kHotKeyNoteText[] =
    "\xBF\xEC\xBD\xDD\xBC\xFC\xA3\xBA" // 快捷键：
    "Ctrl+CapsLock \r\n\r\n"
    "\xCE\xDE\xD0\xE8\xC9\xE8\xD6\xC3\xA3\xAC"                                         // 无需设置，
    "\xB4\xF2\xBF\xAA\xB1\xBE\xC8\xED\xBC\xFE\xBA\xF3\xBC\xB4\xBF\xC9\xCA\xB9\xD3\xC3" // 打开本软件后即可使用
    "\xBF\xEC\xBD\xDD\xBC\xFC\xC7\xD0\xBB\xBB"                                         // 快捷键切换
    "\xD1\xA1\xD6\xD0\xCE\xC4\xB1\xBE\xB5\xC4\xB4\xF3\xD0\xA1\xD0\xB4";                // 选中文本的大小写
inline constexpr char kAutostartCheckBoxText[] = "\xBF\xAA\xBB\xFA\xD7\xD4\xB6\xAF\xC6\xF4\xB6\xAF"; // 开机自动启动
inline constexpr char kHideToTrayButtonText[] =
    "\xD7\xEE\xD0\xA1\xBB\xAF\xD6\xC1\xCF\xB5\xCD\xB3\xCD\xD0\xC5\xCC"; // 最小化至系统托盘

// Stored names; the digit is a literal of its own so that it is not read as part of an escape.
inline constexpr char kAuthorLabelName[] = "\xB1\xEA\xC7\xA9"
                                           "2"; // 标签2
inline constexpr char kAutostartCheckBoxName[] = "\xD1\xA1\xD4\xF1\xBF\xF2"
                                                 "1"; // 选择框1
inline constexpr char kHideToTrayButtonName[] = "\xB0\xB4\xC5\xA5"
                                                "1"; // 按钮1
inline constexpr char kHotKeyNoteLabelName[] = "\xB1\xEA\xC7\xA9"
                                               "1"; // 标签1

namespace content {

constexpr runtime::ElementDescription Element(runtime::ElementKind kind, std::uint32_t elementId, const char* name,
                                              std::int32_t left, std::int32_t top, std::int32_t width,
                                              std::int32_t height, std::uint32_t flags) {
    runtime::ElementDescription element;
    element.kind = kind;
    element.elementId = elementId;
    element.sharedBindingsLink = 0;
    element.name = name;
    element.remark = "";
    element.left = left;
    element.top = top;
    element.width = width;
    element.height = height;
    element.parentElementId = 0;
    element.childElementIds = {};
    element.cursorData = {0, 0, 0, 0};
    element.tag = "";
    element.flags = flags;
    element.tabOrder = 0;
    return element;
}

constexpr runtime::EventBinding Bind(std::int32_t event, RoutineIndex routine) {
    return {event, runtime::RoutineReference(routine)};
}

constexpr runtime::ElementDescription MainWindowElement() {
    runtime::ElementDescription element =
        Element(runtime::ElementKind::Window, kMainWindowElementId, "", 50, 50, 380, 185, runtime::kFlagVisible);
    element.bindings = {
        Bind(runtime::event::kCreated, kMainWindowCreatedRoutine),
        Bind(runtime::event::kNotificationArea, kRestoreFromTrayRoutine),
    };
    runtime::WindowData data;
    data.version = 6;
    data.borderKind = static_cast<std::int32_t>(runtime::BorderKind::FixedSingle);
    data.backgroundPictureMode = 1;
    data.backgroundColour = runtime::kDefaultColour;
    data.maximiseButton = 0;
    data.minimiseButton = 1;
    data.controlBox = 1;
    data.startPosition = static_cast<std::int32_t>(runtime::StartPosition::Centred);
    data.movable = 1;
    data.backgroundMusicPlayMode = 0;
    data.enterMovesFocus = 0;
    data.escCloses = 1;
    data.f1OpensHelp = 0;
    data.helpContext = 0;
    data.shownOnTaskbar = 1;
    data.version3First = 0;
    data.shapeValue = 0;
    data.alwaysOnTop = 0;
    data.version5Value = 0;
    data.className = "";
    data.backgroundPicture = {};
    data.icon = {};
    data.backgroundMusic = {};
    data.caption = kMainWindowCaption;
    data.helpFileName = "";
    element.data = data;
    return element;
}

constexpr runtime::LabelData Label(const char* text, std::int32_t wordWrap) {
    runtime::LabelData data;
    data.version = 2;
    data.textEffect = 0;
    data.borderWidth = 8;
    data.borderKind = 0;
    data.borderColours[0] = 0x808080;
    data.borderColours[1] = 0xFFFFFF;
    data.borderColours[2] = 0x808080;
    data.textColour = 0x000000;
    data.backgroundColour = runtime::kDefaultColour;
    data.unnamedValue = 1;
    data.gradientMode = 0;
    data.gradientColours[0] = 0x808080;
    data.gradientColours[1] = 0xFFFFFF;
    data.gradientColours[2] = 0x808080;
    data.horizontalAlignment = 0;
    data.verticalAlignment = 1;
    data.wordWrap = wordWrap;
    data.font = {};
    data.picture = {};
    data.text = text;
    data.dataSource = "";
    data.dataColumn = "";
    return data;
}

constexpr runtime::ElementDescription AuthorLabel() {
    runtime::ElementDescription element =
        Element(runtime::ElementKind::Label, kAuthorLabelId, kAuthorLabelName, 24, 120, 112, 24, runtime::kFlagVisible);
    element.data = Label(kAuthorLabelText, 0);
    return element;
}

constexpr runtime::ElementDescription AutostartCheckBox() {
    runtime::ElementDescription element =
        Element(runtime::ElementKind::CheckBox, kAutostartCheckBoxId, kAutostartCheckBoxName, 247, 64, 104, 24,
                runtime::kFlagVisible | runtime::kFlagTabStop);
    element.bindings = {Bind(runtime::event::kClicked, kToggleAutostartRoutine)};
    runtime::CheckBoxData data;
    data.version = 2;
    data.pushLike = 0;
    data.flat = 0;
    data.textOnLeft = 0;
    data.horizontalAlignment = 0;
    data.verticalAlignment = 1;
    data.textColour = 0x000000;
    data.backgroundColour = runtime::kDefaultColour;
    data.checked = 0;
    data.picture = {};
    data.font = {};
    data.text = kAutostartCheckBoxText;
    data.dataSource = "";
    data.dataColumn = "";
    element.data = data;
    return element;
}

constexpr runtime::ElementDescription HideToTrayButton() {
    runtime::ElementDescription element =
        Element(runtime::ElementKind::Button, kHideToTrayButtonId, kHideToTrayButtonName, 247, 32, 104, 24,
                runtime::kFlagVisible | runtime::kFlagTabStop);
    element.bindings = {Bind(runtime::event::kClicked, kHideToTrayRoutine)};
    runtime::ButtonData data;
    data.version = 1;
    data.buttonKind = 0;
    data.horizontalAlignment = 1;
    data.verticalAlignment = 1;
    data.picture = {};
    data.font = {};
    data.text = kHideToTrayButtonText;
    element.data = data;
    return element;
}

constexpr runtime::ElementDescription HotKeyNoteLabel() {
    runtime::ElementDescription element = Element(runtime::ElementKind::Label, kHotKeyNoteLabelId, kHotKeyNoteLabelName,
                                                  24, 32, 192, 64, runtime::kFlagVisible);
    element.bindings = {Bind(runtime::event::kFeedback, kCaseSwitchActionRoutine)};
    element.data = Label(kHotKeyNoteText, 1);
    return element;
}

} // namespace content

constexpr runtime::WindowDescription MainWindowContent() {
    runtime::WindowDescription window;
    window.windowId = kMainWindowId;
    window.windowValue = kMainWindowValue;
    window.name = "";
    window.remark = "";
    window.elements = {
        content::MainWindowElement(), content::AuthorLabel(),     content::AutostartCheckBox(),
        content::HideToTrayButton(),  content::HotKeyNoteLabel(),
    };
    return window;
}

} // namespace program
