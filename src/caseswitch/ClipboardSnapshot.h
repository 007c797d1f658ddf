// The clipboard's whole content, saved so that it can be put back byte for byte: every format that
// is a copy of its own (memory blocks, enhanced metafiles), none that the system synthesises from
// another, and none that only points back into the program that copied (OLE links, private
// handles, GDI objects).
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

namespace runtime {

struct SavedFormat {
    enum class Kind { Memory, EnhancedMetafile };
    UINT format = 0;
    Kind kind = Kind::Memory;
    std::vector<unsigned char> bytes;
};

class ClipboardSnapshot {
public:
    // Reads the clipboard that a ClipboardGuard holds open, in the order it lists its formats
    // (the order programs put them there, synthesised ones after their sources).
    static ClipboardSnapshot TakeFromOpenClipboard();

    // Puts every saved format on the open clipboard, which the caller has emptied, in the saved
    // order. False when the system refused a format; the others are put back all the same.
    bool PutOnOpenClipboard() const;

    const std::vector<SavedFormat>& Formats() const { return formats; }

private:
    std::vector<SavedFormat> formats;
};

// Which of the listed formats a snapshot keeps, and as what: the first of each family of formats
// the system converts between (the text formats, the bitmap formats, the metafile formats) stands
// for the family, since the rest are made from it. A bitmap handle is kept as its DIB.
std::vector<SavedFormat> ChooseFormatsToSave(const std::vector<UINT>& listed);

} // namespace runtime
