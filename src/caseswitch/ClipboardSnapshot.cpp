#include "caseswitch/ClipboardSnapshot.h"

#include <climits>
#include <cstdint>

#include "caseswitch/ClipboardGuard.h"
#include "caseswitch/SnapshotChoice.h"

namespace runtime {
namespace {

// Wine lists the formats it synthesises after the placed ones (see PlacedUnderWine); Windows
// gives no such order, so there every listed format counts as placed and is read.
bool RunningOnWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool ReadEnhancedMetafile(std::vector<unsigned char>& bytes) {
    HENHMETAFILE metafile = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
    if (!metafile) return false;
    const UINT size = GetEnhMetaFileBits(metafile, 0, nullptr);
    if (size == 0) return false;
    bytes.resize(size);
    return GetEnhMetaFileBits(metafile, size, bytes.data()) == size;
}

bool PutEnhancedMetafile(const std::vector<unsigned char>& bytes) {
    // A UINT counts the bytes: a longer picture (64-bit only) would be cut short, so it is not put back.
    if (static_cast<std::uint64_t>(bytes.size()) > UINT_MAX) return false;
    HENHMETAFILE metafile = SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
    if (!metafile) return false;
    if (SetClipboardData(CF_ENHMETAFILE, metafile)) return true;
    DeleteEnhMetaFile(metafile);
    return false;
}

} // namespace

ClipboardSnapshot ClipboardSnapshot::TakeFromOpenClipboard() {
    const std::vector<ListedFormat> listed = ListOpenClipboardFormats();
    std::size_t placed = listed.size();
    if (RunningOnWine()) {
        std::vector<std::uint32_t> ids;
        ids.reserve(listed.size());
        for (const ListedFormat& format : listed)
            ids.push_back(format.id);
        placed = PlacedUnderWine(ids);
    }
    ClipboardSnapshot snapshot;
    for (const FormatToSave& chosen : ChooseFormatsToSave(listed, placed)) {
        SavedFormat saved{chosen.id, chosen.enhancedMetafile, {}};
        const bool read = saved.enhancedMetafile ? ReadEnhancedMetafile(saved.bytes)
                                                 : ReadOpenClipboardBytes(saved.format, saved.bytes);
        if (read) snapshot.formats.push_back(std::move(saved));
    }
    return snapshot;
}

bool ClipboardSnapshot::PutOnOpenClipboard() const {
    bool allPut = true;
    for (const SavedFormat& saved : formats) {
        const bool put = saved.enhancedMetafile ? PutEnhancedMetafile(saved.bytes)
                                                : PutOpenClipboardBytes(saved.format, saved.bytes);
        allPut = allPut && put;
    }
    return allPut;
}

} // namespace runtime
