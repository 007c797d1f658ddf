// The earlier content once a press is over, put back with its large formats only announced
// (delayed rendering): putting tens of MiB through the system costs as much as reading them did,
// and the press would wait for it although the next reader may never ask. The clipboard's owner,
// the exchange window, renders each format from the saved bytes when a reader asks; all of them
// when it goes (WM_RENDERALLFORMATS) or the session ends; and, so that nothing is lost when the
// program ends without either, soon after the press, by asking for them itself: the system then
// has them rendered as for any reader, which changes neither the clipboard's sequence number nor
// tells clipboard history and clipboard managers of a new content.
#pragma once

#include <windows.h>

#include <vector>

#include "caseswitch/clipboard/ClipboardSnapshot.h"

namespace runtime {

class HeldContent {
public:
    // For a clipboard its owner has just emptied and holds open: puts `content` back, each format
    // that SnapshotChoice.h's rule names announced only. False when the system refused a format.
    bool PutOnOpenClipboard(const ClipboardSnapshot& content);
    // The clipboard's sequence number once the put-back's clipboard was closed: until it changes,
    // the clipboard holds this content.
    void NoteSequence(DWORD sequence);
    // Whether a format still waits to be rendered.
    bool Pending() const;
    // In answer to WM_RENDERFORMAT: false when `format` is none of those waiting.
    bool Render(UINT format);
    // On the clipboard its owner holds open: renders every format still waiting.
    void RenderAll();
    // On the clipboard its owner holds open: asks for every format still waiting, which the system
    // passes on to the owner as WM_RENDERFORMAT.
    void RequestAll() const;
    // Whether the clipboard, at `sequence`, still holds the content put back, which a press then
    // takes as its snapshot without reading it again.
    bool Current(DWORD sequence) const;
    const ClipboardSnapshot& Content() const { return content; }
    // Another content replaced it: the memory goes back.
    void Drop();

private:
    ClipboardSnapshot content;
    std::vector<bool> waiting; // for each of content's formats
    bool held = false;
    bool sequenceKnown = false;
    DWORD sequence = 0;
};

} // namespace runtime
