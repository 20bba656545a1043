// The entry the installer adds for the Users group, built by Windows' (here Wine's) own ACL
// functions in memory: Wine keeps no DACL on a file, so this is where its content can be seen.
#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "windows/users_access.h"

namespace {
struct Entry {
    BYTE type;
    BYTE flags;
    std::string sid;
    DWORD mask;
};

std::vector<Entry> entriesOf(PACL acl) {
    std::vector<Entry> entries;
    for (DWORD i = 0; acl && i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!GetAce(acl, i, reinterpret_cast<void**>(&ace)))
            continue;
        char* sid = nullptr;
        ConvertSidToStringSidA(reinterpret_cast<PSID>(&ace->SidStart), &sid);
        entries.push_back({ace->Header.AceType, ace->Header.AceFlags, sid ? sid : "", ace->Mask});
        LocalFree(sid);
    }
    return entries;
}

// The DACL of a descriptor written in SDDL; the descriptor must outlive its use.
struct Dacl {
    explicit Dacl(const wchar_t* sddl) {
        ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                             nullptr);
        BOOL present = FALSE, defaulted = FALSE;
        if (descriptor)
            GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted);
    }
    ~Dacl() { LocalFree(descriptor); }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL acl = nullptr;
};

// What the Windows directory passes on to a file that an administrator creates in it: full
// control for SYSTEM and Administrators, reading and running for Users.
constexpr const wchar_t* inheritedFromWindows =
    L"D:(A;ID;FA;;;SY)(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)";
} // namespace

TEST(UsersAccess, addsOneExplicitAllowOfReadAndWriteForUsersBeforeTheInheritedEntries) {
    const Dacl existing(inheritedFromWindows);
    ASSERT_NE(existing.acl, nullptr);
    PACL granted = nullptr;
    ASSERT_EQ(addUsersReadWrite(existing.acl, &granted), DWORD(ERROR_SUCCESS));
    const std::vector<Entry> entries = entriesOf(granted);
    LocalFree(granted);
    ASSERT_EQ(entries.size(), 4u);
    const Entry& users = entries[0]; // explicit entries come first in a canonical ACL
    EXPECT_EQ(users.type, ACCESS_ALLOWED_ACE_TYPE);
    EXPECT_EQ(users.sid, "S-1-5-32-545");
    EXPECT_EQ(users.flags & (INHERITED_ACE | OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE), 0);
    EXPECT_EQ(users.mask, DWORD(0x0012019F));
    EXPECT_EQ(users.mask & FILE_READ_DATA, DWORD(FILE_READ_DATA));
    EXPECT_EQ(users.mask & FILE_WRITE_DATA, DWORD(FILE_WRITE_DATA));
    EXPECT_EQ(users.mask & (DELETE | WRITE_DAC | WRITE_OWNER | FILE_EXECUTE), 0u);
    EXPECT_EQ(entries[1].sid, "S-1-5-18");
    EXPECT_EQ(entries[2].sid, "S-1-5-32-544");
    EXPECT_EQ(entries[3].sid, "S-1-5-32-545");
    EXPECT_EQ(entries[3].mask, DWORD(0x1200A9)) << "the inherited entry is left as it was";
}

// A second installation over the first must add nothing: the entry it would add is seen.
TEST(UsersAccess, onlyAnExplicitEntryWithReadAndWriteCountsAsGranted) {
    const Dacl existing(inheritedFromWindows);
    EXPECT_FALSE(usersMayReadWrite(existing.acl)) << "the inherited entry only reads";
    PACL granted = nullptr;
    ASSERT_EQ(addUsersReadWrite(existing.acl, &granted), DWORD(ERROR_SUCCESS));
    EXPECT_TRUE(usersMayReadWrite(granted));
    LocalFree(granted);
    EXPECT_FALSE(usersMayReadWrite(Dacl(L"D:(A;ID;0x12019f;;;BU)").acl)) << "inherited";
    EXPECT_FALSE(usersMayReadWrite(Dacl(L"D:(A;;0x120089;;;BU)").acl)) << "read only";
    EXPECT_FALSE(usersMayReadWrite(Dacl(L"D:(A;;0x12019f;;;WD)").acl)) << "Everyone, not Users";
    EXPECT_TRUE(usersMayReadWrite(Dacl(L"D:(A;;FA;;;BU)").acl)) << "full control includes it";
}

TEST(UsersAccess, aFileThatIsNotThereIsAnErrorNotACrash) {
    EXPECT_NE(grantUsersReadWrite(L"C:\\no\\such\\folder\\emberhall.dat"), DWORD(ERROR_SUCCESS));
}
