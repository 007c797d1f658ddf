#include "caseswitch/ClipboardSnapshot.h"

#include <algorithm>
#include <cstring>

#include "caseswitch/ClipboardGuard.h"

namespace runtime {
namespace {

enum class Family { Text, Bitmap, Metafile, Skipped, Memory };

// Registered formats that name a link to, or an object inside, the program that copied: put back
// later they would point at whatever that program holds by then.
bool IsLinkFormat(UINT format) {
    static const char* const kLinkFormats[] = {"Link Source", "Link Source Descriptor", "ObjectLink", "OwnerLink",
                                               "DataObject",  "Ole Private Data"};
    char name[128];
    const int length = GetClipboardFormatNameA(format, name, sizeof name);
    if (length <= 0) return false;
    for (const char* link : kLinkFormats) {
        if (lstrcmpiA(name, link) == 0) return true;
    }
    return false;
}

Family FamilyOf(UINT format) {
    switch (format) {
    case CF_TEXT:
    case CF_OEMTEXT:
    case CF_UNICODETEXT:
        return Family::Text;
    case CF_BITMAP:
    case CF_DIB:
    case CF_DIBV5:
        return Family::Bitmap;
    case CF_METAFILEPICT:
    case CF_ENHMETAFILE:
        return Family::Metafile;
    // Made from a DIB; a display format for the clipboard viewer; handles of the copying program.
    case CF_PALETTE:
    case CF_OWNERDISPLAY:
    case CF_DSPBITMAP:
    case CF_DSPMETAFILEPICT:
    case CF_DSPENHMETAFILE:
        return Family::Skipped;
    default:
        break;
    }
    // Private formats carry handles the system neither frees nor understands; GDI object formats
    // carry objects, not bytes.
    if (format >= CF_PRIVATEFIRST && format <= CF_GDIOBJLAST) return Family::Skipped;
    if (format >= 0xC000 && IsLinkFormat(format)) return Family::Skipped;
    return Family::Memory;
}

bool ReadMemoryFormat(UINT format, std::vector<unsigned char>& bytes) {
    HANDLE data = GetClipboardData(format);
    if (!data) return false;
    GlobalLockGuard lock(data);
    if (!lock.IsLocked()) return false;
    const unsigned char* start = static_cast<const unsigned char*>(lock.Data());
    bytes.assign(start, start + lock.Size());
    return true;
}

bool ReadEnhancedMetafile(std::vector<unsigned char>& bytes) {
    HENHMETAFILE metafile = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
    if (!metafile) return false;
    const UINT size = GetEnhMetaFileBits(metafile, 0, nullptr);
    if (size == 0) return false;
    bytes.resize(size);
    return GetEnhMetaFileBits(metafile, size, bytes.data()) == size;
}

bool PutMemoryFormat(UINT format, const std::vector<unsigned char>& bytes) {
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
    if (!block) return false;
    if (!bytes.empty()) {
        GlobalLockGuard lock(block.Get());
        if (!lock.IsLocked()) return false;
        std::memcpy(lock.Data(), bytes.data(), bytes.size());
    }
    if (!SetClipboardData(format, block.Get())) return false;
    block.Release();
    return true;
}

bool PutEnhancedMetafile(const std::vector<unsigned char>& bytes) {
    HENHMETAFILE metafile = SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
    if (!metafile) return false;
    if (SetClipboardData(CF_ENHMETAFILE, metafile)) return true;
    DeleteEnhMetaFile(metafile);
    return false;
}

} // namespace

std::vector<SavedFormat> ChooseFormatsToSave(const std::vector<UINT>& listed) {
    const auto isListed = [&](UINT format) { return std::find(listed.begin(), listed.end(), format) != listed.end(); };
    std::vector<SavedFormat> chosen;
    bool textChosen = false;
    bool bitmapChosen = false;
    bool metafileChosen = false;
    for (UINT format : listed) {
        switch (FamilyOf(format)) {
        case Family::Text:
            if (!textChosen) chosen.push_back({format, SavedFormat::Kind::Memory, {}});
            textChosen = true;
            break;
        case Family::Bitmap:
            if (!bitmapChosen) {
                // A bitmap handle belongs to the copying program's GDI; its DIB form is bytes.
                if (format != CF_BITMAP) {
                    chosen.push_back({format, SavedFormat::Kind::Memory, {}});
                } else if (isListed(CF_DIB)) {
                    chosen.push_back({CF_DIB, SavedFormat::Kind::Memory, {}});
                }
            }
            bitmapChosen = true;
            break;
        case Family::Metafile:
            // A metafile picture holds a metafile handle; the enhanced form is bytes, and the
            // system makes the picture from it again.
            if (!metafileChosen && isListed(CF_ENHMETAFILE)) {
                chosen.push_back({CF_ENHMETAFILE, SavedFormat::Kind::EnhancedMetafile, {}});
            }
            metafileChosen = true;
            break;
        case Family::Memory:
            chosen.push_back({format, SavedFormat::Kind::Memory, {}});
            break;
        case Family::Skipped:
            break;
        }
    }
    return chosen;
}

ClipboardSnapshot ClipboardSnapshot::TakeFromOpenClipboard() {
    std::vector<UINT> listed;
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
        listed.push_back(format);
    }
    ClipboardSnapshot snapshot;
    for (SavedFormat& saved : ChooseFormatsToSave(listed)) {
        const bool read = saved.kind == SavedFormat::Kind::EnhancedMetafile
                              ? ReadEnhancedMetafile(saved.bytes)
                              : ReadMemoryFormat(saved.format, saved.bytes);
        if (read) snapshot.formats.push_back(std::move(saved));
    }
    return snapshot;
}

bool ClipboardSnapshot::PutOnOpenClipboard() const {
    bool allPut = true;
    for (const SavedFormat& saved : formats) {
        const bool put = saved.kind == SavedFormat::Kind::EnhancedMetafile ? PutEnhancedMetafile(saved.bytes)
                                                                           : PutMemoryFormat(saved.format, saved.bytes);
        allPut = allPut && put;
    }
    return allPut;
}

} // namespace runtime
