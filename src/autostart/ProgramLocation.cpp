#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include "runtime/LocationCommands.h"

namespace runtime {
namespace {

// Any of these lets its holder replace the file or what the folder holds, or give itself that right.
constexpr ACCESS_MASK kChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                                      WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
constexpr char kTrustedInstaller[] = "S-1-5-80-956008885-3418522649-1831038044-1850952226-2282927734";

class LocalBlock {
public:
    LocalBlock() = default;
    ~LocalBlock() { LocalFree(block); }
    LocalBlock(const LocalBlock&) = delete;
    LocalBlock& operator=(const LocalBlock&) = delete;

    HLOCAL* Out() { return &block; }
    void* Get() const { return block; }

private:
    HLOCAL block = nullptr;
};

bool TrustedHolder(PSID sid) {
    if (IsWellKnownSid(sid, WinLocalSystemSid) || IsWellKnownSid(sid, WinBuiltinAdministratorsSid)) return true;
    // An ACE for the creator only ever takes effect on new objects, as their owner's.
    if (IsWellKnownSid(sid, WinCreatorOwnerSid)) return true;
    LocalBlock trustedInstaller;
    PSID installer = nullptr;
    if (!ConvertStringSidToSidA(kTrustedInstaller, &installer)) return false;
    *trustedInstaller.Out() = installer;
    return EqualSid(sid, installer) != FALSE;
}

bool OpenToOthers(const char* object) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    LocalBlock descriptor;
    PSECURITY_DESCRIPTOR* out = reinterpret_cast<PSECURITY_DESCRIPTOR*>(descriptor.Out());
    if (GetNamedSecurityInfoA(object, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                              nullptr, &dacl, nullptr, out) != ERROR_SUCCESS) {
        return true;
    }
    // The owner may always rewrite the permissions; no DACL at all grants everyone everything.
    if (owner == nullptr || !TrustedHolder(owner) || dacl == nullptr) return true;
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        void* entry = nullptr;
        if (!GetAce(dacl, index, &entry)) return true;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE) != 0) continue;
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        auto* sid = const_cast<DWORD*>(&allowed->SidStart);
        if ((allowed->Mask & kChangeRights) != 0 && !TrustedHolder(reinterpret_cast<PSID>(sid))) return true;
    }
    return false;
}

} // namespace

ProgramLocation CheckProgramLocation(const char* folder, const char* executablePath) {
    const DWORD attributes = GetFileAttributesA(executablePath);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return ProgramLocation::NotAFile;
    }
    char volume[MAX_PATH];
    DWORD flags = 0;
    if (!GetVolumePathNameA(executablePath, volume, MAX_PATH) ||
        !GetVolumeInformationA(volume, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) ||
        (flags & FILE_PERSISTENT_ACLS) == 0) {
        return ProgramLocation::WithoutPermissions;
    }
    // "D:" alone names the drive's current directory; its root is "D:\", the volume path.
    const bool driveRoot = folder == nullptr || *folder == '\0' || folder[lstrlenA(folder) - 1] == ':';
    if (OpenToOthers(executablePath) || OpenToOthers(driveRoot ? volume : folder)) {
        return ProgramLocation::OpenToOtherUsers;
    }
    return ProgramLocation::Protected;
}

} // namespace runtime
