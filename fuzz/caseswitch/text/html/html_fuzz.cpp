// The HTML clipboard converter on arbitrary payloads: the first byte picks the direction, the rest
// is the payload. Nothing outside the fragment's text may change, the header's offsets stay true,
// and the text must change as its plain text does.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "../TextOracle.h"
#include "caseswitch/text/HtmlText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const auto letterCase = (data[0] & 1) != 0 ? runtime::LetterCase::Lower : runtime::LetterCase::Upper;
    const std::string_view payload(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto header = runtime::ReadHtmlClipboardHeader(payload);
    const auto before = runtime::FindHtmlText(payload);
    const auto converted = runtime::ConvertHtmlCase(letterCase, payload);
    fuzz::Check(header.has_value() == before.has_value() && before.has_value() == converted.has_value());
    if (!converted) return 0;
    fuzz::Check(converted->size() == payload.size() && runtime::ReadHtmlClipboardHeader(*converted) == header);
    for (const runtime::TextPiece& piece : *before) {
        fuzz::Check(piece.offset >= static_cast<std::size_t>(header->startFragment) &&
                    piece.offset < static_cast<std::size_t>(header->endFragment));
    }
    const auto after = runtime::FindHtmlText(*converted);
    fuzz::Check(after.has_value());
    fuzz::CheckConversion(payload, *before, *converted, *after, letterCase);
    return 0;
}
