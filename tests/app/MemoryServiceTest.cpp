#include <gtest/gtest.h>

#include <cstring>

#include "RuntimeTestProgram.h"
#include "runtime/Runtime.h"
#include "ui/MainWindowContent.h"

namespace {

class MemoryService : public ::testing::Test {
protected:
    void SetUp() override { testprogram::InitialiseWith({testprogram::RecordingMainWindow()}); }
};

TEST_F(MemoryService, ReleasingNullOrAnyLiteralLeavesTheHeapAlone) {
    // Asked to free what it never gave, Wine's heap refuses with ERROR_INVALID_PARAMETER; Windows'
    // may corrupt itself. The runtime must not ask: every literal lies in the constant block.
    constexpr DWORD kUntouched = 0xDEADBEEF;
    const char* const literals[] = {nullptr, "a literal of the test's own", program::kHotKeyNoteText,
                                    testprogram::kConstantBlock};
    for (const char* literal : literals) {
        SetLastError(kUntouched);
        runtime::ReleaseMemory(const_cast<char*>(literal));
        EXPECT_EQ(GetLastError(), kUntouched) << "the heap was asked to free " << (literal ? literal : "null");
    }
}

TEST_F(MemoryService, ReallocatingALiteralGivesAFreshWritableCopy) {
    const char* literal = testprogram::kConstantBlock + 2; // "literal of the constant block"
    auto* copy = static_cast<char*>(runtime::ReallocateMemory(const_cast<char*>(literal), 64));
    ASSERT_NE(copy, literal);
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
