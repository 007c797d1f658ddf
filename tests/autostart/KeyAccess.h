// Taking away and giving back the right to change a registry key, the way a test meets a
// per-machine key it may read but not write. The key's own DACL is saved first and exactly that
// goes back: run as an administrator on real Windows, anything else (an open NULL DACL, say) would
// leave the machine's Run key writable by everyone.
#pragma once

#include <windows.h>

#include <aclapi.h>

#include <vector>

// The key's DACL as a self-relative security descriptor (the key opened with READ_CONTROL). The
// Win32 error of the failing call, or 0.
inline DWORD SaveKeySecurity(HKEY key, std::vector<BYTE>* descriptor) {
    DWORD size = 0;
    const LONG sized = RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
    if (sized != ERROR_INSUFFICIENT_BUFFER) return sized == ERROR_SUCCESS ? ERROR_INVALID_DATA : sized;
    descriptor->resize(size);
    return static_cast<DWORD>(RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor->data(), &size));
}

// Puts back a DACL saved by SaveKeySecurity (the key opened with WRITE_DAC).
inline DWORD RestoreKeySecurity(HKEY key, std::vector<BYTE> descriptor) {
    if (descriptor.empty()) return ERROR_INVALID_PARAMETER;
    return static_cast<DWORD>(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor.data()));
}

// Everyone may read the key, nobody may change it (the key opened with WRITE_DAC).
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
