#!/usr/bin/env bash
# The DLLs a Windows program imports at load time must be on every edition of Windows it is
# meant for: when one is missing the loader refuses the program before it runs a line, with no
# message and, for a screen saver, a black screen. Media Foundation (mfplat, mfreadwrite, mf,
# ...) is absent from the N and KN editions and off by default on Windows Server, so it may only
# be loaded at run time.
# Usage: imports_check.sh OBJDUMP PROGRAM...
set -u
objdump=$1
shift

# Present on every desktop edition from Windows 7 on (N and KN included) and on Windows Server
# with its desktop; all of them part of the core system, not of the media features.
allowed=" advapi32.dll comctl32.dll dinput.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll
 oleaut32.dll shell32.dll shlwapi.dll user32.dll version.dll winmm.dll "

failures=0
for program in "$@"; do
    if ! listing=$("$objdump" -p "$program" 2>&1); then
        echo "FAIL - $program cannot be read: $listing"
        failures=$((failures + 1))
        continue
    fi
    imports=$(awk '/DLL Name:/ { print tolower($3) }' <<<"$listing" | sort -u)
    if [ -z "$imports" ]; then
        echo "FAIL - $program: no import table found"
        failures=$((failures + 1))
        continue
    fi
    echo "     $(basename "$program") imports: $(tr '\n' ' ' <<<"$imports")"
    for dll in $imports; do
        if [[ "$dll" == mf* ]]; then
            echo "FAIL - $(basename "$program") imports Media Foundation ($dll) at load time"
            failures=$((failures + 1))
        elif [[ "$allowed" != *" $dll"[[:space:]]* ]]; then
            echo "FAIL - $(basename "$program") imports $dll, which not every Windows edition has"
            failures=$((failures + 1))
        fi
    done
done
[ "$failures" = 0 ] && echo "ok   - every import is on every Windows edition"
exit "$failures"
