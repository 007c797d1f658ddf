// The icon the main window shows in the notification area while it is hidden or after a
// restore: one 48 by 48 image, 32 bits per pixel, a grey "Aa" on white panels over a blue tile.
#pragma once

#include <cstddef>

#include "runtime/TrayCommands.h"

namespace program {

inline constexpr std::size_t kTrayIconImageSize = 9662;

extern const runtime::StoredByteBlock<kTrayIconImageSize> kTrayIconImage;

} // namespace program
