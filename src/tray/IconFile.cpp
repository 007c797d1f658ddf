#include "tray/IconFile.h"

#include <cstddef>

namespace runtime {
namespace {

constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::uint16_t kTypeIcon = 1;
constexpr std::uint16_t kTypeCursor = 2;
constexpr std::uint8_t kFewestPreferredColours = 16;
// The image header fields read here end with the bit count at offset 14.
constexpr std::uint32_t kSmallestImage = 16;
// Since Windows Vista an image may be a PNG file instead: its signature, then the IHDR chunk's
// length and type, then the width and height, big-endian, ending at offset 24.
constexpr std::uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t kPngSizeEnd = 24;

// Reads, little-endian unless named otherwise, that refuse to run past the end of the bytes.
class ByteReader {
public:
    ByteReader(const std::uint8_t* bytes, std::size_t length) : bytes(bytes), length(length) {}

    bool Has(std::size_t offset, std::size_t count) const { return offset <= length && count <= length - offset; }

    std::uint8_t U8(std::size_t offset) const { return bytes[offset]; }
    std::uint16_t U16(std::size_t offset) const {
        return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
    }
    std::uint32_t U32(std::size_t offset) const {
        return static_cast<std::uint32_t>(bytes[offset]) | (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
               (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
               (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
    }
    std::int32_t I32(std::size_t offset) const { return static_cast<std::int32_t>(U32(offset)); }
    std::int32_t BigEndianI32(std::size_t offset) const {
        return static_cast<std::int32_t>((static_cast<std::uint32_t>(bytes[offset]) << 24) |
                                         (static_cast<std::uint32_t>(bytes[offset + 1]) << 16) |
                                         (static_cast<std::uint32_t>(bytes[offset + 2]) << 8) | bytes[offset + 3]);
    }
    bool StartsWith(std::size_t offset, const std::uint8_t* prefix, std::size_t count) const {
        for (std::size_t i = 0; i < count; ++i) {
            if (bytes[offset + i] != prefix[i]) return false;
        }
        return true;
    }

private:
    const std::uint8_t* bytes;
    std::size_t length;
};

int PreferredWidth(int sizePreference) {
    if (sizePreference == kPreferSmallImage) return 16;
    if (sizePreference == kPreferLargeImage) return 32;
    return -1; // no width matches: the last entry is taken
}

} // namespace

std::optional<IconImage> LocateIconImage(const std::uint8_t* bytes, std::int32_t length, int sizePreference) {
    if (!bytes || length <= 0) return std::nullopt;
    const ByteReader file(bytes, static_cast<std::size_t>(length));
    if (!file.Has(0, kHeaderSize)) return std::nullopt;
    const std::uint16_t type = file.U16(2);
    const std::uint16_t count = file.U16(4);
    if (file.U16(0) != 0 || (type != kTypeIcon && type != kTypeCursor) || count == 0) return std::nullopt;

    const int preferredWidth = PreferredWidth(sizePreference);
    std::size_t chosen = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = kHeaderSize + kEntrySize * i;
        if (!file.Has(entry, kEntrySize)) return std::nullopt;
        chosen = entry;
        if (file.U8(entry + 2) >= kFewestPreferredColours && file.U8(entry) == preferredWidth) break;
    }

    IconImage image;
    image.size = file.U32(chosen + 8);
    image.offset = file.U32(chosen + 12);
    if (image.size < kSmallestImage || !file.Has(image.offset, image.size)) return std::nullopt;
    if (image.size >= kPngSizeEnd && file.StartsWith(image.offset, kPngSignature, sizeof kPngSignature)) {
        // A PNG holds colour rows alone; it has no bitmap header and so no bit count of one.
        image.width = file.BigEndianI32(image.offset + 16);
        image.height = file.BigEndianI32(image.offset + 20);
        return image;
    }
    image.width = file.I32(image.offset + 4);
    image.height = file.I32(image.offset + 8) / 2;
    image.bitsPerPixel = file.U16(image.offset + 14);
    return image;
}

} // namespace runtime
