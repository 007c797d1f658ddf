#include "autostart/StartupRecord.h"

namespace runtime {
namespace {

constexpr std::uint8_t kTurnedOffBit = 0x01;
constexpr std::size_t kFlagsSize = 4;

} // namespace

bool StartupRecordTurnedOff(const std::uint8_t* bytes, std::size_t size) {
    return size > 0 && (bytes[0] & kTurnedOffBit) != 0;
}

StartupRecord TurnedOnStartupRecord(const std::uint8_t* bytes, std::size_t size) {
    StartupRecord record = {};
    for (std::size_t index = 0; index < kFlagsSize && index < size; ++index)
        record[index] = bytes[index];
    record[0] &= static_cast<std::uint8_t>(~kTurnedOffBit);
    return record;
}

} // namespace runtime
