// What a press offers for the paste: the converted text in every form the copy had that the press
// can convert, so that the target pastes its preferred one with nothing lost.
#pragma once

#include <vector>

#include "caseswitch/clipboard/CopiedContent.h"
#include "caseswitch/clipboard/ExchangeWindow.h"

namespace runtime {

// `converted` is the copy's text (code page 936) converted by the program, to lower case when
// `toLower`. The offer holds, in this order:
//   - each rich form of the copy (RTF, HTML) with its text converted the same way, where it reads
//     as a document of its kind;
//   - CF_UNICODETEXT: `converted` read in code page 936, or, when the copied Unicode text does not
//     survive code page 936, that text converted by the same rule, so that no character is lost;
//   - CF_TEXT: `converted`;
//   - CF_LOCALE naming code page 936's locale, so that no input language changes how a program
//     that converts between the text forms reads them.
std::vector<OfferedFormat> MakeConvertedOffer(const CopiedContent& copy, const char* converted, bool toLower);

} // namespace runtime
