#include <cmath>

#include "runtime/RegistryCommands.h"

namespace runtime {
namespace {

RegistryValue Number(std::uint32_t stored) {
    RegistryValue value;
    value.kind = RegistryValueKind::Number;
    value.number = stored;
    return value;
}

std::uint32_t LowBits(std::int64_t number) {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(number) & 0xFFFFFFFFu);
}

// Converting a double outside the 64-bit range is undefined in C++; the x87 conversion the stored
// form comes from yields 0x8000000000000000 there, whose low 32 bits are 0.
std::uint32_t TruncatedLowBits(double number) {
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (std::isnan(number) || number >= kTwoTo63 || number < -kTwoTo63) return 0;
    return LowBits(static_cast<std::int64_t>(number));
}

} // namespace

RegistryValue TextValue(const char* text) {
    RegistryValue value;
    value.kind = RegistryValueKind::Text;
    value.text = text;
    return value;
}

RegistryValue NumberValue(std::uint8_t number) {
    return Number(number);
}
RegistryValue NumberValue(std::int16_t number) {
    return Number(static_cast<std::uint32_t>(std::int32_t{number}));
}
RegistryValue NumberValue(std::int32_t number) {
    return Number(static_cast<std::uint32_t>(number));
}
RegistryValue NumberValue(std::int64_t number) {
    return Number(LowBits(number));
}
RegistryValue NumberValue(float number) {
    return Number(TruncatedLowBits(number));
}
RegistryValue NumberValue(double number) {
    return Number(TruncatedLowBits(number));
}

RegistryValue BytesValue(const void* bytes, std::uint32_t byteCount) {
    RegistryValue value;
    value.kind = RegistryValueKind::Bytes;
    value.bytes = static_cast<const std::uint8_t*>(bytes);
    value.byteCount = byteCount;
    return value;
}

} // namespace runtime
