#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "autostart/StartupRecord.h"

namespace runtime {
namespace {

using Bytes = std::vector<std::uint8_t>;

bool TurnedOff(const Bytes& record) {
    return StartupRecordTurnedOff(record.data(), record.size());
}

Bytes TurnedOn(const Bytes& record) {
    const StartupRecord on = TurnedOnStartupRecord(record.data(), record.size());
    return Bytes(on.begin(), on.end());
}

// Records as Task Manager leaves them: on, and off with the time of the turning off.
const Bytes kOn = {0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const Bytes kOff = {0x03, 0, 0, 0, 0xD4, 0x0D, 0x43, 0x8D, 0xC8, 0x3B, 0xD9, 0x01};
const Bytes kOnOtherFlags = {0x06, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const Bytes kOffOtherFlags = {0x07, 0, 0, 0, 0x71, 0xC9, 0x33, 0xAE, 0x16, 0xD9, 0xD1, 0x01};

TEST(StartupRecordTest, TheLowestFlagBitMarksTheValueTurnedOff) {
    EXPECT_FALSE(TurnedOff(kOn));
    EXPECT_FALSE(TurnedOff(kOnOtherFlags));
    EXPECT_TRUE(TurnedOff(kOff));
    EXPECT_TRUE(TurnedOff(kOffOtherFlags));
    EXPECT_FALSE(TurnedOff({})) << "an empty record marks nothing";
    EXPECT_TRUE(TurnedOff({0x03})) << "a record cut short still carries its flag byte";
}

TEST(StartupRecordTest, TurningOnClearsTheOffBitAndTheTimeAndKeepsTheOtherFlags) {
    EXPECT_EQ(TurnedOn(kOff), kOn);
    EXPECT_EQ(TurnedOn(kOffOtherFlags), kOnOtherFlags);
    EXPECT_EQ(TurnedOn({0x03}), kOn) << "a short record comes back whole";
}

} // namespace
} // namespace runtime
