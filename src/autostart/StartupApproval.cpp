#include <windows.h>

#include "autostart/RegistryKey.h"
#include "autostart/StartupRecord.h"
#include "runtime/StartupApprovalCommands.h"

namespace runtime {
namespace {

// Explorer and Task Manager are 64-bit programs on 64-bit Windows: the records are in the 64-bit
// view, whichever view the Run value itself is in. 32-bit Windows ignores the flag.
constexpr REGSAM kRecordView = KEY_WOW64_64KEY;
constexpr const char* kRecordKeys[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run32",
};
// Records are 12 bytes; a longer one is of a layout this code does not know and marks nothing.
constexpr DWORD kLongestRecord = 64;

struct Record {
    BYTE bytes[kLongestRecord] = {};
    DWORD size = 0;

    bool TurnedOff() const { return StartupRecordTurnedOff(bytes, size); }
};

Record ReadRecord(const char* keyPath, const char* valueName) {
    Record record;
    RegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, keyPath, KEY_QUERY_VALUE | kRecordView) != ERROR_SUCCESS) return record;
    DWORD type = REG_NONE;
    DWORD size = sizeof(record.bytes);
    if (RegQueryValueExA(key.Get(), valueName, nullptr, &type, record.bytes, &size) == ERROR_SUCCESS &&
        type == REG_BINARY) {
        record.size = size;
    }
    return record;
}

LONG TurnRecordOn(const char* keyPath, const char* valueName, const Record& record) {
    RegistryKey key;
    const LONG opened = key.Open(HKEY_LOCAL_MACHINE, keyPath, KEY_SET_VALUE | kRecordView);
    if (opened != ERROR_SUCCESS) return opened;
    const StartupRecord on = TurnedOnStartupRecord(record.bytes, record.size);
    return RegSetValueExA(key.Get(), valueName, 0, REG_BINARY, on.data(), static_cast<DWORD>(on.size()));
}

} // namespace

bool StartupValueTurnedOff(const char* valueName) {
    for (const char* keyPath : kRecordKeys) {
        if (ReadRecord(keyPath, valueName).TurnedOff()) return true;
    }
    return false;
}

bool TurnStartupValueOn(const char* valueName, std::uint32_t* error) {
    LONG status = ERROR_SUCCESS;
    for (const char* keyPath : kRecordKeys) {
        const Record record = ReadRecord(keyPath, valueName);
        if (!record.TurnedOff()) continue;
        const LONG written = TurnRecordOn(keyPath, valueName, record);
        if (written != ERROR_SUCCESS) status = written;
    }
    if (error != nullptr) *error = static_cast<std::uint32_t>(status);
    return status == ERROR_SUCCESS;
}

void ForgetStartupValue(const char* valueName) {
    for (const char* keyPath : kRecordKeys) {
        RegistryKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, keyPath, KEY_SET_VALUE | kRecordView) == ERROR_SUCCESS) {
            RegDeleteValueA(key.Get(), valueName);
        }
    }
}

} // namespace runtime
