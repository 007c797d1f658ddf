// Icon files made to measure for the tests: a header, directory entries and small images whose
// BITMAPINFOHEADER carries the entry's size and bit count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace tray_test {

using Bytes = std::vector<std::uint8_t>;

inline void PutU16(Bytes& out, std::size_t at, std::uint16_t value) {
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void PutU32(Bytes& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

inline std::uint16_t U16(const std::uint8_t* bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

inline std::uint32_t U32(const std::uint8_t* bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 16) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

struct Entry {
    std::uint8_t width;
    std::uint8_t colourCount;
    std::uint16_t bitsPerPixel = 32;
};

inline constexpr std::size_t kHeaderSize = 6;
inline constexpr std::size_t kEntrySize = 16;
inline constexpr std::size_t kImageSize = 48; // a BITMAPINFOHEADER and 8 bytes of "pixels"

inline std::size_t EntryOffset(std::size_t index) {
    return kHeaderSize + kEntrySize * index;
}

// Images follow the directory in entry order, kImageSize bytes each.
inline std::size_t ImageOffset(std::size_t entryCount, std::size_t index) {
    return EntryOffset(entryCount) + kImageSize * index;
}

inline Bytes IconFile(std::initializer_list<Entry> entries, std::uint16_t type = 1) {
    const std::size_t count = entries.size();
    Bytes out(ImageOffset(count, count), 0);
    PutU16(out, 2, type);
    PutU16(out, 4, static_cast<std::uint16_t>(count));
    std::size_t index = 0;
    for (const Entry& entry : entries) {
        const std::size_t at = EntryOffset(index);
        const std::size_t image = ImageOffset(count, index);
        out[at] = entry.width;
        out[at + 1] = entry.width;
        out[at + 2] = entry.colourCount;
        PutU16(out, at + 4, 1);
        PutU16(out, at + 6, entry.bitsPerPixel);
        PutU32(out, at + 8, kImageSize);
        PutU32(out, at + 12, static_cast<std::uint32_t>(image));
        PutU32(out, image, 40);
        PutU32(out, image + 4, entry.width);
        PutU32(out, image + 8, 2u * entry.width);
        PutU16(out, image + 12, 1);
        PutU16(out, image + 14, entry.bitsPerPixel);
        ++index;
    }
    return out;
}

} // namespace tray_test
