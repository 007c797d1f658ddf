// The RTF converter on arbitrary documents: the first byte picks the direction, the rest is the
// document. Nothing outside the text may change, and the text must change as its plain text does.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "../TextOracle.h"
#include "caseswitch/text/RtfText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const auto letterCase = (data[0] & 1) != 0 ? runtime::LetterCase::Lower : runtime::LetterCase::Upper;
    const std::string_view document(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto before = runtime::FindRtfText(document);
    const auto converted = runtime::ConvertRtfCase(letterCase, document);
    fuzz::Check(before.has_value() == converted.has_value());
    if (!converted) return 0;
    const auto after = runtime::FindRtfText(*converted);
    fuzz::Check(after.has_value());
    fuzz::CheckConversion(document, *before, *converted, *after, letterCase);
    return 0;
}
