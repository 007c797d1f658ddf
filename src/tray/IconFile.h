// Reading icon files: the header, the choice of one image from the directory, and where that
// image lies. Platform-free; every read is checked against the bytes that are there, so bytes
// that are not an icon file give no image rather than a read past the end.
#pragma once

#include <cstdint>
#include <optional>

namespace runtime {

// Size preferences: which small image to take when the file has one with 16 colours or more.
inline constexpr int kPreferSmallImage = 0; // 16 pixels wide
inline constexpr int kPreferLargeImage = 1; // 32 pixels wide

// A PNG image (which Windows reads since Vista) gives the width and height of its IHDR chunk as
// they are, and no bit count.
struct IconImage {
    std::uint32_t offset = 0; // where the image (a BITMAPINFOHEADER and its bits, or a PNG) starts in the file
    std::uint32_t size = 0;   // its byte count; offset + size never exceeds the file
    std::int32_t width = 0;   // the header's width
    std::int32_t height = 0;  // the header's height halved: colour rows, not colour plus mask rows
    std::uint16_t bitsPerPixel = 0;
};

// The image of an icon (type 1) or cursor (type 2) file to make the icon from, or none when the
// header is not one of those, the directory or the chosen image is cut short, or the image is
// too small to hold the header fields read from it. The first directory entry with 16 colours
// or more whose width matches the preference is taken; failing that, the last entry.
std::optional<IconImage> LocateIconImage(const std::uint8_t* bytes, std::int32_t length, int sizePreference);

} // namespace runtime
