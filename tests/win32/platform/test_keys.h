#pragma once
// A registry key of its own for each test, under HKCU\Software\TreeTests, removed after.
#include <windows.h>

#include <string>

namespace testing_keys {

inline std::wstring UniqueKey(const wchar_t* name) {
    return L"Software\\TreeTests\\" + std::to_wstring(::GetCurrentProcessId()) + L"\\" + name;
}

// Gives the key back full access (a test may have made it read-only), then deletes it.
inline void RemoveKey(const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
        SECURITY_DESCRIPTOR sd;
        ::InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
        ::SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);  // null DACL: everyone, everything
        ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
        ::RegCloseKey(key);
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
}

// Leaves the key readable by everyone and writable by no one.
inline bool MakeReadOnly(const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS) return false;
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    ::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    BYTE aclBuf[256];
    auto* acl = reinterpret_cast<ACL*>(aclBuf);
    ::InitializeAcl(acl, sizeof aclBuf, ACL_REVISION);
    ::AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ, everyone);
    SECURITY_DESCRIPTOR sd;
    ::InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    ::SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
    LONG rc = ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
    ::FreeSid(everyone);
    ::RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

} // namespace testing_keys
