// Run by the installer, with administrator rights, on the files every user may change:
//   grant_users_access.exe FILE...
// gives the local Users group read and write access to each. A windowless program, so that no
// console flashes up during the installation; the exit code is the number of files that could
// not be changed, and the installer tells the user when it is not 0.
#include <windows.h>

#include "windows/users_access.h"

int wmain(int argc, wchar_t** argv) {
    int failures = 0;
    for (int i = 1; i < argc; ++i)
        if (grantUsersReadWrite(argv[i]) != ERROR_SUCCESS)
            ++failures;
    return failures;
}
