#include "windows/users_access.h"

#include <aclapi.h>
#include <sddl.h>

namespace {
// A SID made by ConvertStringSidToSidW, freed with LocalFree.
class StringSid {
  public:
    explicit StringSid(const wchar_t* text) {
        if (!ConvertStringSidToSidW(text, &sid_))
            sid_ = nullptr;
    }
    ~StringSid() {
        if (sid_)
            LocalFree(sid_);
    }
    StringSid(const StringSid&) = delete;
    StringSid& operator=(const StringSid&) = delete;
    PSID get() const { return sid_; }

  private:
    PSID sid_ = nullptr;
};
} // namespace

DWORD addUsersReadWrite(PACL existing, PACL* result) {
    *result = nullptr;
    const StringSid users(usersGroupSid);
    if (!users.get())
        return GetLastError();
    EXPLICIT_ACCESS_W entry = {};
    entry.grfAccessPermissions = usersFileAccess;
    entry.grfAccessMode = GRANT_ACCESS; // merged with what the group may already do
    entry.grfInheritance = NO_INHERITANCE;
    entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    entry.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    entry.Trustee.ptstrName = static_cast<LPWSTR>(users.get());
    return SetEntriesInAclW(1, &entry, existing, result);
}

bool usersMayReadWrite(PACL acl) {
    const StringSid users(usersGroupSid);
    for (DWORD i = 0; acl && users.get() && i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* entry = nullptr;
        if (GetAce(acl, i, reinterpret_cast<void**>(&entry)) &&
            entry->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
            !(entry->Header.AceFlags & (INHERITED_ACE | INHERIT_ONLY_ACE)) &&
            (entry->Mask & usersFileAccess) == usersFileAccess &&
            EqualSid(reinterpret_cast<PSID>(&entry->SidStart), users.get()))
            return true;
    }
    return false;
}

DWORD grantUsersReadWrite(const wchar_t* path) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD error = GetNamedSecurityInfoW(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                        nullptr, &dacl, nullptr, &descriptor);
    if (error != ERROR_SUCCESS)
        return error;
    PACL granted = nullptr;
    if (!usersMayReadWrite(dacl))
        error = addUsersReadWrite(dacl, &granted);
    if (granted) {
        // Neither protected nor unprotected: the entries inherited from the folder stay.
        error = SetNamedSecurityInfoW(const_cast<LPWSTR>(path), SE_FILE_OBJECT,
                                      DACL_SECURITY_INFORMATION, nullptr, nullptr, granted,
                                      nullptr);
        LocalFree(granted);
    }
    LocalFree(descriptor);
    return error;
}
