// Watches Wine's notification area for the end-to-end tests, beside the program in its prefix.
//
//   tray_probe.exe    one command per line on stdin, one JSON line per answer, until "quit"
//
//   icons               the icons shown: window, screen rectangle, tip (hex of its ANSI bytes)
//   sentinel-add        shows an icon of the probe's own (tip "sentinel")
//   sentinel-remove
//   sentinel-seen       the mouse messages the shell relayed for the sentinel icon so far
//   forget HWND         removes the icon (HWND, 100) behind its owner's back, as a restarted taskbar forgets it
//   occupy HWND         adds an icon (HWND, 100) of the probe's own (tip "occupied"), so that the owner's add fails
//   balloon             the balloon shown, if any: its window (0 for none) and text (hex of its ANSI bytes)
//   taskbar-created     broadcasts the shell's "TaskbarCreated" message
//   handle-level        how far the user handle table reaches (handles are shared by all processes)
//
// Every answer carries "ok". The probe pumps its window's messages while it waits for commands,
// so the shell's callbacks for the sentinel icon arrive in the order the shell sends them.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "TrayArea.h"

namespace {

constexpr UINT kCommandMessage = WM_APP + 2;
constexpr UINT kSentinelCallback = WM_APP + 1;
constexpr UINT kSentinelId = 1;
constexpr UINT kProgramIconId = 100;

std::vector<long long> sentinelSeen;

LRESULT CALLBACK SentinelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kSentinelCallback) {
        sentinelSeen.push_back(static_cast<long long>(lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string Hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

std::string Handle(const void* handle) {
    return std::to_string(static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(handle)));
}

NOTIFYICONDATAA Record(HWND window, UINT id) {
    NOTIFYICONDATAA record;
    std::memset(&record, 0, sizeof record);
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    record.uID = id;
    return record;
}

std::string Answer(bool ok, const std::string& fields = "") {
    std::string out = std::string("{\"ok\":") + (ok ? "true" : "false");
    if (!fields.empty()) out += "," + fields;
    if (!ok) out += ",\"last_error\":" + std::to_string(GetLastError());
    return out + "}";
}

std::string IconsAnswer() {
    std::string list;
    for (HWND icon : tray_test::TrayIconWindows()) {
        RECT rect = {};
        GetWindowRect(icon, &rect);
        const auto tip = tray_test::TrayIconTip(icon);
        if (!list.empty()) list += ",";
        list += "{\"hwnd\":" + Handle(icon) + ",\"rect\":[" + std::to_string(rect.left) + "," +
                std::to_string(rect.top) + "," + std::to_string(rect.right) + "," + std::to_string(rect.bottom) +
                "],\"tip_hex\":" + (tip ? "\"" + Hex(*tip) + "\"" : std::string("null")) + "}";
    }
    return Answer(true, std::string("\"tray_visible\":") + (tray_test::StandaloneTrayVisible() ? "true" : "false") +
                            ",\"icons\":[" + list + "]");
}

std::string Run(const std::string& line, HWND sentinel, bool& quit) {
    char word[64] = {};
    unsigned long long value = 0;
    const int read = std::sscanf(line.c_str(), "%63s %lli", word, &value);
    const std::string command = read >= 1 ? word : "";
    if (command == "quit") {
        quit = true;
        return Answer(true);
    }
    if (command == "icons") return IconsAnswer();
    if (command == "sentinel-add") {
        NOTIFYICONDATAA record = Record(sentinel, kSentinelId);
        record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        record.uCallbackMessage = kSentinelCallback;
        record.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        std::strcpy(record.szTip, "sentinel");
        return Answer(Shell_NotifyIconA(NIM_ADD, &record) != FALSE);
    }
    if (command == "sentinel-remove") {
        NOTIFYICONDATAA record = Record(sentinel, kSentinelId);
        return Answer(Shell_NotifyIconA(NIM_DELETE, &record) != FALSE);
    }
    if (command == "sentinel-seen") {
        std::string list;
        for (long long message : sentinelSeen) {
            list += (list.empty() ? "" : ",") + std::to_string(message);
        }
        return Answer(true, "\"messages\":[" + list + "]");
    }
    if (command == "forget" && read == 2) {
        NOTIFYICONDATAA record = Record(reinterpret_cast<HWND>(static_cast<UINT_PTR>(value)), kProgramIconId);
        return Answer(Shell_NotifyIconA(NIM_DELETE, &record) != FALSE);
    }
    if (command == "occupy" && read == 2) {
        NOTIFYICONDATAA record = Record(reinterpret_cast<HWND>(static_cast<UINT_PTR>(value)), kProgramIconId);
        record.uFlags = NIF_ICON | NIF_TIP;
        record.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        std::strcpy(record.szTip, "occupied");
        return Answer(Shell_NotifyIconA(NIM_ADD, &record) != FALSE);
    }
    if (command == "balloon") {
        const auto balloon = tray_test::ShownBalloon();
        if (!balloon) return Answer(true, "\"hwnd\":0");
        return Answer(true, "\"hwnd\":" + Handle(balloon->window) + ",\"text_hex\":\"" + Hex(balloon->text) + "\"");
    }
    if (command == "taskbar-created") {
        const UINT message = RegisterWindowMessageA("TaskbarCreated");
        const bool posted = message != 0 && PostMessageA(HWND_BROADCAST, message, 0, 0) != FALSE;
        return Answer(posted, "\"message\":" + std::to_string(message));
    }
    if (command == "handle-level") {
        return Answer(true, "\"user\":" + std::to_string(tray_test::CurrentHandleLevels().user));
    }
    return Answer(false, "\"error\":\"unknown command\"");
}

DWORD WINAPI ReadCommands(void* parameter) {
    const DWORD mainThread = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(parameter));
    char buffer[1024];
    while (std::fgets(buffer, sizeof buffer, stdin)) {
        PostThreadMessageA(mainThread, kCommandMessage, 0, reinterpret_cast<LPARAM>(new std::string(buffer)));
    }
    PostThreadMessageA(mainThread, kCommandMessage, 0, reinterpret_cast<LPARAM>(new std::string("quit")));
    return 0;
}

} // namespace

int main() {
    WNDCLASSA description = {};
    description.lpfnWndProc = &SentinelProcedure;
    description.hInstance = GetModuleHandleA(nullptr);
    description.lpszClassName = "CaseSwitchTraySentinel";
    RegisterClassA(&description);
    HWND sentinel = CreateWindowExA(0, description.lpszClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr,
                                    description.hInstance, nullptr);

    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue, before the reader posts to it
    const DWORD mainThread = GetCurrentThreadId();
    HANDLE reader =
        CreateThread(nullptr, 0, &ReadCommands, reinterpret_cast<void*>(static_cast<UINT_PTR>(mainThread)), 0, nullptr);
    bool quit = false;
    while (!quit && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == kCommandMessage) {
            auto* line = reinterpret_cast<std::string*>(message.lParam);
            std::printf("%s\n", Run(*line, sentinel, quit).c_str());
            std::fflush(stdout);
            delete line;
            continue;
        }
        DispatchMessageA(&message);
    }
    NOTIFYICONDATAA record = Record(sentinel, kSentinelId);
    Shell_NotifyIconA(NIM_DELETE, &record);
    DestroyWindow(sentinel);
    if (reader) CloseHandle(reader);
    return 0;
}
