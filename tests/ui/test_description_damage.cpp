// Damaged blocks: each must give a clear error, never a read outside the bytes handed over (every
// block here lies in a heap buffer of exactly its size, so the sanitizers see any overrun).
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "DescriptionTestSupport.h"
#include "runtime/DescriptionWriter.h"
#include "ui/DescriptionReader.h"
#include "ui/MainWindowBlock.h"

namespace {

using runtime::ByteBlock;
using runtime::WindowDescription;
using testsupport::GetI32;
using testsupport::SetI32;

struct Outcome {
    bool read = false;
    runtime::DescriptionReadError error;
    std::vector<WindowDescription> windows;
};

Outcome Read(const ByteBlock& block) {
    Outcome outcome;
    const ByteBlock exact(block); // a buffer of exactly the block's size
    outcome.read = runtime::ReadDescriptionBlock(exact.data(), exact.size(), outcome.windows, outcome.error);
    return outcome;
}

::testing::AssertionResult FailsWith(const ByteBlock& block, const std::string& expected) {
    const Outcome outcome = Read(block);
    if (outcome.read) return ::testing::AssertionFailure() << "the block was read";
    if (!outcome.windows.empty()) return ::testing::AssertionFailure() << "descriptions were left after a failure";
    if (outcome.error.offset > block.size()) {
        return ::testing::AssertionFailure() << "error offset " << outcome.error.offset << " past the block";
    }
    if (outcome.error.message.find(expected) == std::string::npos) {
        return ::testing::AssertionFailure()
               << "expected an error about \"" << expected << "\", got \"" << outcome.error.message << "\"";
    }
    return ::testing::AssertionSuccess();
}

ByteBlock ProgramBlock() {
    return runtime::WriteDescriptionBlock(program::MainWindowDescriptions());
}

TEST(DescriptionDamage, EveryTruncationOfTheProgramsBlockFails) {
    const ByteBlock block = ProgramBlock();
    for (std::size_t size = 0; size < block.size(); ++size) {
        const ByteBlock cut(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(size));
        const Outcome outcome = Read(cut);
        EXPECT_FALSE(outcome.read) << "a block cut to " << size << " bytes was read";
        EXPECT_FALSE(outcome.error.message.empty()) << "no error message at " << size << " bytes";
        EXPECT_LE(outcome.error.offset, size);
    }
}

// The last record of a one-window block cut short, with the lengths around it made to agree, so that
// the cut falls inside the record's own fields rather than at the end of the block.
TEST(DescriptionDamage, EveryShortenedLastRecordFails) {
    for (std::size_t kind = 0; kind < 4; ++kind) {
        WindowDescription window = testsupport::RichWindow(0x52010001, 1);
        window.elements.resize(kind == 0 ? 1 : 2);
        if (kind > 0) window.elements[1] = testsupport::RichWindow(0x52010001, 1).elements[kind + 1];
        const ByteBlock block = runtime::WriteDescriptionBlock({window});
        const testsupport::WindowMap map = testsupport::MapBlock(block)[0];
        const testsupport::ElementMap last = map.elements.back();
        ASSERT_EQ(last.end, block.size());
        const std::size_t recordLength = static_cast<std::size_t>(GetI32(block, last.lengthAt));
        for (std::size_t keep = 0; keep < recordLength; ++keep) {
            ByteBlock cut(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(last.lengthAt + 4 + keep));
            SetI32(cut, last.lengthAt, static_cast<std::int32_t>(keep));
            SetI32(cut, map.areaLengthAt,
                   GetI32(block, map.areaLengthAt) - static_cast<std::int32_t>(recordLength - keep));
            EXPECT_TRUE(FailsWith(cut, "its record")) << "element kind " << kind << ", record cut to " << keep;
        }
    }
}

struct Damage {
    const char* what;
    std::function<void(ByteBlock&, const testsupport::WindowMap&)> apply;
    const char* expected; // part of the error message
};

TEST(DescriptionDamage, CorruptedCountsLengthsAndOffsetsFail) {
    const ByteBlock original = ProgramBlock();
    const testsupport::WindowMap map = testsupport::MapBlock(original)[0];
    const std::size_t caption = map.elements[0].end - 8 - 18; // the window's caption count
    ASSERT_EQ(GetI32(original, caption), 18);

    const Damage damages[] = {
        {"window table length not a multiple of 8", [](ByteBlock& b, auto&) { SetI32(b, 0, 12); }, "multiple of 8"},
        {"negative window table length", [](ByteBlock& b, auto&) { SetI32(b, 0, -8); }, "multiple of 8"},
        {"window table past the end", [](ByteBlock& b, auto&) { SetI32(b, 0, 0x7FFFFFF8); }, "past the end"},
        {"two windows in the table of one", [](ByteBlock& b, auto&) { SetI32(b, 0, 16); }, "not a window identifier"},
        {"negative element count", [](ByteBlock& b, auto& m) { SetI32(b, m.elementCountAt, -1); }, "negative"},
        {"element count beyond the area", [](ByteBlock& b, auto& m) { SetI32(b, m.elementCountAt, 1138 / 8 + 1); },
         "element area"},
        {"element count one too many", [](ByteBlock& b, auto& m) { SetI32(b, m.elementCountAt, 6); },
         "not an element identifier"},
        {"element count one too few", [](ByteBlock& b, auto& m) { SetI32(b, m.elementCountAt, 4); },
         "not where its record starts"},
        {"negative element area length", [](ByteBlock& b, auto& m) { SetI32(b, m.areaLengthAt, -1); }, "negative"},
        {"element area past the block", [](ByteBlock& b, auto& m) { SetI32(b, m.areaLengthAt, 1139); },
         "past the end of the block"},
        {"element area one byte short", [](ByteBlock& b, auto& m) { SetI32(b, m.areaLengthAt, 1137); },
         "past the end of the element area"},
        {"element offset off by one", [](ByteBlock& b, auto& m) { SetI32(b, m.offsetsAt + 4, 240); },
         "not where its record starts"},
        {"negative element offset", [](ByteBlock& b, auto& m) { SetI32(b, m.offsetsAt + 8, -454); },
         "not where its record starts"},
        {"record one byte longer",
         [](ByteBlock& b, auto& m) { SetI32(b, m.elements[1].lengthAt, GetI32(b, m.elements[1].lengthAt) + 1); },
         "follow its kind data"},
        {"record one byte shorter",
         [](ByteBlock& b, auto& m) { SetI32(b, m.elements[1].lengthAt, GetI32(b, m.elements[1].lengthAt) - 1); },
         "its record"},
        {"negative record length", [](ByteBlock& b, auto& m) { SetI32(b, m.elements[3].lengthAt, -4); }, "negative"},
        {"record past the area", [](ByteBlock& b, auto& m) { SetI32(b, m.elements[4].lengthAt, 0x7FFFFFFF); },
         "past the end of the element area"},
        {"caption past its record", [caption](ByteBlock& b, auto&) { SetI32(b, caption, 0x7FFFFFFF); },
         "past the end of its record"},
        {"negative caption length", [caption](ByteBlock& b, auto&) { SetI32(b, caption, -1); }, "negative"},
        {"cursor data past its record", [](ByteBlock& b, auto& m) { SetI32(b, m.elements[2].cursorDataAt, 1000); },
         "past the end of its record"},
        {"child count past its record",
         [](ByteBlock& b, auto& m) { SetI32(b, m.elements[2].cursorDataAt - 4, 0x40000000); },
         "past the end of its record"},
        {"negative child count", [](ByteBlock& b, auto& m) { SetI32(b, m.elements[2].cursorDataAt - 4, -1); },
         "negative"},
        {"binding count past its record",
         [](ByteBlock& b, auto& m) { SetI32(b, m.elements[2].kindDataAt - 20 - 8 - 4, 0x20000000); },
         "past the end of its record"},
        {"unknown element kind", [](ByteBlock& b, auto& m) { SetI32(b, m.elements[2].lengthAt + 4, 0x0001000D); },
         "kind"},
        {"check box read as a label", [](ByteBlock& b, auto& m) { SetI32(b, m.elements[2].lengthAt + 4, 0x0001000A); },
         "its record"},
        {"trailing byte", [](ByteBlock& b, auto&) { b.push_back(0); }, "follow the last window record"},
    };
    for (const Damage& damage : damages) {
        ByteBlock block = original;
        damage.apply(block, map);
        EXPECT_TRUE(FailsWith(block, damage.expected)) << damage.what;
    }
}

// Faults in what the records say rather than in their lengths, in a block that is otherwise sound.
TEST(DescriptionDamage, InconsistentElementsFail) {
    auto failsWith = [](const std::function<void(WindowDescription&)>& change, const char* expected) {
        WindowDescription window = testsupport::RichWindow(0x52010001, 0);
        change(window);
        return FailsWith(runtime::WriteDescriptionBlock({window}), expected);
    };
    EXPECT_TRUE(failsWith([](WindowDescription& w) { std::swap(w.elements[0], w.elements[1]); },
                          "first element is not the window"));
    EXPECT_TRUE(failsWith(
        [](WindowDescription& w) {
            w.elements.push_back(w.elements[0]);
            w.elements.back().elementId = 0x06010009;
        },
        "second window element"));
    EXPECT_TRUE(
        failsWith([](WindowDescription& w) { w.elements[3].elementId = w.elements[1].elementId; }, "occurs twice"));
    EXPECT_TRUE(
        failsWith([](WindowDescription& w) { w.elements[3].elementId = 0x12010003; }, "not an element identifier"));
    EXPECT_TRUE(failsWith([](WindowDescription& w) { w.elements.clear(); }, "no elements"));
    EXPECT_TRUE(
        failsWith([](WindowDescription& w) { w.elements[1].sharedBindingsLink = w.elements[2].elementId; }, "cycle"));
    EXPECT_TRUE(
        failsWith([](WindowDescription& w) { w.elements[2].sharedBindingsLink = w.elements[2].elementId; }, "cycle"));

    EXPECT_TRUE(FailsWith(runtime::WriteDescriptionBlock(
                              {testsupport::RichWindow(0x52010001, 0), testsupport::RichWindow(0x52010001, 1)}),
                          "occurs twice"));
    EXPECT_TRUE(
        FailsWith(runtime::WriteDescriptionBlock({testsupport::RichWindow(0x06010001, 0)}), "not a window identifier"));
}

TEST(DescriptionDamage, LinksThatEndAreRead) {
    WindowDescription window = testsupport::RichWindow(0x52010001, 0);
    // A link to an element of another kind, and one to no element at all, end the walk there.
    window.elements[1].sharedBindingsLink = window.elements[3].elementId;
    window.elements[3].sharedBindingsLink = 0x16999999;
    const Outcome outcome = Read(runtime::WriteDescriptionBlock({window}));
    EXPECT_TRUE(outcome.read) << outcome.error.message;
}

TEST(DescriptionDamage, NoBlockAtAll) {
    std::vector<WindowDescription> windows;
    runtime::DescriptionReadError error;
    EXPECT_FALSE(runtime::ReadDescriptionBlock(nullptr, 10, windows, error));
    EXPECT_FALSE(runtime::ReadDescriptionBlock(nullptr, 0, windows, error));
    EXPECT_FALSE(error.message.empty());
}

} // namespace
