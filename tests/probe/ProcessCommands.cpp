// What a process costs and what it sees: code pages, screen, keys, GUI handles, memory.
#include "Commands.h"

#include <psapi.h>

namespace probe {
namespace {

class ProcessHandle {
public:
    ProcessHandle(DWORD access, long long pid) : handle(OpenProcess(access, FALSE, static_cast<DWORD>(pid))) {}
    ~ProcessHandle() {
        if (handle) CloseHandle(handle);
    }
    ProcessHandle(const ProcessHandle&) = delete;
    ProcessHandle& operator=(const ProcessHandle&) = delete;

    HANDLE handle;
};

bool CodePageCommand(const Args&, JsonObject& answer) {
    answer.Int("acp", GetACP()).Int("oemcp", GetOEMCP());
    return true;
}

bool ScreenCommand(const Args&, JsonObject& answer) {
    answer.Int("cx", GetSystemMetrics(SM_CXSCREEN))
        .Int("cy", GetSystemMetrics(SM_CYSCREEN))
        .Int("caption", GetSystemMetrics(SM_CYCAPTION))
        .Int("caption_button_cx", GetSystemMetrics(SM_CXSIZE))
        .Int("caption_button_cy", GetSystemMetrics(SM_CYSIZE))
        .Int("frame_x", GetSystemMetrics(SM_CXFIXEDFRAME))
        .Int("frame_y", GetSystemMetrics(SM_CYFIXEDFRAME));
    return true;
}

bool AsyncKeyCommand(const Args& args, JsonObject& answer) {
    long long key = 0;
    if (!args.Number(0, key)) return BadArguments(answer);
    const SHORT state = GetAsyncKeyState(static_cast<int>(key));
    answer.Bool("down", (state & 0x8000) != 0).Bool("toggled", (GetKeyState(static_cast<int>(key)) & 1) != 0);
    return true;
}

bool GuiResourcesCommand(const Args& args, JsonObject& answer) {
    long long pid = 0;
    if (!args.Number(0, pid)) return BadArguments(answer);
    ProcessHandle process(PROCESS_QUERY_INFORMATION, pid);
    if (!process.handle) return Fail(answer, "OpenProcess failed");
    answer.Int("gdi", GetGuiResources(process.handle, GR_GDIOBJECTS))
        .Int("user", GetGuiResources(process.handle, GR_USEROBJECTS));
    return true;
}

bool MemoryCommand(const Args& args, JsonObject& answer) {
    long long pid = 0;
    if (!args.Number(0, pid)) return BadArguments(answer);
    ProcessHandle process(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, pid);
    if (!process.handle) return Fail(answer, "OpenProcess failed");
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process.handle, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) {
        return Fail(answer, "GetProcessMemoryInfo failed");
    }
    answer.Int("private_bytes", static_cast<long long>(counters.PrivateUsage))
        .Int("working_set", static_cast<long long>(counters.WorkingSetSize))
        .Int("peak_working_set", static_cast<long long>(counters.PeakWorkingSetSize));
    return true;
}

const Command kCommands[] = {
    {"acp", 0, 0, CodePageCommand, "ANSI and OEM code pages of this process"},
    {"screen", 0, 0, ScreenCommand, "primary screen size and frame metrics"},
    {"async-key", 1, 1, AsyncKeyCommand, "VK  GetAsyncKeyState (down) and this thread's toggle"},
    // Wine 8 answers 0 for both counts and 0 private bytes for another process; the working set is real.
    {"guiresources", 1, 1, GuiResourcesCommand, "PID  GDI and USER object counts (0 under Wine 8)"},
    {"memory", 1, 1, MemoryCommand, "PID  private bytes (0 under Wine 8) and working set"},
};

} // namespace

std::span<const Command> ProcessCommands() {
    return kCommands;
}

} // namespace probe
