#include "caseswitch/clipboard/AnsiRoundTrip.h"

#include <windows.h>

#include <climits>
#include <string>

namespace runtime {

// The conversions count in int: a longer text (only a 64-bit process meets one) is refused, never
// converted in part.

std::wstring WideFromCodePage(UINT codePage, const char* bytes, std::size_t length) {
    if (length == 0 || length > INT_MAX) return {};
    const int byteCount = static_cast<int>(length);
    const int wideLength = MultiByteToWideChar(codePage, 0, bytes, byteCount, nullptr, 0);
    if (wideLength <= 0) return {};
    std::wstring text(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(codePage, 0, bytes, byteCount, text.data(), wideLength);
    return text;
}

std::string AnsiFromWide(const std::wstring& text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int wideLength = static_cast<int>(text.size());
    const int ansiLength =
        WideCharToMultiByte(kProgramCodePage, 0, text.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (ansiLength <= 0) return {};
    std::string ansi(static_cast<std::size_t>(ansiLength), '\0');
    WideCharToMultiByte(kProgramCodePage, 0, text.data(), wideLength, ansi.data(), ansiLength, nullptr, nullptr);
    return ansi;
}

bool SurvivesAnsiCodePage(const std::wstring& text) {
    if (text.empty()) return true;
    if (text.size() > INT_MAX) return false;
    const int wideLength = static_cast<int>(text.size());
    // No best-fit mapping: a character that only resembles one of the code page's must count as lost.
    BOOL usedDefault = FALSE;
    const int ansiLength = WideCharToMultiByte(kProgramCodePage, WC_NO_BEST_FIT_CHARS, text.data(), wideLength, nullptr,
                                               0, nullptr, &usedDefault);
    if (ansiLength <= 0 || usedDefault) return false;
    std::string ansi(static_cast<std::size_t>(ansiLength), '\0');
    WideCharToMultiByte(kProgramCodePage, WC_NO_BEST_FIT_CHARS, text.data(), wideLength, ansi.data(), ansiLength,
                        nullptr, &usedDefault);
    if (usedDefault) return false;
    const int backLength = MultiByteToWideChar(kProgramCodePage, 0, ansi.data(), ansiLength, nullptr, 0);
    if (backLength != wideLength) return false;
    std::wstring back(static_cast<std::size_t>(backLength), L'\0');
    MultiByteToWideChar(kProgramCodePage, 0, ansi.data(), ansiLength, back.data(), backLength);
    return back == text;
}

} // namespace runtime
