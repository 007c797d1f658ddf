#include "caseswitch/clipboard/CopiedContent.h"

#include <cstring>

#include "caseswitch/clipboard/AnsiRoundTrip.h"
#include "caseswitch/clipboard/ClipboardGuard.h"
#include "caseswitch/keys/WindowClass.h"

namespace runtime {
namespace {

bool SameName(const std::string& name, const char* wanted) {
    return lstrcmpiA(name.c_str(), wanted) == 0;
}

// The rich forms the offer converts beside the text.
bool IsRichForm(const std::string& name) {
    return SameName(name, "Rich Text Format") || SameName(name, "HTML Format");
}

} // namespace

TextForms TextFormsOf(UINT format, const unsigned char* data, std::size_t size) {
    TextForms forms;
    if (format == CF_UNICODETEXT) {
        const auto* units = reinterpret_cast<const wchar_t*>(data);
        const std::size_t limit = size / sizeof(wchar_t);
        std::size_t length = 0;
        while (length < limit && units[length] != L'\0')
            ++length;
        forms.unicode.assign(units, length);
        forms.ansi = AnsiFromWide(forms.unicode);
        return forms;
    }
    const char* bytes = reinterpret_cast<const char*>(data);
    const void* end = std::memchr(bytes, '\0', size);
    const std::size_t length = end ? static_cast<std::size_t>(static_cast<const char*>(end) - bytes) : size;
    forms.unicode = WideFromCodePage(format == CF_OEMTEXT ? CP_OEMCP : CP_ACP, bytes, length);
    forms.ansi = format == CF_OEMTEXT ? AnsiFromWide(forms.unicode) : std::string(bytes, length);
    return forms;
}

CopiedContent ReadOpenClipboardCopy() {
    CopiedContent copy;
    std::vector<ListedFormat> listed = ListOpenClipboardFormats();
    std::vector<unsigned char> bytes;
    // Under Wine every read of a synthesised format, and every second read of one format within
    // one opening, costs memory that is never given back: each format is read once, the text in
    // the one form chosen (the other form is made from it here).
    for (ListedFormat& format : listed) {
        if (!FormatDataDecides(format.name) && !IsRichForm(format.name)) continue;
        if (ReadOpenClipboardBytes(format.id, bytes)) format.data.assign(bytes.begin(), bytes.end());
    }
    const UINT textFormat = TextFormatToRead(listed);
    if (textFormat != 0 && ReadOpenClipboardBytes(textFormat, bytes))
        copy.text = TextFormsOf(textFormat, bytes.data(), bytes.size());
    char foregroundClass[256] = {};
    copy.verdict = JudgeCopy(listed, {WindowClassOf(GetForegroundWindow(), foregroundClass), copy.text.ansi});
    if (copy.verdict != CopyVerdict::Text) return copy;
    for (ListedFormat& format : listed) {
        if (!IsRichForm(format.name) || format.data.empty()) continue;
        copy.rich.push_back({format.id, std::move(format.data), SameName(format.name, "HTML Format")});
    }
    return copy;
}

} // namespace runtime
