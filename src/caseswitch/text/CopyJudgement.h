// What the case switch leaves alone: copies that plain text cannot stand for. Platform-free, so
// that the table is tested natively.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "caseswitch/text/ClipboardFormats.h"

namespace runtime {

enum class CopyVerdict {
    Text,         // convert and paste it
    NoText,       // nothing that is text: a picture, files
    NotPlainText, // text, but with content a plain text paste would lose or misplace
};

// What besides the formats tells a copy: some editors copy the whole current line when nothing
// is selected and say so in no format.
struct CopyContext {
    std::string_view foregroundClass; // the window class of the foreground window at the copy
    std::string_view text;            // the copy's text (its line breaks are all that is looked at)
};

// Whether a listed format's data must be read to judge the copy (ListedFormat::data).
bool FormatDataDecides(std::string_view formatName);

CopyVerdict JudgeCopy(const std::vector<ListedFormat>& listed, const CopyContext& context = {});

// The text format to read of those listed: CF_UNICODETEXT whenever the owner placed it, since
// the system's CF_TEXT made from it has already lost every character outside the ANSI code page;
// otherwise the first text format listed, the one the owner placed. 0 when none is listed.
std::uint32_t TextFormatToRead(const std::vector<ListedFormat>& listed);

} // namespace runtime
