#pragma once
// Lets every local user read and write a file, for the files a user changes through the saver
// (the settings) or by hand (the messages, the playlist), which live in the Windows directory
// where only administrators may create or replace files.
#include <windows.h>

// The access granted: reading and writing the data and its attributes, no deleting, no changing
// of permissions or owner, no running.
constexpr DWORD usersFileAccess = FILE_GENERIC_READ | FILE_GENERIC_WRITE;

// The local Users group, named by SID so that it is found in every display language.
constexpr const wchar_t* usersGroupSid = L"S-1-5-32-545";

// A new ACL (freed with LocalFree) holding `existing` and an entry that allows the Users group
// usersFileAccess, merged with any the group already has. Returns ERROR_SUCCESS or the error.
DWORD addUsersReadWrite(PACL existing, PACL* result);

// True when `acl` holds an entry of its own (not inherited) that allows the Users group at least
// usersFileAccess.
bool usersMayReadWrite(PACL acl);

// The same on the DACL of the file at `path`, its inherited entries kept as they are; a file
// whose DACL already lets users read and write is left alone, so that installing again adds no
// second entry (Wine's SetEntriesInAclW would add one, where Windows merges them).
DWORD grantUsersReadWrite(const wchar_t* path);
