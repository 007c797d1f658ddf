#include "caseswitch/clipboard/ConvertedOffer.h"

#include <cstring>
#include <optional>

#include "caseswitch/clipboard/AnsiRoundTrip.h"
#include "caseswitch/text/CaseConversion.h"
#include "caseswitch/text/HtmlText.h"
#include "caseswitch/text/RtfText.h"

namespace runtime {
namespace {

std::vector<unsigned char> Bytes(const void* data, std::size_t size) {
    const auto* start = static_cast<const unsigned char*>(data);
    return std::vector<unsigned char>(start, start + size);
}

std::vector<unsigned char> UnicodeOffer(const CopiedContent& copy, const char* converted, LetterCase letterCase) {
    std::wstring text;
    if (!copy.text.unicode.empty() && !SurvivesAnsiCodePage(copy.text.unicode)) {
        text = copy.text.unicode;
        static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");
        ConvertCaseWide(letterCase, reinterpret_cast<const char16_t*>(text.data()), text.size(),
                        reinterpret_cast<char16_t*>(text.data()));
    } else {
        text = WideFromCodePage(kProgramCodePage, converted, std::strlen(converted));
    }
    return Bytes(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

} // namespace

std::vector<OfferedFormat> MakeConvertedOffer(const CopiedContent& copy, const char* converted, bool toLower) {
    const LetterCase letterCase = toLower ? LetterCase::Lower : LetterCase::Upper;
    converted = converted ? converted : "";
    std::vector<OfferedFormat> offer;
    for (const RichForm& rich : copy.rich) {
        const std::optional<std::string> document =
            rich.html ? ConvertHtmlCase(letterCase, rich.bytes) : ConvertRtfCase(letterCase, rich.bytes);
        if (document) offer.push_back({rich.format, Bytes(document->data(), document->size()), true});
    }
    offer.push_back({CF_UNICODETEXT, UnicodeOffer(copy, converted, letterCase), true});
    offer.push_back({CF_TEXT, Bytes(converted, std::strlen(converted) + 1), true});
    // Small and read by the system itself when it converts between text forms: handed over at once.
    const DWORD locale = kProgramLocale;
    offer.push_back({CF_LOCALE, Bytes(&locale, sizeof locale), false});
    return offer;
}

} // namespace runtime
