// Making an icon from the bytes of an icon or cursor file.
#pragma once

#include <windows.h>

#include <cstdint>

namespace runtime {

// The icon made from the image that LocateIconImage picks under `sizePreference` (0 or 1), at
// that image's own size; null for bytes that are not an icon or cursor file or an image the
// system cannot turn into an icon. The caller owns the icon. Cursor files give icons as well.
HICON IconFromBytes(const std::uint8_t* bytes, std::int32_t length, int sizePreference);

} // namespace runtime
