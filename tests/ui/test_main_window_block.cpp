// The program's own block: its layout byte for byte, its texts in code page 936, and reading it back.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <variant>

#ifndef _WIN32
#include <iconv.h>
#endif

#include "DescriptionTestSupport.h"
#include "runtime/DescriptionWriter.h"
#include "ui/DescriptionReader.h"
#include "ui/MainWindowBlock.h"

namespace {

using runtime::ByteBlock;
using testsupport::GetI32;

ByteBlock ProgramBlock() {
    return runtime::WriteDescriptionBlock(program::MainWindowDescriptions());
}

// The code page 936 form of a text, made by the toolchain or the C library rather than by hand: the
// Windows build compiles literals to code page 936 itself; natively iconv converts the UTF-8 form.
#ifdef _WIN32
#define GBK(text) std::string(text)
#else
#define GBK(text) Gbk(text)
std::string Gbk(const char* utf8) {
    iconv_t converter = iconv_open("GBK", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) return "iconv has no GBK";
    std::string input(utf8);
    std::string output(input.size() * 2 + 1, '\0');
    char* in = input.data();
    char* out = output.data();
    std::size_t inLeft = input.size();
    std::size_t outLeft = output.size();
    const std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    if (result == static_cast<std::size_t>(-1)) return "not convertible";
    output.resize(output.size() - outLeft);
    return output;
}
#endif

TEST(MainWindowBlock, LayoutMatchesTheStoredForm) {
    const ByteBlock block = ProgramBlock();
    ASSERT_EQ(block.size(), 1174u);
    EXPECT_EQ(GetI32(block, 0), 8) << "window table length";
    EXPECT_EQ(static_cast<std::uint32_t>(GetI32(block, 4)), 0x52010001u) << "window identifier";

    const std::vector<testsupport::WindowMap> windows = testsupport::MapBlock(block);
    ASSERT_EQ(windows.size(), 1u);
    const testsupport::WindowMap& window = windows[0];
    EXPECT_EQ(static_cast<std::uint32_t>(GetI32(block, window.recordAt + 4)), 0x19010003u) << "window value";
    EXPECT_EQ(GetI32(block, window.elementCountAt), 5);
    EXPECT_EQ(GetI32(block, window.areaLengthAt), 1138);

    const std::array<std::int32_t, 5> offsets = {0, 241, 454, 644, 808};
    const std::array<std::int32_t, 5> versions = {6, 2, 2, 1, 2};
    const std::array<std::array<std::int32_t, 4>, 5> geometry = {{
        {50, 50, 380, 185},
        {24, 120, 112, 24},
        {247, 64, 104, 24},
        {247, 32, 104, 24},
        {24, 32, 192, 64},
    }};
    ASSERT_EQ(window.elements.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        const testsupport::ElementMap& element = window.elements[i];
        SCOPED_TRACE("element " + std::to_string(i));
        EXPECT_EQ(GetI32(block, window.offsetsAt + 4 * i), offsets[i]);
        EXPECT_EQ(element.lengthAt - window.recordsAt, static_cast<std::size_t>(offsets[i]));
        EXPECT_EQ(GetI32(block, element.kindDataAt), versions[i]) << "kind data version";
        for (std::size_t g = 0; g < 4; ++g) {
            EXPECT_EQ(GetI32(block, element.geometryAt + 4 * g), geometry[i][g]) << "geometry field " << g;
        }
        EXPECT_EQ(GetI32(block, element.cursorDataAt), 4) << "cursor data length";
        EXPECT_EQ(GetI32(block, element.cursorDataAt + 4), 0) << "cursor data";
    }
    EXPECT_EQ(window.elements.back().end, block.size());
}

// Written from the stored form's field table, not from the writer's constants, so that a wrong kind
// code, flag bit or event number in the shared description header shows here.
TEST(MainWindowBlock, KindsFlagsAndBindingsHoldTheStoredValues) {
    // Handler references are byte offsets of routine table entries; the program's table lists
    // MainWindowCreated, RestoreFromTray, ToggleAutostart, HideToTray, CaseSwitchAction.
    const auto entry = [](std::int32_t position) {
        return position * static_cast<std::int32_t>(sizeof(runtime::RoutineEntry));
    };
    struct Expected {
        std::uint32_t kind;
        std::int32_t flags;
        std::vector<std::array<std::int32_t, 2>> bindings; // event number, handler reference
    };
    const Expected expected[5] = {
        {0x00010001, 1, {{0, entry(0)}, {9, entry(1)}}}, // window: created, notification area
        {0x0001000A, 1, {}},                             // author label
        {0x0001000C, 5, {{0, entry(2)}}},                // check box: clicked
        {0x0001000B, 5, {{0, entry(3)}}},                // button: clicked
        {0x0001000A, 1, {{0, entry(4)}}},                // hot-key note label: feedback
    };
    const ByteBlock block = ProgramBlock();
    const std::vector<testsupport::WindowMap> windows = testsupport::MapBlock(block);
    ASSERT_EQ(windows.size(), 1u);
    ASSERT_EQ(windows[0].elements.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE("element " + std::to_string(i));
        const testsupport::ElementMap& element = windows[0].elements[i];
        EXPECT_EQ(static_cast<std::uint32_t>(GetI32(block, element.lengthAt + 4)), expected[i].kind) << "kind";
        EXPECT_EQ(GetI32(block, element.lengthAt + 8), 0) << "shared-bindings link";
        EXPECT_EQ(GetI32(block, element.flagsAt), expected[i].flags) << "flags";
        EXPECT_EQ(GetI32(block, element.flagsAt + 4), 0) << "tab-order number";
        const std::size_t count = static_cast<std::size_t>(GetI32(block, element.flagsAt + 8));
        ASSERT_EQ(count, expected[i].bindings.size()) << "binding count";
        for (std::size_t b = 0; b < count; ++b) {
            EXPECT_EQ(GetI32(block, element.flagsAt + 12 + 8 * b), expected[i].bindings[b][0]) << "event " << b;
            EXPECT_EQ(GetI32(block, element.flagsAt + 16 + 8 * b), expected[i].bindings[b][1]) << "handler " << b;
        }
    }
}

TEST(MainWindowBlock, TextsAreCodePage936) {
    const runtime::WindowDescription content = program::MainWindowContent();
    ASSERT_EQ(content.elements.size(), 5u);
    const auto& frame = std::get<runtime::WindowData>(content.elements[0].data);
    const auto& author = std::get<runtime::LabelData>(content.elements[1].data);
    const auto& box = std::get<runtime::CheckBoxData>(content.elements[2].data);
    const auto& button = std::get<runtime::ButtonData>(content.elements[3].data);
    const auto& note = std::get<runtime::LabelData>(content.elements[4].data);

    EXPECT_EQ(frame.caption, GBK("切换大小写-Toolbox"));
    EXPECT_EQ(author.text, GBK("作者：CapsKit"));
    EXPECT_EQ(author.text.size(), 6u + 7u);
    EXPECT_EQ(box.text, GBK("开机自动启动"));
    EXPECT_EQ(button.text, GBK("最小化至系统托盘"));
    EXPECT_EQ(note.text, GBK("快捷键：Ctrl+CapsLock \r\n\r\n无需设置，打开本软件后即可使用快捷键切换选中文本的大小写"));
    EXPECT_EQ(note.text.size(), 82u);

    EXPECT_EQ(content.elements[0].name, "");
    EXPECT_EQ(content.elements[1].name, GBK("标签2"));
    EXPECT_EQ(content.elements[2].name, GBK("选择框1"));
    EXPECT_EQ(content.elements[3].name, GBK("按钮1"));
    EXPECT_EQ(content.elements[4].name, GBK("标签1"));
}

TEST(MainWindowBlock, ReadsBackAsTheContent) {
    const ByteBlock block = ProgramBlock();
    std::vector<runtime::WindowDescription> windows;
    runtime::DescriptionReadError error;
    ASSERT_TRUE(runtime::ReadDescriptionBlock(block.data(), block.size(), windows, error))
        << error.message << " at " << error.offset;
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_TRUE(windows[0] == program::MainWindowContent()) << "the block read back differs from the content";
    EXPECT_TRUE(runtime::WindowIsLoadable(windows[0]));

    ByteBlock longer = block;
    longer.push_back(0);
    EXPECT_FALSE(runtime::ReadDescriptionBlock(longer.data(), longer.size(), windows, error))
        << "one byte after the block was not noticed";
}

#if RUNTIME_CONSTANT_DESCRIPTIONS
TEST(MainWindowBlock, CompiledBlockIsTheWrittenBlock) {
    const ByteBlock written = ProgramBlock();
    const ByteBlock compiled(program::kMainWindowBlock.begin(), program::kMainWindowBlock.end());
    EXPECT_TRUE(compiled == written) << "the compile-time block differs from the one written at run time";
}
#endif

} // namespace
