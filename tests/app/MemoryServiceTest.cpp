#include <gtest/gtest.h>

#include <cstring>

#include "RuntimeTestProgram.h"
#include "runtime/Runtime.h"

namespace {

class MemoryService : public ::testing::Test {
protected:
    void SetUp() override { testprogram::InitialiseWith({testprogram::RecordingMainWindow()}); }
};

TEST_F(MemoryService, ReleasingNullOrALiteralDoesNothing) {
    runtime::ReleaseMemory(nullptr);
    runtime::ReleaseMemory(const_cast<char*>(testprogram::kConstantBlock + 2));
    EXPECT_STREQ(testprogram::kConstantBlock, "a literal of the constant block");
}

TEST_F(MemoryService, ReallocatingALiteralGivesAFreshWritableCopy) {
    const char* literal = testprogram::kConstantBlock + 2; // "literal of the constant block"
    auto* copy = static_cast<char*>(runtime::ReallocateMemory(const_cast<char*>(literal), 64));
    ASSERT_NE(copy, literal);
    // Only the bytes up to the end of the constant block are copied.
    EXPECT_EQ(std::memcmp(copy, literal, sizeof testprogram::kConstantBlock - 2), 0);
    copy[0] = 'L';
    EXPECT_EQ(literal[0], 'l') << "the literal must stay as it was";
    runtime::ReleaseMemory(copy);
}

TEST_F(MemoryService, AllocationsAreUsableAndGrowKeepingTheirBytes) {
    auto* block = static_cast<char*>(runtime::AllocateMemory(4));
    std::memcpy(block, "abc", 4);
    block = static_cast<char*>(runtime::ReallocateMemory(block, 1 << 20));
    EXPECT_STREQ(block, "abc");
    runtime::ReleaseMemory(block);
}

} // namespace
