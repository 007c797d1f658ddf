// The clipboard's whole content, saved so that it can be put back byte for byte: every format the
// owner placed whose data is bytes of its own (memory blocks, enhanced metafiles). Which ones,
// and why, is decided in SnapshotChoice.h. A content too large to save, or an owner that does not
// render it in time, gives no snapshot at all: a part of it put back would lose the rest.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <vector>

namespace runtime {

// The most a snapshot holds, every saved format together. Under Wine a press pays about 2.5 ms
// for each MiB it saves and as much again to put it back; this much holds a 4K screenshot at 32
// bits a pixel beside its other forms, or a large spreadsheet copy's text forms, at some 350 ms,
// and leaves a 32-bit process room for the system's own copy of each block while it is read.
inline constexpr std::size_t kMostSnapshotBytes = std::size_t{64} << 20;
// How long a press waits for the clipboard's owner to render a format it offered unrendered: as
// long as it waits for the hot key's release.
inline constexpr DWORD kOwnerRenderMilliseconds = 2000;

// A saved format's bytes, held without the allocation-failure report: a block the process cannot
// have makes the snapshot incomplete instead of ending the program. Copies share the bytes, which
// never change once read: the content put back and held for later rendering is also the next
// press's snapshot, without a second copy of tens of MiB.
class SavedBytes {
public:
    // Room for `size` bytes, replacing what it held; null when the process has none.
    unsigned char* Allocate(std::size_t size);
    const unsigned char* data() const { return bytes.get(); }
    std::size_t size() const { return length; }

private:
    std::shared_ptr<unsigned char[]> bytes;
    std::size_t length = 0;
};

struct SavedFormat {
    UINT format = 0;
    bool enhancedMetafile = false;
    SavedBytes bytes;
};

enum class SnapshotOutcome {
    Whole,       // every format to save is saved
    TooLarge,    // over the bound, or more than the process could hold
    NotRendered, // the owner did not render a format in time
    Busy,        // the clipboard could not be opened
};

class ClipboardSnapshot {
public:
    // Reads the clipboard that a ClipboardGuard holds open, in the order it lists its formats, at
    // most `mostBytes` of them.
    static ClipboardSnapshot TakeFromOpenClipboard(std::size_t mostBytes = kMostSnapshotBytes);

    // Opens the clipboard for `opener` (a window of the calling thread) and reads it on a thread
    // of its own, and waits for it at most `renderMilliseconds`, handling the messages other
    // threads send to this one meanwhile. The window is named because Wine lets a second opener
    // with the same window (no window, say) in, where Windows refuses every other thread.
    // Asking for a format the owner has not rendered yet sends the owner WM_RENDERFORMAT and
    // waits for its answer with no time-out, so an owner that hangs would hang the reader.
    static ClipboardSnapshot Take(HWND opener, std::size_t mostBytes = kMostSnapshotBytes,
                                  DWORD renderMilliseconds = kOwnerRenderMilliseconds);

    // A snapshot that saved nothing, for the reason given.
    static ClipboardSnapshot Failed(SnapshotOutcome outcome);

    // Puts every saved format on the open clipboard, which the caller has emptied, in the saved
    // order. False when the system refused a format; the others are put back all the same.
    bool PutOnOpenClipboard() const;
    // Puts one saved format on the open clipboard in a block of its own; false when refused.
    static bool PutFormatOnOpenClipboard(const SavedFormat& saved);
    // Every saved format's bytes together.
    std::size_t Bytes() const;

    const std::vector<SavedFormat>& Formats() const { return formats; }
    SnapshotOutcome Outcome() const { return outcome; }
    bool IsWhole() const { return outcome == SnapshotOutcome::Whole; }
    // The clipboard's sequence number while it was read, or since it was put back whole.
    DWORD Sequence() const { return sequence; }
    void PutBackAt(DWORD now) { sequence = now; }

private:
    std::vector<SavedFormat> formats;
    SnapshotOutcome outcome = SnapshotOutcome::Whole;
    DWORD sequence = 0;
};

} // namespace runtime
