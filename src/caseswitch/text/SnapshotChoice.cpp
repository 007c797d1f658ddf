#include "caseswitch/text/SnapshotChoice.h"

#include <algorithm>
#include <string_view>

#include "caseswitch/text/AsciiNames.h"

namespace runtime {
namespace {

bool Contains(const std::vector<std::uint32_t>& formats, std::uint32_t id) {
    return std::find(formats.begin(), formats.end(), id) != formats.end();
}

// What Wine adds when the owner closes the clipboard after placing `placed`.
std::vector<std::uint32_t> WineSynthesis(const std::vector<std::uint32_t>& placed) {
    using namespace format;
    // Each row: the format, then the formats it is made from, in Wine's order.
    static constexpr std::uint32_t kRows[][3] = {
        {kText, kOemText, kUnicodeText},
        {kOemText, kUnicodeText, kText},
        {kUnicodeText, kText, kOemText},
        {kMetafilePicture, kEnhancedMetafile, 0},
        {kEnhancedMetafile, kMetafilePicture, 0},
        {kBitmap, kDib, kDibV5},
        {kDib, kBitmap, kDibV5},
        {kDibV5, kBitmap, kDib},
    };
    std::vector<std::uint32_t> added;
    const bool hasText = Contains(placed, kText) || Contains(placed, kOemText) || Contains(placed, kUnicodeText);
    if (hasText && !Contains(placed, kLocale)) added.push_back(kLocale);
    for (const auto& row : kRows) {
        if (Contains(placed, row[0])) continue;
        if (Contains(placed, row[1]) || (row[2] != 0 && Contains(placed, row[2]))) added.push_back(row[0]);
    }
    return added;
}

bool IsLinkFormat(std::string_view name) {
    static constexpr std::string_view kLinkFormats[] = {
        "Link Source", "Link Source Descriptor", "ObjectLink", "OwnerLink", "DataObject", "Ole Private Data"};
    return std::any_of(std::begin(kLinkFormats), std::end(kLinkFormats),
                       [&](std::string_view link) { return SameAsciiName(link, name); });
}

// Formats whose data is no bytes of their own, or that mean nothing once their copier is gone.
bool NeverSaved(const ListedFormat& listed) {
    using namespace format;
    switch (listed.id) {
    case kBitmap:
    case kMetafilePicture:
    case kPalette:
    case kOwnerDisplay:
    case kDisplayBitmap:
    case kDisplayMetafilePicture:
    case kDisplayEnhancedMetafile:
        return true;
    default:
        break;
    }
    // Private formats carry handles the system neither frees nor understands; GDI object formats
    // carry objects, not bytes.
    if (listed.id >= kPrivateFirst && listed.id <= kGdiObjectLast) return true;
    return IsLinkFormat(listed.name);
}

bool IsBitmapMemory(std::uint32_t id) {
    return id == format::kDib || id == format::kDibV5;
}

} // namespace

std::size_t PlacedUnderWine(const std::vector<std::uint32_t>& listed) {
    for (std::size_t placed = 0; placed < listed.size(); ++placed) {
        const std::vector<std::uint32_t> owners(listed.begin(), listed.begin() + static_cast<std::ptrdiff_t>(placed));
        const std::vector<std::uint32_t> rest(listed.begin() + static_cast<std::ptrdiff_t>(placed), listed.end());
        if (WineSynthesis(owners) == rest) return placed;
    }
    return listed.size();
}

std::vector<FormatToSave> ChooseFormatsToSave(const std::vector<ListedFormat>& listed, std::size_t placed) {
    placed = std::min(placed, listed.size());
    const auto placedAny = [&](bool (*member)(std::uint32_t)) {
        return std::any_of(listed.begin(), listed.begin() + static_cast<std::ptrdiff_t>(placed),
                           [&](const ListedFormat& format) { return member(format.id); });
    };
    bool bitmapKept = placedAny(&IsBitmapMemory);
    bool metafileKept = placedAny([](std::uint32_t id) { return id == format::kEnhancedMetafile; });
    std::vector<FormatToSave> chosen;
    for (std::size_t i = 0; i < listed.size(); ++i) {
        const std::uint32_t id = listed[i].id;
        if (NeverSaved(listed[i])) continue;
        if (i >= placed) {
            // Synthesised: the locale is data of its own; a bitmap or metafile placed only as a
            // handle survives through one memory form.
            if (id == format::kLocale) {
                // kept below
            } else if (IsBitmapMemory(id) && !bitmapKept) {
                bitmapKept = true;
            } else if (id == format::kEnhancedMetafile && !metafileKept) {
                metafileKept = true;
            } else {
                continue;
            }
        }
        chosen.push_back({id, id == format::kEnhancedMetafile});
    }
    return chosen;
}

bool PutBackLater(std::size_t formatBytes, std::size_t contentBytes) {
    return contentBytes > kPutBackAtOnceBytes && formatBytes > kSmallFormatBytes;
}

} // namespace runtime
