#include <windows.h>

#include "caseswitch/CopyJudgement.h"
#include "runtime/CaseSwitchCommands.h"

namespace runtime {

bool ForegroundIsConsole() {
    HWND foreground = GetForegroundWindow();
    if (!foreground) return false;
    char className[256];
    const int length = GetClassNameA(foreground, className, sizeof className);
    return length > 0 && IsConsoleWindowClass(std::string_view(className, static_cast<std::size_t>(length)));
}

} // namespace runtime
