// Writing and reading back: every field survives, versioned fields come and go with the version, and
// kind data newer than this runtime marks only its own window as not loadable.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "DescriptionTestSupport.h"
#include "runtime/DescriptionWriter.h"
#include "ui/DescriptionReader.h"

namespace {

using runtime::ByteBlock;
using runtime::WindowDescription;

std::vector<WindowDescription> ReadOrFail(const ByteBlock& block) {
    std::vector<WindowDescription> windows;
    runtime::DescriptionReadError error;
    EXPECT_TRUE(runtime::ReadDescriptionBlock(block.data(), block.size(), windows, error))
        << error.message << " at byte " << error.offset;
    return windows;
}

TEST(DescriptionRoundTrip, EveryFieldOfSeveralWindowsSurvives) {
    const std::vector<WindowDescription> original = testsupport::SeveralRichWindows();
    ASSERT_TRUE(runtime::DescriptionIsWritable(original));
    const ByteBlock block = runtime::WriteDescriptionBlock(original);
    const std::vector<WindowDescription> read = ReadOrFail(block);
    ASSERT_EQ(read.size(), original.size());
    for (std::size_t w = 0; w < read.size(); ++w) {
        ASSERT_EQ(read[w].elements.size(), original[w].elements.size()) << "window " << w;
        EXPECT_EQ(read[w].windowId, original[w].windowId);
        EXPECT_EQ(read[w].name, original[w].name);
        for (std::size_t e = 0; e < read[w].elements.size(); ++e) {
            EXPECT_TRUE(read[w].elements[e] == original[w].elements[e]) << "window " << w << ", element " << e;
        }
        EXPECT_TRUE(read[w] == original[w]) << "window " << w;
    }
    EXPECT_TRUE(runtime::WriteDescriptionBlock(read) == block) << "writing what was read gives other bytes";
}

// A stored byte that the reader skips without keeping is either reserved or a slot the runtime fills;
// every other byte must change what is read (or make the block unreadable).
TEST(DescriptionRoundTrip, OnlyReservedAndSlotBytesAreIgnored) {
    const std::vector<WindowDescription> original = testsupport::SeveralRichWindows();
    const ByteBlock block = runtime::WriteDescriptionBlock(original);
    std::size_t elementCount = 0;
    for (const WindowDescription& window : original) {
        elementCount += window.elements.size();
    }
    // Per window: its object slot and its reserved dword. Per element: four reserved dwords, the
    // live object slot, the cursor slot, one reserved dword and five more.
    const std::size_t expectedIgnored = original.size() * 8 + elementCount * 4 * (4 + 1 + 1 + 1 + 5);

    std::size_t ignored = 0;
    for (std::size_t i = 0; i < block.size(); ++i) {
        ByteBlock changed = block;
        changed[i] ^= 0x41;
        std::vector<WindowDescription> read;
        runtime::DescriptionReadError error;
        if (runtime::ReadDescriptionBlock(changed.data(), changed.size(), read, error) && read == original) {
            ++ignored;
        }
    }
    EXPECT_EQ(ignored, expectedIgnored) << "of " << block.size() << " bytes";
}

TEST(DescriptionRoundTrip, EmptyTableIsNoWindows) {
    const ByteBlock block = runtime::WriteDescriptionBlock({});
    EXPECT_EQ(block.size(), 4u);
    EXPECT_TRUE(ReadOrFail(block).empty());
}

WindowDescription WindowWithWindowVersion(std::int32_t version) {
    WindowDescription window = testsupport::RichWindow(0x52010001, 0);
    std::get<runtime::WindowData>(window.elements[0].data).version = version;
    return window;
}

TEST(DescriptionVersions, OlderWindowRecordsLeaveLaterFieldsAtTheirDefaults) {
    const runtime::WindowData defaults;
    const runtime::WindowData rich = testsupport::RichWindowData(0);
    const std::size_t fullSize = runtime::DescriptionBlockSize({WindowWithWindowVersion(6)});
    // Bytes that versions 2 to 6 add: taskbar, the two version 3 values, on top, the version 5 value,
    // the class name's count and text.
    const std::size_t addedFrom[7] = {0, 0, 4, 8, 4, 4, 4 + rich.className.size()};
    std::size_t missing = 0;
    for (std::int32_t version = 6; version >= 1; --version) {
        SCOPED_TRACE("window version " + std::to_string(version));
        const ByteBlock block = runtime::WriteDescriptionBlock({WindowWithWindowVersion(version)});
        EXPECT_EQ(block.size(), fullSize - missing);
        missing += addedFrom[version];
        const std::vector<WindowDescription> read = ReadOrFail(block);
        ASSERT_EQ(read.size(), 1u);
        const auto& data = std::get<runtime::WindowData>(read[0].elements[0].data);
        EXPECT_EQ(data.version, version);
        EXPECT_EQ(data.shownOnTaskbar, version >= 2 ? rich.shownOnTaskbar : defaults.shownOnTaskbar);
        EXPECT_EQ(data.shapeValue, version >= 3 ? rich.shapeValue : defaults.shapeValue);
        EXPECT_EQ(data.alwaysOnTop, version >= 4 ? rich.alwaysOnTop : defaults.alwaysOnTop);
        EXPECT_EQ(data.version5Value, version >= 5 ? rich.version5Value : defaults.version5Value);
        EXPECT_EQ(data.className, version >= 6 ? rich.className : defaults.className);
        EXPECT_EQ(data.caption, rich.caption) << "the fields after the versioned ones moved";
        EXPECT_EQ(data.helpFileName, rich.helpFileName);
        EXPECT_TRUE(runtime::WindowIsLoadable(read[0]));
    }
}

TEST(DescriptionVersions, VersionOneLabelsAndCheckBoxesHaveNoDataSource) {
    WindowDescription window = testsupport::RichWindow(0x52010001, 0);
    std::get<runtime::LabelData>(window.elements[1].data).version = 1;
    std::get<runtime::CheckBoxData>(window.elements[4].data).version = 1;
    const ByteBlock block = runtime::WriteDescriptionBlock({window});
    const std::vector<WindowDescription> read = ReadOrFail(block);
    ASSERT_EQ(read.size(), 1u);
    const auto& label = std::get<runtime::LabelData>(read[0].elements[1].data);
    const auto& box = std::get<runtime::CheckBoxData>(read[0].elements[4].data);
    EXPECT_EQ(label.version, 1);
    EXPECT_EQ(label.dataSource, "");
    EXPECT_EQ(label.dataColumn, "");
    EXPECT_EQ(label.text, testsupport::RichLabelData(0).text);
    EXPECT_EQ(box.dataSource, "");
    EXPECT_EQ(box.dataColumn, "");
    EXPECT_EQ(box.text, testsupport::RichCheckBoxData(0).text);
    EXPECT_EQ(std::get<runtime::LabelData>(read[0].elements[2].data).dataSource, "source1")
        << "the version 2 label after it";
}

TEST(DescriptionVersions, NewerKindDataMakesOnlyItsWindowUnloadable) {
    // The middle window's label has a version this runtime does not know, and the bytes after it are
    // not in any layout the runtime knows either.
    std::vector<WindowDescription> windows = testsupport::SeveralRichWindows();
    ByteBlock block = runtime::WriteDescriptionBlock(windows);
    const testsupport::ElementMap label = testsupport::MapBlock(block)[1].elements[2];
    testsupport::SetI32(block, label.kindDataAt, runtime::LabelData::kHighestVersion + 1);
    for (std::size_t i = label.kindDataAt + 4; i < label.end; ++i) {
        block[i] = 0xEE;
    }

    const std::vector<WindowDescription> read = ReadOrFail(block);
    ASSERT_EQ(read.size(), 3u);
    EXPECT_TRUE(runtime::WindowIsLoadable(read[0]));
    EXPECT_FALSE(runtime::WindowIsLoadable(read[1]));
    EXPECT_TRUE(runtime::WindowIsLoadable(read[2]));
    EXPECT_TRUE(read[0] == windows[0]);
    EXPECT_TRUE(read[2] == windows[2]) << "the window after the unreadable record";

    const runtime::ElementDescription& unreadable = read[1].elements[2];
    EXPECT_FALSE(runtime::KindDataReadable(unreadable));
    runtime::LabelData expected;
    expected.version = runtime::LabelData::kHighestVersion + 1;
    EXPECT_TRUE(std::get<runtime::LabelData>(unreadable.data) == expected) << "kept more than the version";
    EXPECT_EQ(unreadable.name, windows[1].elements[2].name) << "the common fields are read all the same";

    // What was read writes and reads back the same, unreadable element included.
    EXPECT_TRUE(ReadOrFail(runtime::WriteDescriptionBlock(read)) == read);
}

TEST(DescriptionVersions, EveryKindRefusesOnlyVersionsAboveItsHighest) {
    auto loadableWith = [](std::size_t element, std::int32_t version) {
        WindowDescription window = testsupport::RichWindow(0x52010001, 0);
        std::visit([version](auto& data) { data.version = version; }, window.elements[element].data);
        const std::vector<WindowDescription> read = ReadOrFail(runtime::WriteDescriptionBlock({window}));
        return !read.empty() && runtime::WindowIsLoadable(read[0]);
    };
    const std::int32_t highest[5] = {6, 2, 2, 1, 2}; // window, label, label, button, check box
    for (std::size_t element = 0; element < 5; ++element) {
        EXPECT_TRUE(loadableWith(element, highest[element])) << "element " << element;
        EXPECT_FALSE(loadableWith(element, highest[element] + 1)) << "element " << element;
        EXPECT_FALSE(loadableWith(element, 0x7FFFFFFF)) << "element " << element;
    }
}

} // namespace
