// What the copy keystroke put on the clipboard, as far as a press needs it: whether it is plain
// text the press may convert, the text in both forms, and the rich forms (RTF, HTML) to convert
// beside it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "caseswitch/text/CopyJudgement.h"

namespace runtime {

// A text in both of the forms the exchange works with: code page 936 bytes and UTF-16.
struct TextForms {
    std::string ansi;
    std::wstring unicode;
};

// The text of one text format's bytes (CF_TEXT, CF_OEMTEXT or CF_UNICODETEXT), up to the NUL or
// the end of the block, with the other form made as the system would make it.
TextForms TextFormsOf(UINT format, const unsigned char* data, std::size_t size);

struct RichForm {
    UINT format = 0;
    std::string bytes;
    bool html = false; // "HTML Format"; otherwise "Rich Text Format"
};

struct CopiedContent {
    CopyVerdict verdict = CopyVerdict::NoText;
    TextForms text;
    std::vector<RichForm> rich; // in the order the copier listed them
};

// Reads the copy from the clipboard that a ClipboardGuard holds open, and judges it by its formats
// and by the foreground window (the copier). Each format is read once, and of the text formats
// only one: the Unicode text whenever the copier placed it, else the one it placed.
CopiedContent ReadOpenClipboardCopy();

} // namespace runtime
