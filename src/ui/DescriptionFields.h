// The checked reads the window description reader is made of: every field is read from a stretch
// of the block that it may not leave, and every failure names the field, where it stood and why.
// Platform-free.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/WindowDescription.h"
#include "ui/DescriptionReader.h"

namespace runtime {

// "0x" and eight hexadecimal digits, as identifiers and kinds appear in the format's documents.
std::string Hex(std::uint32_t value);

// A stretch of the block that reads may not leave: the whole block, a window's element area or one
// element record.
struct Span {
    std::size_t position;
    std::size_t end;
    const char* name;
    std::size_t Remaining() const { return end - position; }
};

class FieldReader {
public:
    FieldReader(const std::uint8_t* data, std::size_t size, DescriptionReadError& error)
        : data(data), size(size), error(error) {}

    std::size_t Size() const { return size; }

    // Records the failure, prefixed with `where`, and returns false.
    bool Fail(std::size_t at, const std::string& what);

    bool Need(const Span& span, const char* field, std::size_t bytes);
    bool U32(Span& span, const char* field, std::uint32_t& value);
    bool I32(Span& span, const char* field, std::int32_t& value);
    template <typename Values> bool U32s(Span& span, const char* field, Values& values) {
        for (std::uint32_t& value : values) {
            if (!U32(span, field, value)) return false;
        }
        return true;
    }
    bool Skip(Span& span, const char* field, std::size_t dwords);
    // An int32 count of items of itemBytes each that must all fit in what is left of the span.
    bool Count(Span& span, const char* field, std::size_t itemBytes, std::size_t& count);
    // An int32 byte count and that many bytes.
    template <typename Bytes> bool Counted(Span& span, const char* field, Bytes& bytes) {
        std::size_t count = 0;
        if (!Count(span, field, 1, count)) return false;
        const auto* first = data + span.position;
        bytes.assign(first, first + count);
        span.position += count;
        return true;
    }
    bool ZeroTerminated(Span& span, const char* field, ByteText& text);

    template <typename T> static bool Unique(std::vector<T> values) {
        std::sort(values.begin(), values.end());
        return std::adjacent_find(values.begin(), values.end()) == values.end();
    }

    // The part of the block being read, for the messages: "window 0x...", ", element 2 (0x...)".
    std::string where;

private:
    const std::uint8_t* data;
    std::size_t size;
    DescriptionReadError& error;
};

// An element record: the fields every kind has (ElementRecord.cpp), then the kind's own data
// (ElementKindData.cpp).
bool ReadElementRecord(FieldReader& reader, Span& record, ElementDescription& element);
bool ReadKindData(FieldReader& reader, Span& record, ElementDescription& element);
// What the window runtime relies on of a window's elements, read whole (ElementChecks.cpp); `at` is
// where their records start.
bool CheckWindowElements(FieldReader& reader, const WindowDescription& window, std::size_t at);

} // namespace runtime
