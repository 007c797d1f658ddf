// Test helper: takes away or gives back the right to change the per-machine Run key, so that a
// running CaseSwitch meets a refused write the way an ordinary user would.
//   run_key_access deny     Everyone may only read the key
//   run_key_access restore  a NULL DACL: everyone may do everything again
// Exit code 0 on success; otherwise the Win32 error code of the failing call.
#include <windows.h>

#include <aclapi.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr char kRunKey[] = "software\\microsoft\\windows\\CurrentVersion\\Run";

DWORD ApplyDacl(PACL acl) {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, READ_CONTROL | WRITE_DAC, &key);
    if (status != ERROR_SUCCESS) return static_cast<DWORD>(status);
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
    status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
    RegCloseKey(key);
    return static_cast<DWORD>(status);
}

DWORD Deny() {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) return GetLastError();
    EXPLICIT_ACCESSA access = {};
    access.grfAccessPermissions = KEY_READ;
    access.grfAccessMode = SET_ACCESS;
    access.grfInheritance = NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = static_cast<LPSTR>(everyone);
    PACL acl = nullptr;
    DWORD status = SetEntriesInAclA(1, &access, nullptr, &acl);
    if (status == ERROR_SUCCESS) status = ApplyDacl(acl);
    LocalFree(acl);
    FreeSid(everyone);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 || (std::strcmp(argv[1], "deny") != 0 && std::strcmp(argv[1], "restore") != 0)) {
        std::fprintf(stderr, "usage: run_key_access deny|restore\n");
        return ERROR_INVALID_PARAMETER;
    }
    const DWORD status = std::strcmp(argv[1], "deny") == 0 ? Deny() : ApplyDacl(nullptr);
    if (status != ERROR_SUCCESS) std::fprintf(stderr, "run_key_access %s: error %lu\n", argv[1], status);
    return static_cast<int>(status);
}
