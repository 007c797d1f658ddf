// Clipboard text in the ANSI text format (CF_TEXT, code page 936 bytes).
#pragma once

#include "runtime/Runtime.h"

namespace runtime {

// The clipboard's text as a new memory block (ReleaseMemory); null (the empty text) when the
// clipboard holds no text, holds the empty string, or stays busy for longer than a short wait.
Text GetClipboardText();

// Replaces the whole clipboard content by `text` (null counts as the empty string). True once
// the clipboard has accepted the text; false when it stayed busy (nothing changed), when no
// memory block could be had or when the clipboard refused the block (it is left empty then).
bool SetClipboardText(const char* text);

} // namespace runtime
