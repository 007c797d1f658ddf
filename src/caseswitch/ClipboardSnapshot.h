// The clipboard's whole content, saved so that it can be put back byte for byte: every format the
// owner placed whose data is bytes of its own (memory blocks, enhanced metafiles). Which ones,
// and why, is decided in SnapshotChoice.h.
#pragma once

#include <windows.h>

#include <vector>

namespace runtime {

struct SavedFormat {
    UINT format = 0;
    bool enhancedMetafile = false;
    std::vector<unsigned char> bytes;
};

class ClipboardSnapshot {
public:
    // Reads the clipboard that a ClipboardGuard holds open, in the order it lists its formats.
    static ClipboardSnapshot TakeFromOpenClipboard();

    // Puts every saved format on the open clipboard, which the caller has emptied, in the saved
    // order. False when the system refused a format; the others are put back all the same.
    bool PutOnOpenClipboard() const;

    const std::vector<SavedFormat>& Formats() const { return formats; }

private:
    std::vector<SavedFormat> formats;
};

} // namespace runtime
