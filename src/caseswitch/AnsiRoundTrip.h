// Whether a Unicode text can go through the ANSI code page and come back as it was, and the
// conversions between the clipboard's text forms.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace runtime {

// `length` bytes in `codePage` as UTF-16.
std::wstring WideFromCodePage(UINT codePage, const char* bytes, std::size_t length);
// The ANSI form of a Unicode text, as the system makes CF_TEXT from CF_UNICODETEXT: characters
// the code page lacks become its default character.
std::string AnsiFromWide(const std::wstring& text);

// False when a character has no form in the ANSI code page (code page 936 here) or comes back as
// another one.
bool SurvivesAnsiCodePage(const std::wstring& text);

} // namespace runtime
