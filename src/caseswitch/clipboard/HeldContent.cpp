#include "caseswitch/clipboard/HeldContent.h"

#include "caseswitch/text/SnapshotChoice.h"

namespace runtime {

bool HeldContent::PutOnOpenClipboard(const ClipboardSnapshot& put) {
    content = put;
    held = true;
    sequenceKnown = false;
    const std::vector<SavedFormat>& formats = content.Formats();
    const std::size_t bytes = content.Bytes();
    waiting.assign(formats.size(), false);
    bool allPut = true;
    for (std::size_t i = 0; i < formats.size(); ++i) {
        if (!PutBackLater(formats[i].bytes.size(), bytes)) {
            allPut = ClipboardSnapshot::PutFormatOnOpenClipboard(formats[i]) && allPut;
            continue;
        }
        SetClipboardData(formats[i].format, nullptr);
        waiting[i] = IsClipboardFormatAvailable(formats[i].format) != FALSE;
        allPut = allPut && waiting[i];
    }
    return allPut;
}

void HeldContent::NoteSequence(DWORD now) {
    if (!held || sequenceKnown) return;
    sequence = now;
    sequenceKnown = true;
    // A press that takes it as its snapshot looks for its copy from this moment on.
    content.PutBackAt(now);
}

bool HeldContent::Pending() const {
    for (bool format : waiting) {
        if (format) return true;
    }
    return false;
}

bool HeldContent::Render(UINT format) {
    const std::vector<SavedFormat>& formats = content.Formats();
    for (std::size_t i = 0; i < formats.size(); ++i) {
        if (formats[i].format != format || !waiting[i]) continue;
        waiting[i] = false;
        ClipboardSnapshot::PutFormatOnOpenClipboard(formats[i]);
        return true;
    }
    return false;
}

void HeldContent::RenderAll() {
    const std::vector<SavedFormat>& formats = content.Formats();
    for (std::size_t i = 0; i < formats.size(); ++i) {
        if (waiting[i]) Render(formats[i].format);
    }
}

void HeldContent::RequestAll() const {
    const std::vector<SavedFormat>& formats = content.Formats();
    // Each answer clears its mark while this runs.
    for (std::size_t i = 0; i < formats.size(); ++i) {
        if (waiting[i]) GetClipboardData(formats[i].format);
    }
}

bool HeldContent::Current(DWORD now) const {
    return held && sequenceKnown && now == sequence;
}

void HeldContent::Drop() {
    content = ClipboardSnapshot();
    waiting.clear();
    held = false;
    sequenceKnown = false;
}

} // namespace runtime
