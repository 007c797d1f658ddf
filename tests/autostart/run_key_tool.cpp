// Test helper for the end-to-end tests: reads and writes the autostart entry exactly, and takes
// away or gives back the right to change the per-machine Run key, so that a running CaseSwitch
// meets a refused change the way an ordinary user would.
//   run_key_tool query            {"present":true,"type":1,"hex":"..."} or {"present":false,"error":2}
//   run_key_tool set TYPE HEX|-   stores the entry with that type and those bytes (- for none)
//   run_key_tool delete           removes the entry (absent already counts as done)
//   run_key_tool deny             Everyone may only read the Run key
//   run_key_tool restore          a NULL DACL: everyone may do everything again
// Exit code 0 on success; otherwise the Win32 error code of the failing call.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "KeyAccess.h"

namespace {

constexpr char kRunKey[] = "software\\microsoft\\windows\\CurrentVersion\\Run";
constexpr char kEntryName[] = "我的启动项";

class OpenKey {
public:
    OpenKey(REGSAM access) { status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, access, &key); }
    ~OpenKey() {
        if (status == ERROR_SUCCESS) RegCloseKey(key);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    LONG status;
    HKEY key = nullptr;
};

DWORD Deny() {
    OpenKey run(READ_CONTROL | WRITE_DAC);
    return run.status == ERROR_SUCCESS ? RestrictKeyToReading(run.key) : static_cast<DWORD>(run.status);
}

DWORD Restore() {
    OpenKey run(READ_CONTROL | WRITE_DAC);
    return run.status == ERROR_SUCCESS ? RestoreKeyAccess(run.key) : static_cast<DWORD>(run.status);
}

DWORD Query() {
    OpenKey run(KEY_READ);
    LONG status = run.status;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    if (status == ERROR_SUCCESS) {
        DWORD size = 0;
        status = RegQueryValueExA(run.key, kEntryName, nullptr, &type, nullptr, &size);
        data.resize(size);
        if (status == ERROR_SUCCESS) status = RegQueryValueExA(run.key, kEntryName, nullptr, &type, data.data(), &size);
        data.resize(size);
    }
    if (status != ERROR_SUCCESS) {
        std::printf("{\"present\":false,\"error\":%ld}\n", status);
        return ERROR_SUCCESS;
    }
    std::string hex;
    for (const BYTE byte : data) {
        char digits[3];
        std::snprintf(digits, sizeof(digits), "%02x", byte);
        hex += digits;
    }
    std::printf("{\"present\":true,\"type\":%lu,\"hex\":\"%s\"}\n", type, hex.c_str());
    return ERROR_SUCCESS;
}

DWORD Set(const char* typeText, const char* hex) {
    std::vector<BYTE> data;
    if (std::strcmp(hex, "-") != 0) {
        const std::size_t length = std::strlen(hex);
        if (length % 2 != 0) return ERROR_INVALID_PARAMETER;
        for (std::size_t index = 0; index < length; index += 2) {
            const char digits[3] = {hex[index], hex[index + 1], '\0'};
            data.push_back(static_cast<BYTE>(std::strtoul(digits, nullptr, 16)));
        }
    }
    OpenKey run(KEY_SET_VALUE);
    if (run.status != ERROR_SUCCESS) return static_cast<DWORD>(run.status);
    const auto type = static_cast<DWORD>(std::strtoul(typeText, nullptr, 0));
    return static_cast<DWORD>(
        RegSetValueExA(run.key, kEntryName, 0, type, data.data(), static_cast<DWORD>(data.size())));
}

DWORD Delete() {
    OpenKey run(KEY_SET_VALUE);
    if (run.status != ERROR_SUCCESS) return static_cast<DWORD>(run.status);
    const LONG status = RegDeleteValueA(run.key, kEntryName);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : static_cast<DWORD>(status);
}

DWORD Run(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (argc == 2 && command == "query") return Query();
    if (argc == 4 && command == "set") return Set(argv[2], argv[3]);
    if (argc == 2 && command == "delete") return Delete();
    if (argc == 2 && command == "deny") return Deny();
    if (argc == 2 && command == "restore") return Restore();
    std::fprintf(stderr, "usage: run_key_tool query | set TYPE HEX|- | delete | deny | restore\n");
    return ERROR_INVALID_PARAMETER;
}

} // namespace

int main(int argc, char** argv) {
    const DWORD status = Run(argc, argv);
    if (status != ERROR_SUCCESS) std::fprintf(stderr, "run_key_tool: error %lu\n", status);
    return static_cast<int>(status);
}
