// Taking away and giving back the right to change a registry key, the way a test meets a
// per-machine key it may read but not write. Both take a key opened with WRITE_DAC.
#pragma once

#include <windows.h>

#include <aclapi.h>

// Everyone may read the key, nobody may change it. The Win32 error of the failing call, or 0.
inline DWORD RestrictKeyToReading(HKEY key) {
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
    if (status == ERROR_SUCCESS) {
        SECURITY_DESCRIPTOR descriptor;
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
        status = static_cast<DWORD>(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor));
    }
    LocalFree(acl);
    FreeSid(everyone);
    return status;
}

// A NULL DACL: everyone may do everything again.
inline DWORD RestoreKeyAccess(HKEY key) {
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
    return static_cast<DWORD>(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor));
}
