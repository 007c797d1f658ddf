#include "tray/IconFromBytes.h"

#include <cstring>
#include <memory>
#include <new>

#include "tray/IconFile.h"

namespace runtime {
namespace {

constexpr DWORD kIconFormatVersion = 0x00030000;

} // namespace

HICON IconFromBytes(const std::uint8_t* bytes, std::int32_t length, int sizePreference) {
    const std::optional<IconImage> image = LocateIconImage(bytes, length, sizePreference);
    if (!image) return nullptr;
    // The system takes the image through a writable pointer; it gets a copy, never the caller's
    // bytes, which may lie in read-only constant data.
    std::unique_ptr<BYTE[]> copy(new (std::nothrow) BYTE[image->size]);
    if (!copy) return nullptr;
    std::memcpy(copy.get(), bytes + image->offset, image->size);

    HICON icon = CreateIconFromResourceEx(copy.get(), image->size, TRUE, kIconFormatVersion, image->width,
                                          image->height, LR_DEFAULTCOLOR);
    if (!icon && image->bitsPerPixel != 16) {
        icon = CreateIconFromResource(copy.get(), image->size, TRUE, kIconFormatVersion);
    }
    return icon;
}

} // namespace runtime
