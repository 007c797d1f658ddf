// Icon file reading and tip cutting on arbitrary bytes: no read may leave the input, and what
// comes back must lie inside it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tray/IconFile.h"
#include "tray/TrayTip.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > INT32_MAX) return 0;
    const auto length = static_cast<std::int32_t>(size);
    for (const int preference : {runtime::kPreferSmallImage, runtime::kPreferLargeImage}) {
        const auto image = runtime::LocateIconImage(data, length, preference);
        if (!image) continue;
        Check(image->size >= 16);
        Check(static_cast<std::uint64_t>(image->offset) + image->size <= size);
    }

    const std::string tip(reinterpret_cast<const char*>(data), size);
    char field[runtime::kTrayTipFieldSize];
    const std::size_t kept = runtime::FillTrayTip(tip.c_str(), field);
    Check(kept <= runtime::kTrayTipMaxBytes);
    Check(std::memcmp(field, tip.c_str(), kept) == 0);
    for (std::size_t i = kept; i < sizeof field; ++i) {
        Check(field[i] == '\0');
    }
    // The kept bytes end on a character boundary.
    std::size_t at = 0;
    while (at < kept) {
        at += static_cast<unsigned char>(field[at]) >= 0x80 ? 2 : 1;
    }
    Check(at == kept);
    return 0;
}
