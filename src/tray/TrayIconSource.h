// Where a window's tray icon comes from: icon bytes in memory or an icon file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "tray/TrayIcon.h"

namespace runtime {

// Makes the icon from the bytes (the small-image preference first, then the large one) and puts
// it with `tip` into the notification area as the window's icon. Bytes that give no icon, or
// none at all, remove the window's icon. True when the shell now shows the icon.
bool SetTrayIconFromBytes(TrayIcon& tray, const std::uint8_t* bytes, std::int32_t length, const char* tip);

// The same with the bytes of an icon file, read whole while others may only read it. A null or
// empty name, a file that cannot be opened or read, or an empty file gives no bytes.
bool SetTrayIconFromFile(TrayIcon& tray, const char* fileName, const char* tip);

struct FileBytes {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::int32_t length = 0;
};

// The whole content of a file; empty when it cannot be opened or read in full, is empty, or is
// larger than a byte count can say.
FileBytes ReadWholeFile(const char* fileName);

} // namespace runtime
