// The autostart option: the check box on the main window mirrors one string value under the
// per-machine Run key, which holds the executable's full path while autostart is on, unless the
// user has turned that value off in Windows' own startup manager.
#include <cstdint>
#include <cstring>

#include "app/ProgramHandlers.h"
#include "runtime/LocationCommands.h"
#include "runtime/MessageBoxCommands.h"
#include "runtime/RegistryCommands.h"
#include "runtime/Runtime.h"
#include "runtime/StartupApprovalCommands.h"

namespace program {

namespace {

constexpr std::int32_t kAutostartRoot = 4; // HKEY_LOCAL_MACHINE
constexpr char kAutostartPath[] = "software\\microsoft\\windows\\CurrentVersion\\Run\\我的启动项";
constexpr char kAutostartValueName[] = "我的启动项";

constexpr char kEnabledNotice[] = "选中开机启动项! 开机将启动!重启计算机即可";
constexpr char kDisabledNotice[] = "关闭开机启动项!重启计算机即可";
constexpr char kEnableDeniedNotice[] = "无法写入开机启动项：需要管理员权限。请以管理员身份运行本程序后重试。";
// A failure notice is its lead, the error code and kFailedNoticeEnd.
constexpr char kEnableFailedNotice[] = "无法写入开机启动项：注册表操作失败（错误代码 ";
constexpr char kDisableDeniedNotice[] = "无法删除开机启动项：需要管理员权限。请以管理员身份运行本程序后重试。";
constexpr char kDisableFailedNotice[] = "无法删除开机启动项：注册表操作失败（错误代码 ";
constexpr char kFailedNoticeEnd[] = "）。";

class OwnedText {
public:
    explicit OwnedText(runtime::Text owned) : text(owned) {}
    ~OwnedText() { runtime::ReleaseMemory(text); }
    OwnedText(const OwnedText&) = delete;
    OwnedText& operator=(const OwnedText&) = delete;

    const char* Get() const { return text != nullptr ? text : ""; }

private:
    runtime::Text text;
};

void ShowNotice(const char* message) {
    runtime::ShowMessageBox(message, 0);
}

void ShowFailure(const char* deniedNotice, const char* failedNotice, std::uint32_t error) {
    if (error == runtime::kRegistryErrorAccessDenied) {
        ShowNotice(deniedNotice);
        return;
    }
    // The decimal is written here rather than by the C library's formatted printing, which would
    // be the largest single part of the executable for this one number.
    char digits[11];
    char* first = digits + sizeof(digits) - 1;
    *first = '\0';
    do {
        *--first = static_cast<char>('0' + error % 10);
        error /= 10;
    } while (error != 0);
    const char* const parts[] = {failedNotice, first, kFailedNoticeEnd};
    const OwnedText message(JoinTexts(3, parts));
    ShowNotice(message.Get());
}

// An entry the user turned off in Task Manager stays in the Run key but no longer starts anything.
bool AutostartEntryActive() {
    return runtime::RegistryValueExists(kAutostartRoot, kAutostartPath) &&
           !runtime::StartupValueTurnedOff(kAutostartValueName);
}

// The box shows what the registry holds, not what the user asked for, once the change failed.
void ShowRegistryStateInCheckBox() {
    runtime::SetChecked(kMainWindowId, kAutostartCheckBoxId, AutostartEntryActive());
}

// Windows runs the entry as a command line: an unquoted path with a blank is first tried cut at
// each blank ("D:\My Tools\x.exe" runs D:\My.exe when there is one), so such a path is quoted. A
// GBK trail byte is never 0x20, so a byte search finds only real blanks.
bool WriteAutostartEntry(std::uint32_t* error) {
    const OwnedText runDirectory(runtime::GetRunDirectory());
    const OwnedText executableName(runtime::GetExecutableName());
    const bool blank =
        std::strchr(runDirectory.Get(), ' ') != nullptr || std::strchr(executableName.Get(), ' ') != nullptr;
    const char* const quote = blank ? "\"" : "";
    const char* const parts[] = {quote, runDirectory.Get(), "\\", executableName.Get(), quote};
    const OwnedText command(JoinTexts(5, parts));
    return runtime::WriteRegistryValue(kAutostartRoot, kAutostartPath, runtime::TextValue(command.Get()), error);
}

void EnableAutostart() {
    std::uint32_t error = 0;
    if (WriteAutostartEntry(&error) && runtime::TurnStartupValueOn(kAutostartValueName, &error)) {
        ShowNotice(kEnabledNotice);
        return;
    }
    ShowRegistryStateInCheckBox();
    ShowFailure(kEnableDeniedNotice, kEnableFailedNotice, error);
}

void DisableAutostart() {
    std::uint32_t error = 0;
    runtime::DeleteRegistryItem(kAutostartRoot, kAutostartPath, &error);
    // What the user asked for is that no entry remains: an entry that was already missing (the
    // deletion then fails for want of anything to delete) satisfies that as well as a deleted one.
    // A Run key that cannot be read proves nothing, so only "not found" counts as gone.
    std::uint32_t lookupError = 0;
    if (!runtime::RegistryValueExists(kAutostartRoot, kAutostartPath, &lookupError) &&
        lookupError == runtime::kRegistryErrorFileNotFound) {
        runtime::ForgetStartupValue(kAutostartValueName);
        ShowNotice(kDisabledNotice);
        return;
    }
    ShowRegistryStateInCheckBox();
    ShowFailure(kDisableDeniedNotice, kDisableFailedNotice, error);
}

} // namespace

runtime::Text JoinTexts(std::int32_t count, const char* const* texts) {
    std::uint64_t total = 1;
    for (std::int32_t index = 0; index < count; ++index) {
        if (texts[index] != nullptr) total += std::strlen(texts[index]);
    }
    // A total beyond any block ends in the allocation failure report, never in a short block.
    auto* joined = static_cast<runtime::Text>(runtime::AllocateMemory(runtime::BlockCount(total)));
    char* end = joined;
    for (std::int32_t index = 0; index < count; ++index) {
        if (texts[index] == nullptr) continue;
        const std::size_t length = std::strlen(texts[index]);
        std::memcpy(end, texts[index], length);
        end += length;
    }
    *end = '\0';
    return joined;
}

void AutostartStep() {
    ShowRegistryStateInCheckBox();
}

void ToggleAutostart() {
    // The automatic check box has already changed its tick: what it shows now is the request.
    if (runtime::GetChecked(kMainWindowId, kAutostartCheckBoxId)) {
        EnableAutostart();
    } else {
        DisableAutostart();
    }
}

} // namespace program
