#include "ui/DescriptionFields.h"

namespace runtime {

std::string Hex(std::uint32_t value) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) {
        text += kDigits[(value >> shift) & 0xF];
    }
    return text;
}

bool FieldReader::Fail(std::size_t at, const std::string& what) {
    error.offset = at;
    error.message = where + ": " + what;
    return false;
}

bool FieldReader::Need(const Span& span, const char* field, std::size_t bytes) {
    if (span.Remaining() >= bytes) return true;
    return Fail(span.position, std::string(field) + " needs " + std::to_string(bytes) + " bytes, " +
                                   std::to_string(span.Remaining()) + " are left in " + span.name);
}

bool FieldReader::U32(Span& span, const char* field, std::uint32_t& value) {
    if (!Need(span, field, 4)) return false;
    const std::uint8_t* bytes = data + span.position;
    value = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
            static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    span.position += 4;
    return true;
}

bool FieldReader::I32(Span& span, const char* field, std::int32_t& value) {
    std::uint32_t raw = 0;
    if (!U32(span, field, raw)) return false;
    value = static_cast<std::int32_t>(raw);
    return true;
}

bool FieldReader::Skip(Span& span, const char* field, std::size_t dwords) {
    // dwords is at most a window count, a quarter of an int32 table length: the product fits.
    if (!Need(span, field, dwords * 4)) return false;
    span.position += dwords * 4;
    return true;
}

bool FieldReader::Count(Span& span, const char* field, std::size_t itemBytes, std::size_t& count) {
    const std::size_t at = span.position;
    std::int32_t stored = 0;
    if (!I32(span, field, stored)) return false;
    if (stored < 0) return Fail(at, std::string(field) + " " + std::to_string(stored) + " is negative");
    if (static_cast<std::size_t>(stored) > span.Remaining() / itemBytes) {
        return Fail(at, std::string(field) + " " + std::to_string(stored) + " runs past the end of " + span.name);
    }
    count = static_cast<std::size_t>(stored);
    return true;
}

bool FieldReader::ZeroTerminated(Span& span, const char* field, ByteText& text) {
    const std::uint8_t* first = data + span.position;
    const std::uint8_t* last = data + span.end;
    const std::uint8_t* terminator = std::find(first, last, std::uint8_t{0});
    if (terminator == last) return Fail(span.position, std::string(field) + " has no terminating 0 in " + span.name);
    text.assign(first, terminator);
    span.position += static_cast<std::size_t>(terminator - first) + 1;
    return true;
}

} // namespace runtime
