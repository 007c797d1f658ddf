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
// A failure notice is its lead, then the reason: the lack of rights, or the error code between
// kFailedReason and kFailedReasonEnd, or kUnusablePathReason.
constexpr char kEnableLead[] = "无法写入开机启动项：";
constexpr char kDisableLead[] = "无法删除开机启动项：";
constexpr char kDeniedReason[] =
    "需要管理员权限，而这一更改没有得到管理员的授权（Windows 询问时被拒绝，或授权后仍失败）。";
constexpr char kFailedReason[] = "注册表操作失败（错误代码 ";
constexpr char kFailedReasonEnd[] = "）。";
constexpr char kUnusablePathReason[] =
    "找不到本程序的文件，或其路径含有 GBK 无法表示的字符、长于 259 字节。"
    "请把本程序放到路径只含中英文的文件夹（如 C:\\Program Files\\切换大小写）后重试。";
// A location question is its reason, then kLocationQuestionEnd.
constexpr char kOpenLocationReason[] = "本程序的文件或它所在的文件夹可以被管理员以外的用户修改。";
constexpr char kNoPermissionsReason[] =
    "本程序所在的磁盘（如 U 盘、FAT32 或 exFAT 分区）不保存文件权限，任何用户都能修改它。";
constexpr char kLocationQuestionEnd[] =
    "开机启动项对所有用户生效：谁替换了这个文件，谁的程序就会在每个用户（包括管理员）登录时运行。\r\n\r\n"
    "请把本程序放到只有管理员能修改的文件夹（如 C:\\Program Files\\切换大小写），从那里运行后再勾选。\r\n\r\n"
    "仍要从当前位置开机启动吗？";
// The replacement question is its lead, the other program's entry and kReplaceQuestionEnd.
constexpr char kReplaceQuestionLead[] = "开机启动项“我的启动项”现在启动的是另一个程序：\r\n";
constexpr char kReplaceQuestionEnd[] = "\r\n\r\n要改为启动本程序吗？";

constexpr std::int32_t kWarning = 0x30;                 // MB_ICONWARNING
constexpr std::int32_t kQuestion = 0x04 | 0x30 | 0x100; // MB_YESNO, MB_ICONWARNING, MB_DEFBUTTON2: No
constexpr std::size_t kLongestPath = 259;               // MAX_PATH without its NUL

class OwnedText {
public:
    explicit OwnedText(runtime::Text owned) : text(owned) {}
    ~OwnedText() { runtime::ReleaseMemory(text); }
    OwnedText(const OwnedText&) = delete;
    OwnedText& operator=(const OwnedText&) = delete;

    const char* Get() const { return text != nullptr ? text : ""; }
    bool Present() const { return text != nullptr; }

private:
    runtime::Text text;
};

void ShowNotice(const char* message) {
    runtime::ShowMessageBox(message, 0);
}

void ShowWarning(const char* message) {
    runtime::ShowMessageBox(message, kWarning);
}

bool Confirmed(const char* const* parts, std::int32_t count) {
    const OwnedText question(JoinTexts(count, parts));
    return runtime::ShowMessageBox(question.Get(), kQuestion) == runtime::kButtonYes;
}

void ShowFailure(const char* lead, std::uint32_t error) {
    if (error == runtime::kRegistryErrorAccessDenied || error == runtime::kRegistryErrorCancelled) {
        const char* const parts[] = {lead, kDeniedReason};
        const OwnedText message(JoinTexts(2, parts));
        ShowWarning(message.Get());
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
    const char* const parts[] = {lead, kFailedReason, first, kFailedReasonEnd};
    const OwnedText message(JoinTexts(4, parts));
    ShowWarning(message.Get());
}

runtime::Text ProgramPath() {
    const OwnedText runDirectory(runtime::GetRunDirectory());
    const OwnedText executableName(runtime::GetExecutableName());
    const char* const parts[] = {runDirectory.Get(), "\\", executableName.Get()};
    return JoinTexts(3, parts);
}

// Windows runs the entry as a command line: an unquoted path with a blank is first tried cut at
// each blank ("D:\My Tools\x.exe" runs D:\My.exe when there is one), so such a path is quoted. A
// GBK trail byte is never 0x20, so a byte search finds only real blanks.
runtime::Text EntryCommand(const char* path) {
    const char* const quote = std::strchr(path, ' ') != nullptr ? "\"" : "";
    const char* const parts[] = {quote, path, quote};
    return JoinTexts(3, parts);
}

// Paths compare as Windows compares file names here: ASCII letters in either case; the two bytes
// of a GBK character as they are.
bool SameCommand(const char* entry, std::size_t entryLength, const char* path) {
    if (std::strlen(path) != entryLength) return false;
    for (std::size_t index = 0; index < entryLength; ++index) {
        const auto left = static_cast<unsigned char>(entry[index]);
        const auto right = static_cast<unsigned char>(path[index]);
        if (left >= 0x80) {
            if (left != right || index + 1 >= entryLength || entry[index + 1] != path[index + 1]) return false;
            ++index;
            continue;
        }
        const auto fold = [](unsigned char byte) { return byte >= 'a' && byte <= 'z' ? byte - 'a' + 'A' : byte; };
        if (fold(left) != fold(right)) return false;
    }
    return true;
}

// The entry names this executable, in quotes or not (earlier versions wrote it bare).
bool NamesThisProgram(const char* entry, const char* path) {
    const std::size_t length = std::strlen(entry);
    if (length >= 2 && entry[0] == '"' && entry[length - 1] == '"') return SameCommand(entry + 1, length - 2, path);
    return SameCommand(entry, length, path);
}

bool EntryNamesThisProgram() {
    const OwnedText entry(runtime::ReadRegistryText(kAutostartRoot, kAutostartPath));
    const OwnedText path(ProgramPath());
    return entry.Present() && NamesThisProgram(entry.Get(), path.Get());
}

// An entry the user turned off in Task Manager stays in the Run key but no longer starts anything;
// another program's entry under the same name starts that program, not this one.
bool AutostartEntryActive() {
    return EntryNamesThisProgram() && !runtime::StartupValueTurnedOff(kAutostartValueName);
}

// The box shows what the registry holds, not what the user asked for, once the change failed.
void ShowRegistryStateInCheckBox() {
    runtime::SetChecked(kMainWindowId, kAutostartCheckBoxId, AutostartEntryActive());
}

// A path cut at the runtime's 260 bytes, or with a character the code page turned into "?", names
// another file or none; "?" is never a GBK trail byte.
bool PathUsable(const char* path, runtime::ProgramLocation location) {
    return std::strlen(path) <= kLongestPath && std::strchr(path, '?') == nullptr &&
           location != runtime::ProgramLocation::NotAFile;
}

// Every user's log-on runs the entry: a file that others may replace goes there only when the
// user, told the risk, insists (the question's default is No).
bool LocationAccepted(runtime::ProgramLocation location) {
    if (location == runtime::ProgramLocation::Protected) return true;
    const char* const parts[] = {location == runtime::ProgramLocation::WithoutPermissions ? kNoPermissionsReason
                                                                                          : kOpenLocationReason,
                                 kLocationQuestionEnd};
    return Confirmed(parts, 2);
}

// Another program's entry under the same name goes only when the user says so.
bool ReplacementAccepted(const char* path) {
    const OwnedText entry(runtime::ReadRegistryText(kAutostartRoot, kAutostartPath));
    if (!runtime::RegistryValueExists(kAutostartRoot, kAutostartPath) || NamesThisProgram(entry.Get(), path)) {
        return true;
    }
    const char* const parts[] = {kReplaceQuestionLead, entry.Present() ? entry.Get() : "", kReplaceQuestionEnd};
    return Confirmed(parts, 3);
}

runtime::WindowHandle MainWindow() {
    return runtime::GetWindowHandle(kMainWindowId, kMainWindowElementId);
}

void EnableAutostart() {
    const OwnedText folder(runtime::GetRunDirectory());
    const OwnedText path(ProgramPath());
    const runtime::ProgramLocation location = runtime::CheckProgramLocation(folder.Get(), path.Get());
    if (!PathUsable(path.Get(), location)) {
        ShowRegistryStateInCheckBox();
        const char* const parts[] = {kEnableLead, kUnusablePathReason};
        const OwnedText message(JoinTexts(2, parts));
        ShowWarning(message.Get());
        return;
    }
    if (!LocationAccepted(location) || !ReplacementAccepted(path.Get())) {
        ShowRegistryStateInCheckBox();
        return;
    }
    const OwnedText command(EntryCommand(path.Get()));
    std::uint32_t error = 0;
    bool written =
        runtime::WriteRegistryValue(kAutostartRoot, kAutostartPath, runtime::TextValue(command.Get()), &error);
    if (!written && error == runtime::kRegistryErrorAccessDenied) {
        // Read again whatever reg.exe answered: the registry, not its exit code, is the truth.
        runtime::WriteRegistryTextAsAdministrator(kAutostartRoot, kAutostartPath, command.Get(), MainWindow(), &error);
        written = EntryNamesThisProgram();
    }
    if (written && runtime::TurnStartupValueOn(kAutostartValueName, &error)) {
        ShowNotice(kEnabledNotice);
        return;
    }
    ShowRegistryStateInCheckBox();
    ShowFailure(kEnableLead, error);
}

// What the user asked for is that no entry of this program remains: an entry already missing
// satisfies that as well as a deleted one. A Run key that cannot be read proves nothing, so only
// "not found" counts as gone.
bool EntryGone() {
    std::uint32_t lookupError = 0;
    return !runtime::RegistryValueExists(kAutostartRoot, kAutostartPath, &lookupError) &&
           lookupError == runtime::kRegistryErrorFileNotFound;
}

void DisableAutostart() {
    // Another program's entry under the same name is that program's to remove; this one no longer
    // starts at log-on either way.
    if (!EntryGone() && !EntryNamesThisProgram()) {
        ShowRegistryStateInCheckBox();
        ShowNotice(kDisabledNotice);
        return;
    }
    std::uint32_t error = 0;
    if (!runtime::DeleteRegistryItem(kAutostartRoot, kAutostartPath, &error) &&
        error == runtime::kRegistryErrorAccessDenied) {
        runtime::DeleteRegistryValueAsAdministrator(kAutostartRoot, kAutostartPath, MainWindow(), &error);
    }
    if (EntryGone()) {
        runtime::ForgetStartupValue(kAutostartValueName);
        ShowNotice(kDisabledNotice);
        return;
    }
    ShowRegistryStateInCheckBox();
    ShowFailure(kDisableLead, error);
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
