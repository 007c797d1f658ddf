#pragma once

#include <cstdint>

namespace runtime {

// The service callback handed to every command library in its start notice.
std::intptr_t RuntimeServiceCallback(std::int32_t service, std::intptr_t a, std::intptr_t b, std::intptr_t c);

// Argument types for service::kToNumber (a = type, b = address of the value).
enum class ArgumentType : std::int32_t { Byte = 1, Int16, Int32, Int64, Float, Double, Text, Bytes };

// The number conversion the registry and other commands share: the low 32 bits of the value,
// floating point truncated toward zero first. False for a type that is not numeric.
bool ConvertToInt32(ArgumentType type, const void* value, std::int32_t& result);

} // namespace runtime
