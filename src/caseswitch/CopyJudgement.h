// What the case switch leaves alone: copies that plain text cannot stand for, and windows that
// must not receive keystrokes. Platform-free, so that the tables are tested natively.
#pragma once

#include <string_view>
#include <vector>

#include "caseswitch/ClipboardFormats.h"

namespace runtime {

enum class CopyVerdict {
    Text,         // convert and paste it
    NoText,       // nothing that is text: a picture, files
    NotPlainText, // text, but with content a plain text paste would lose or misplace
};

// Whether a listed format's data must be read to judge the copy (ListedFormat::data).
bool FormatDataDecides(std::string_view formatName);

CopyVerdict JudgeCopy(const std::vector<ListedFormat>& listed);

// Console and terminal windows: a Ctrl+C there with nothing selected interrupts the running
// program, and a paste lands at the prompt, where the shell runs it.
bool IsConsoleWindowClass(std::string_view className);

} // namespace runtime
