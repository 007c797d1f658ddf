// Test helper for the end-to-end tests: reads and writes the autostart entry and Windows' record of
// it exactly, runs the entry the way Windows does at log-on, and takes away or gives back the right
// to change the per-machine Run key, so that a running CaseSwitch meets a refused change the way an
// ordinary user would. It works on the Run key in the 32-bit registry view, the program's; a first
// argument 64 before any command makes it work on the 64-bit view's Run key (in a 64-bit prefix).
//   run_key_tool query [Run|Run32]    the entry, or with a name its StartupApproved record:
//                                     {"present":true,"type":1,"hex":"..."} or {"present":false,"error":2}
//   run_key_tool set TYPE HEX|- [Run|Run32]   stores it with that type and those bytes (- for none)
//   run_key_tool delete [Run|Run32]   removes it (absent already counts as done)
//   run_key_tool start                runs the entry's command line through CreateProcessA:
//                                     {"pid":N,"image_hex":"..."}, the file the system chose to run
//   run_key_tool deny                 Everyone may only read the Run key; prints {"saved":"HEX"},
//                                     the key's own DACL
//   run_key_tool restore HEX          puts that DACL back
//   run_key_tool watch NAME MS        waits up to MS for a process of that file name to run:
//                                     {"pid":N,"parent":P}
// Exit code 0 on success; otherwise the Win32 error code of the failing call.
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "KeyAccess.h"

namespace {

constexpr char kRunKey[] = "software\\microsoft\\windows\\CurrentVersion\\Run";
constexpr char kRecordKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\";
constexpr char kEntryName[] = "我的启动项";
REGSAM runKeyView = KEY_WOW64_32KEY;

class OpenKey {
public:
    // The records are in the 64-bit view, where Task Manager keeps them; the Run key in the view the
    // program uses, or the 64-bit one when asked.
    OpenKey(const std::string& path, REGSAM access, bool create = false) {
        access |= path == kRunKey ? runKeyView : KEY_WOW64_64KEY;
        status = create
                     ? RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, access, nullptr, &key, nullptr)
                     : RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, &key);
    }
    ~OpenKey() {
        if (status == ERROR_SUCCESS) RegCloseKey(key);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    LONG status;
    HKEY key = nullptr;
};

std::string Hex(const std::vector<BYTE>& bytes) {
    std::string hex;
    for (const BYTE byte : bytes) {
        char digits[3];
        std::snprintf(digits, sizeof(digits), "%02x", byte);
        hex += digits;
    }
    return hex;
}

std::vector<BYTE> FromHex(const char* hex) {
    std::vector<BYTE> data;
    if (std::strcmp(hex, "-") == 0) return data;
    for (std::size_t index = 0; hex[index] != '\0' && hex[index + 1] != '\0'; index += 2) {
        const char digits[3] = {hex[index], hex[index + 1], '\0'};
        data.push_back(static_cast<BYTE>(std::strtoul(digits, nullptr, 16)));
    }
    return data;
}

// The Run key, or with the name of a StartupApproved record key (Run, Run32) that key.
std::string KeyPath(int argc, char** argv, int at) {
    return argc > at ? std::string(kRecordKey) + argv[at] : std::string(kRunKey);
}

LONG ReadEntry(const std::string& keyPath, DWORD* type, std::vector<BYTE>* data) {
    const OpenKey key(keyPath, KEY_READ);
    if (key.status != ERROR_SUCCESS) return key.status;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key.key, kEntryName, nullptr, type, nullptr, &size);
    data->resize(size);
    if (status == ERROR_SUCCESS) status = RegQueryValueExA(key.key, kEntryName, nullptr, type, data->data(), &size);
    data->resize(size);
    return status;
}

DWORD Query(const std::string& keyPath) {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    const LONG status = ReadEntry(keyPath, &type, &data);
    if (status != ERROR_SUCCESS) {
        std::printf("{\"present\":false,\"error\":%ld}\n", status);
    } else {
        std::printf("{\"present\":true,\"type\":%lu,\"hex\":\"%s\"}\n", type, Hex(data).c_str());
    }
    return ERROR_SUCCESS;
}

DWORD Set(const char* typeText, const char* hex, const std::string& keyPath) {
    const std::vector<BYTE> data = FromHex(hex);
    const OpenKey key(keyPath, KEY_SET_VALUE, true);
    if (key.status != ERROR_SUCCESS) return static_cast<DWORD>(key.status);
    const auto type = static_cast<DWORD>(std::strtoul(typeText, nullptr, 0));
    return static_cast<DWORD>(
        RegSetValueExA(key.key, kEntryName, 0, type, data.data(), static_cast<DWORD>(data.size())));
}

DWORD Delete(const std::string& keyPath) {
    const OpenKey key(keyPath, KEY_SET_VALUE);
    if (key.status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (key.status != ERROR_SUCCESS) return static_cast<DWORD>(key.status);
    const LONG status = RegDeleteValueA(key.key, kEntryName);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : static_cast<DWORD>(status);
}

// As Windows starts a Run entry: the data as a command line, the system choosing the file. The
// process waits suspended until the answer names the file it runs.
DWORD Start() {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    const LONG status = ReadEntry(kRunKey, &type, &data);
    if (status != ERROR_SUCCESS) return static_cast<DWORD>(status);
    data.push_back(0);
    // No standard handles: the program must not hold the caller's output pipe open.
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, reinterpret_cast<char*>(data.data()), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &process)) {
        return GetLastError();
    }
    char image[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    const DWORD error = QueryFullProcessImageNameA(process.hProcess, 0, image, &length) ? 0 : GetLastError();
    std::printf("{\"pid\":%lu,\"image_hex\":\"%s\"}\n", process.dwProcessId,
                Hex(std::vector<BYTE>(image, image + length)).c_str());
    std::fflush(stdout);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return error;
}

DWORD Deny() {
    const OpenKey run(kRunKey, READ_CONTROL | WRITE_DAC);
    if (run.status != ERROR_SUCCESS) return static_cast<DWORD>(run.status);
    std::vector<BYTE> saved;
    DWORD status = SaveKeySecurity(run.key, &saved);
    if (status == ERROR_SUCCESS) status = RestrictKeyToReading(run.key);
    if (status == ERROR_SUCCESS) std::printf("{\"saved\":\"%s\"}\n", Hex(saved).c_str());
    return status;
}

DWORD Restore(const char* hex) {
    const OpenKey run(kRunKey, WRITE_DAC);
    return run.status == ERROR_SUCCESS ? RestoreKeySecurity(run.key, FromHex(hex)) : static_cast<DWORD>(run.status);
}

// Looks every millisecond: a process the program starts may be gone again within a few dozen.
DWORD Watch(const char* name, const char* milliseconds) {
    const ULONGLONG end = GetTickCount64() + std::strtoul(milliseconds, nullptr, 10);
    do {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
            if (lstrcmpiA(entry.szExeFile, name) != 0) continue;
            std::printf("{\"pid\":%lu,\"parent\":%lu}\n", entry.th32ProcessID, entry.th32ParentProcessID);
            CloseHandle(snapshot);
            return ERROR_SUCCESS;
        }
        CloseHandle(snapshot);
        Sleep(1);
    } while (GetTickCount64() < end);
    return WAIT_TIMEOUT;
}

DWORD Run(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "64") == 0) {
        runKeyView = KEY_WOW64_64KEY;
        --argc;
        ++argv;
    }
    const std::string command = argc > 1 ? argv[1] : "";
    if ((argc == 2 || argc == 3) && command == "query") return Query(KeyPath(argc, argv, 2));
    if ((argc == 4 || argc == 5) && command == "set") return Set(argv[2], argv[3], KeyPath(argc, argv, 4));
    if ((argc == 2 || argc == 3) && command == "delete") return Delete(KeyPath(argc, argv, 2));
    if (argc == 2 && command == "start") return Start();
    if (argc == 2 && command == "deny") return Deny();
    if (argc == 3 && command == "restore") return Restore(argv[2]);
    if (argc == 4 && command == "watch") return Watch(argv[2], argv[3]);
    std::fprintf(stderr,
                 "usage: run_key_tool [64] query|delete [Run|Run32] | set TYPE HEX|- [Run|Run32] | start | deny | "
                 "restore HEX | watch NAME MS\n");
    return ERROR_INVALID_PARAMETER;
}

} // namespace

int main(int argc, char** argv) {
    const DWORD status = Run(argc, argv);
    if (status != ERROR_SUCCESS) std::fprintf(stderr, "run_key_tool: error %lu\n", status);
    return static_cast<int>(status);
}
