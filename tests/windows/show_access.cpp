// Prints the access entries of a file's DACL as GetNamedSecurityInfoW reports them, one a line:
//   allow S-1-5-32-545 0012019f
// (entry type, SID, access mask in hexadecimal), after a first line "wine VERSION" when it runs
// under Wine. The installer test reads the permissions back with it.
//   show_access.exe FILE
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <cstdio>

namespace {
const char* entryType(BYTE type) {
    switch (type) {
    case ACCESS_ALLOWED_ACE_TYPE:
        return "allow";
    case ACCESS_DENIED_ACE_TYPE:
        return "deny";
    default:
        return "other";
    }
}
} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: show_access FILE\n");
        return 2;
    }
    using WineVersion = const char*(CDECL*)();
    if (const auto wineVersion = reinterpret_cast<WineVersion>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))))
        std::printf("wine %s\n", wineVersion());
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error = GetNamedSecurityInfoW(argv[1], SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                              nullptr, nullptr, &dacl, nullptr, &descriptor);
    if (error != ERROR_SUCCESS) {
        std::fprintf(stderr, "GetNamedSecurityInfoW failed: error %lu\n", error);
        return 1;
    }
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* entry = nullptr; // allowed and denied entries share this layout
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&entry)))
            continue;
        char* sid = nullptr;
        ConvertSidToStringSidA(reinterpret_cast<PSID>(&entry->SidStart), &sid);
        std::printf("%s %s %08lx\n", entryType(entry->Header.AceType), sid ? sid : "?",
                    entry->Mask);
        LocalFree(sid);
    }
    LocalFree(descriptor);
    return 0;
}
