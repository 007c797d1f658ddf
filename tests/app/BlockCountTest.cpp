#include <gtest/gtest.h>

#include <cstdint>

#include "runtime/Runtime.h"

namespace {

TEST(BlockCount, ASizeBeyondAnyCountIsTheImpossibleCountNeverAShortenedOne) {
    EXPECT_EQ(runtime::BlockCount(0), 0);
    EXPECT_EQ(runtime::BlockCount(INT32_MAX), INT32_MAX);
    EXPECT_EQ(runtime::BlockCount(std::uint64_t{INT32_MAX} + 1), -1);
    EXPECT_EQ(runtime::BlockCount((std::uint64_t{1} << 32) + 16), -1); // truncated, it would read 16
}

} // namespace
