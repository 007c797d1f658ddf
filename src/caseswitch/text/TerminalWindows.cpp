#include "caseswitch/text/TerminalWindows.h"

#include <algorithm>

#include "caseswitch/text/AsciiNames.h"

namespace runtime {
namespace {

// Window classes of terminals, with where each is named.
constexpr std::string_view kTerminalClasses[] = {
    "ConsoleWindowClass",            // the classic console window (conhost), Windows
    "CASCADIA_HOSTING_WINDOW_CLASS", // Windows Terminal (its source, IslandWindow)
    "WineConsoleClass",              // Wine's console window (programs/conhost)
    "mintty",                        // mintty: Git Bash, MSYS2, Cygwin (its manual: --class, default "mintty")
    "PuTTY",                         // PuTTY (its source: the window class is the program's name)
    "PuTTYtel",                      // PuTTYtel, PuTTY's Telnet-only build
    "KiTTY",                         // KiTTY, a fork of PuTTY
    "VirtualConsoleClass",           // ConEmu and Cmder, which runs ConEmu (ConEmu's documentation)
    "org.wezfurlong.wezterm",        // WezTerm (its documentation: the window class)
};

// Process images of terminals whose windows have a toolkit's class (Electron's
// Chrome_WidgetWin_1, winit's, Qt's, Delphi's), from each program's installed file names.
constexpr std::string_view kTerminalImages[] = {
    "mintty.exe",          // started with another --class
    "putty.exe",           // PuTTY and its builds, whatever the class
    "kitty.exe",           // KiTTY
    "ConEmu.exe",          // ConEmu, 32-bit
    "ConEmu64.exe",        // ConEmu, 64-bit
    "MobaXterm.exe",       // MobaXterm
    "Xshell.exe",          // Xshell (NetSarang)
    "SecureCRT.exe",       // SecureCRT (VanDyke)
    "Tabby.exe",           // Tabby (Electron)
    "wezterm-gui.exe",     // WezTerm's window program
    "alacritty.exe",       // Alacritty (winit)
    "Hyper.exe",           // Hyper (Electron)
    "WindowsTerminal.exe", // Windows Terminal, whatever its window class becomes
};

bool Listed(const std::string_view* first, const std::string_view* last, std::string_view name) {
    return std::any_of(first, last, [&](std::string_view listed) { return SameAsciiName(listed, name); });
}

} // namespace

bool IsTerminalWindow(std::string_view windowClass, std::string_view imageName) {
    return Listed(std::begin(kTerminalClasses), std::end(kTerminalClasses), windowClass) ||
           Listed(std::begin(kTerminalImages), std::end(kTerminalImages), imageName);
}

} // namespace runtime
