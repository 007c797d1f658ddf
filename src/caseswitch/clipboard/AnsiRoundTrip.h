// Whether a Unicode text can go through the program's code page and come back as it was, and the
// conversions between the clipboard's text forms.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace runtime {

// Every text of the program is code page 936 (GBK), whatever the system's ANSI code page.
inline constexpr UINT kProgramCodePage = 936;
// The locale whose ANSI code page that is (Chinese, PRC), for CF_LOCALE.
inline constexpr DWORD kProgramLocale = 0x0804;

// `length` bytes in `codePage` as UTF-16.
std::wstring WideFromCodePage(UINT codePage, const char* bytes, std::size_t length);
// The program's form of a Unicode text, as the system makes CF_TEXT from CF_UNICODETEXT under the
// program's locale: characters the code page lacks become its default character.
std::string AnsiFromWide(const std::wstring& text);

// False when a character has no form in the program's code page or comes back as another one.
bool SurvivesAnsiCodePage(const std::wstring& text);

} // namespace runtime
