#include "runtime/TextCommands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace runtime {
namespace {

struct MemoryRelease {
    void operator()(char* block) const { ReleaseMemory(block); }
};
using OwnedText = std::unique_ptr<char, MemoryRelease>;

// Literals here are code page 936 bytes, like the program's own.
TEST(TextCommands, ConvertedTextsAreNewBlocksAndDoubleByteCharactersStay) {
    const char* original = "中a文B，Ｘ";
    OwnedText upper(ToUpperCase(original));
    OwnedText lower(ToLowerCase(original));
    ASSERT_NE(upper, nullptr);
    ASSERT_NE(lower, nullptr);
    EXPECT_STREQ(upper.get(), "中A文B，Ｘ");
    EXPECT_STREQ(lower.get(), "中a文b，Ｘ");
    EXPECT_NE(upper.get(), original);
    EXPECT_STREQ(original, "中a文B，Ｘ") << "the source text was changed";
}

TEST(TextCommands, EmptyOrMissingTextGivesNoText) {
    EXPECT_EQ(ToUpperCase(""), nullptr);
    EXPECT_EQ(ToLowerCase(""), nullptr);
    EXPECT_EQ(ToUpperCase(nullptr), nullptr);
    EXPECT_EQ(ToLowerCase(nullptr), nullptr);
}

TEST(TextCommands, CharCodeDefaultsToTheFirstByte) {
    EXPECT_EQ(GetCharCode("Hi"), 'H');
    EXPECT_EQ(GetCharCode(""), 0);
    EXPECT_EQ(GetCharCode("中"), -42) << "the first byte of 中 in code page 936 is 0xD6";
    EXPECT_EQ(GetCharCode("Hi", 2), 105);
    EXPECT_EQ(GetCharCode("Hi", -5), 0);
}

} // namespace
} // namespace runtime
