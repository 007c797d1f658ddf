#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "runtime/RegistryCommands.h"

namespace runtime {
namespace {

std::uint32_t Stored(const RegistryValue& value) {
    EXPECT_EQ(value.kind, RegistryValueKind::Number);
    return value.number;
}

TEST(RegistryValueTest, IntegersWidenOrKeepTheirLowBits) {
    EXPECT_EQ(Stored(NumberValue(std::uint8_t{0xFF})), 0x000000FFu) << "a byte is zero-extended";
    EXPECT_EQ(Stored(NumberValue(std::int16_t{-2})), 0xFFFFFFFEu) << "a 16-bit integer is sign-extended";
    EXPECT_EQ(Stored(NumberValue(std::int16_t{0x7FFF})), 0x00007FFFu);
    EXPECT_EQ(Stored(NumberValue(std::int32_t{-1})), 0xFFFFFFFFu);
    EXPECT_EQ(Stored(NumberValue(std::int32_t{0x12345678})), 0x12345678u);
    EXPECT_EQ(Stored(NumberValue(std::int64_t{0x1122334455667788})), 0x55667788u);
    EXPECT_EQ(Stored(NumberValue(std::int64_t{-5})), 0xFFFFFFFBu);
}

TEST(RegistryValueTest, FloatingPointTruncatesTowardZeroThenKeepsLowBits) {
    EXPECT_EQ(Stored(NumberValue(2.9)), 2u);
    EXPECT_EQ(Stored(NumberValue(-2.9)), 0xFFFFFFFEu);
    EXPECT_EQ(Stored(NumberValue(2.75f)), 2u);
    EXPECT_EQ(Stored(NumberValue(-0.5f)), 0u);
    EXPECT_EQ(Stored(NumberValue(4294967296.0 + 7.5)), 7u) << "2^32 + 7.5 keeps the low 32 bits";
    EXPECT_EQ(Stored(NumberValue(-9223372036854775808.0)), 0u);
}

TEST(RegistryValueTest, FloatingPointBeyondTheIntegerRangeGivesZero) {
    EXPECT_EQ(Stored(NumberValue(std::numeric_limits<double>::quiet_NaN())), 0u);
    EXPECT_EQ(Stored(NumberValue(std::numeric_limits<double>::infinity())), 0u);
    EXPECT_EQ(Stored(NumberValue(-std::numeric_limits<float>::infinity())), 0u);
    EXPECT_EQ(Stored(NumberValue(9223372036854775808.0)), 0u);
    EXPECT_EQ(Stored(NumberValue(1e300)), 0u);
}

} // namespace
} // namespace runtime
