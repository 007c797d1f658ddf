#include "caseswitch/CopiedContent.h"

#include <cstring>

#include "caseswitch/AnsiRoundTrip.h"
#include "caseswitch/ClipboardGuard.h"

namespace runtime {
namespace {

bool SameName(const std::string& name, const char* wanted) {
    return lstrcmpiA(name.c_str(), wanted) == 0;
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
    for (ListedFormat& format : listed) {
        if (!FormatDataDecides(format.name) || !ReadOpenClipboardBytes(format.id, bytes)) continue;
        format.data.assign(bytes.begin(), bytes.end());
    }
    copy.verdict = JudgeCopy(listed);
    if (copy.verdict != CopyVerdict::Text) return copy;
    bool textRead = false;
    for (const ListedFormat& format : listed) {
        // Under Wine every read of a synthesised format, and every second read of one format within
        // one opening, costs memory that is never given back: the first text format is the placed
        // one, and the other form is made from it here.
        if (format::IsText(format.id) && !textRead) {
            textRead = true;
            if (ReadOpenClipboardBytes(format.id, bytes))
                copy.text = TextFormsOf(format.id, bytes.data(), bytes.size());
        } else if (SameName(format.name, "Rich Text Format") || SameName(format.name, "HTML Format")) {
            if (ReadOpenClipboardBytes(format.id, bytes)) {
                copy.rich.push_back(
                    {format.id, std::string(bytes.begin(), bytes.end()), SameName(format.name, "HTML Format")});
            }
        }
    }
    return copy;
}

} // namespace runtime
