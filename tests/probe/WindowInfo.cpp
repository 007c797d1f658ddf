#include "Commands.h"

namespace probe {
namespace {

std::vector<long long> RectValues(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    const int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? static_cast<size_t>(length) : 0);
}

// WM_GETTEXT asks the window itself (a control that keeps its own text answers correctly); a window
// that does not answer in time falls back to the caption the system keeps for it.
std::string TextOf(HWND window, bool& answered) {
    DWORD_PTR length = 0;
    answered = SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length) != 0;
    if (answered) {
        std::string text(static_cast<size_t>(length) + 1, '\0');
        DWORD_PTR copied = 0;
        answered = SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                                       SMTO_ABORTIFHUNG, 2000, &copied) != 0;
        if (answered) {
            text.resize(copied <= length ? static_cast<size_t>(copied) : static_cast<size_t>(length));
            return text;
        }
    }
    char caption[1024] = {};
    const int count = GetWindowTextA(window, caption, sizeof caption);
    return std::string(caption, count > 0 ? static_cast<size_t>(count) : 0);
}

} // namespace

std::string WindowInfo(HWND window) {
    JsonObject info;
    info.Int("hwnd", HandleValue(window));
    if (!IsWindow(window)) {
        return info.Bool("exists", false).Finish();
    }
    bool answered = false;
    const std::string text = TextOf(window, answered);
    RECT windowRect = {};
    RECT clientRect = {};
    GetWindowRect(window, &windowRect);
    GetClientRect(window, &clientRect);
    POINT clientOrigin = {0, 0};
    ClientToScreen(window, &clientOrigin);
    DWORD pid = 0;
    const DWORD tid = GetWindowThreadProcessId(window, &pid);
    // GetParent answers the owner for a top-level window; the harness wants the real parent.
    HWND parent = GetAncestor(window, GA_PARENT);
    if (parent == GetDesktopWindow()) parent = nullptr;
    info.Bool("exists", true)
        .String("class", ClassOf(window))
        .Ansi("text", text)
        .Bool("text_answered", answered)
        .IntArray("rect", RectValues(windowRect))
        .IntArray("client", RectValues(clientRect))
        .IntArray("client_origin", {clientOrigin.x, clientOrigin.y})
        .Int("style", static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)))
        .Int("exstyle", static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)))
        .Bool("visible", IsWindowVisible(window) != FALSE)
        .Bool("enabled", IsWindowEnabled(window) != FALSE)
        .Bool("iconic", IsIconic(window) != FALSE)
        .Int("id", GetDlgCtrlID(window))
        .Int("parent", HandleValue(parent))
        .Int("owner", HandleValue(GetWindow(window, GW_OWNER)))
        .Int("pid", pid)
        .Int("tid", tid)
        // The X window Wine made for a top-level window: what `xdotool getwindowfocus` names.
        .Int("x11_window", HandleValue(GetPropA(window, "__wine_x11_whole_window")));
    return info.Finish();
}

} // namespace probe
