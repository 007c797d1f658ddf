#include "TrayArea.h"

#include <commctrl.h>

#include <cstring>

namespace tray_test {
namespace {

constexpr char kStandaloneTrayClass[] = "__winex11_standalone_tray";
constexpr char kTrayIconClass[] = "__winex11_tray_icon";

bool HasClass(HWND window, const char* name) {
    char buffer[64] = {};
    GetClassNameA(window, buffer, sizeof buffer);
    return std::strcmp(buffer, name) == 0;
}

// The tooltips of the tray window: popups it owns, not its icon windows. Each icon's tip is a plain
// one; a balloon is one more, of the balloon style, while the tray shows it.
struct TooltipSearch {
    HWND owner;
    bool balloons;
    std::vector<HWND> tooltips;
};

BOOL CALLBACK CollectTooltips(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<TooltipSearch*>(parameter);
    const bool balloon = (GetWindowLongA(window, GWL_STYLE) & TTS_BALLOON) != 0;
    if (GetWindow(window, GW_OWNER) == search->owner && HasClass(window, TOOLTIPS_CLASSA) &&
        balloon == search->balloons) {
        search->tooltips.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> TrayTooltips(HWND owner, bool balloons) {
    TooltipSearch search{owner, balloons, {}};
    if (owner) EnumWindows(&CollectTooltips, reinterpret_cast<LPARAM>(&search));
    return search.tooltips;
}

std::string Ansi(const WCHAR* text) {
    char ansi[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, sizeof ansi, nullptr, nullptr);
    return ansi;
}

class ProcessHandle {
public:
    explicit ProcessHandle(HANDLE handle) : handle(handle) {}
    ~ProcessHandle() {
        if (handle) CloseHandle(handle);
    }
    ProcessHandle(const ProcessHandle&) = delete;
    ProcessHandle& operator=(const ProcessHandle&) = delete;
    HANDLE Get() const { return handle; }

private:
    HANDLE handle;
};

// A block of memory in another process, freed with it.
class RemoteBlock {
public:
    RemoteBlock(HANDLE process, SIZE_T size)
        : process(process), address(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
    ~RemoteBlock() {
        if (address) VirtualFreeEx(process, address, 0, MEM_RELEASE);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    char* Get() const { return static_cast<char*>(address); }

private:
    HANDLE process;
    void* address;
};

} // namespace

HWND StandaloneTray() {
    return FindWindowA(kStandaloneTrayClass, nullptr);
}

bool StandaloneTrayVisible() {
    HWND tray = StandaloneTray();
    return tray && IsWindowVisible(tray);
}

std::vector<HWND> TrayIconWindows() {
    std::vector<HWND> icons;
    HWND tray = StandaloneTray();
    if (!tray) return icons;
    for (HWND child = GetWindow(tray, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (HasClass(child, kTrayIconClass)) icons.push_back(child);
    }
    return icons;
}

bool WaitForIconCount(std::size_t count, DWORD timeoutMs) {
    return PumpUntil(timeoutMs, [count] { return TrayIconWindows().size() == count; });
}

std::optional<std::string> TrayIconTip(HWND iconWindow) {
    // The tooltips are popups, owned by the tray window rather than by their icon windows; the
    // one that knows the icon window as its tool holds the tip.
    const std::vector<HWND> tooltips = TrayTooltips(GetAncestor(iconWindow, GA_ROOT), false);
    if (tooltips.empty()) return std::nullopt;

    // The tooltip writes the text through pointers that must be valid in its own process.
    DWORD processId = 0;
    GetWindowThreadProcessId(tooltips[0], &processId);
    const ProcessHandle process(
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
    if (!process.Get()) return std::nullopt;
    constexpr SIZE_T kTextChars = 256;
    const RemoteBlock block(process.Get(), sizeof(TTTOOLINFOW) + kTextChars * sizeof(WCHAR));
    if (!block.Get()) return std::nullopt;

    TTTOOLINFOW info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND;
    info.hwnd = iconWindow;
    info.uId = reinterpret_cast<UINT_PTR>(iconWindow);
    info.lpszText = reinterpret_cast<LPWSTR>(block.Get() + sizeof info);
    if (!WriteProcessMemory(process.Get(), block.Get(), &info, sizeof info, nullptr)) return std::nullopt;
    for (HWND tooltip : tooltips) {
        // A tooltip without the tool leaves the marker in place; the right one overwrites it.
        const WCHAR marker[2] = {0xFFFF, 0};
        if (!WriteProcessMemory(process.Get(), info.lpszText, marker, sizeof marker, nullptr)) return std::nullopt;
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(tooltip, TTM_GETTEXTW, kTextChars, reinterpret_cast<LPARAM>(block.Get()),
                                 SMTO_ABORTIFHUNG, 2000, &result)) {
            continue;
        }
        WCHAR text[kTextChars] = {};
        if (!ReadProcessMemory(process.Get(), info.lpszText, text, sizeof text - sizeof(WCHAR), nullptr)) {
            return std::nullopt;
        }
        if (text[0] == 0xFFFF) continue;
        return Ansi(text);
    }
    return std::nullopt;
}

std::optional<Balloon> ShownBalloon() {
    for (HWND window : TrayTooltips(StandaloneTray(), true)) {
        if (!IsWindowVisible(window)) continue;
        // A tooltip answers WM_GETTEXT with the text it shows (the system carries the text across).
        WCHAR text[512] = {};
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutW(window, WM_GETTEXT, sizeof text / sizeof text[0], reinterpret_cast<LPARAM>(text),
                                 SMTO_ABORTIFHUNG, 2000, &copied)) {
            return std::nullopt;
        }
        return Balloon{window, Ansi(text)};
    }
    return std::nullopt;
}

HandleLevels CurrentHandleLevels() {
    HandleLevels levels;
    levels.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    levels.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (levels.user != 0 && levels.gdi != 0) return levels;

    static const BYTE kAndBits[4 * 32] = {};
    static const BYTE kXorBits[4 * 32] = {};
    HICON icon = CreateIcon(nullptr, 32, 32, 1, 1, kAndBits, kXorBits);
    HBITMAP bitmap = CreateBitmap(1, 1, 1, 1, nullptr);
    levels.user = LOWORD(reinterpret_cast<UINT_PTR>(icon));
    levels.gdi = LOWORD(reinterpret_cast<UINT_PTR>(bitmap));
    if (icon) DestroyIcon(icon);
    if (bitmap) DeleteObject(bitmap);
    return levels;
}

} // namespace tray_test
