// Whether a Unicode text can go through the ANSI code page and come back as it was.
#pragma once

#include <string>

namespace runtime {

// False when a character has no form in the ANSI code page (code page 936 here) or comes back as
// another one.
bool SurvivesAnsiCodePage(const std::wstring& text);

} // namespace runtime
