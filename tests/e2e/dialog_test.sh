#!/usr/bin/env bash
# The configuration dialog end to end, the way a user meets it: emberhall.scr /c under Wine on a
# private X server, driven with pointer clicks (no window manager runs, so nothing has the
# keyboard focus), the settings file it writes, and the saver that then honours it.
#
#   dialog_test.sh PATH/TO/emberhall.scr
#
# Screenshots are left in $EH_BUILD_DIR/e2e-dialog/ for a person to look at.
set -u
scr=${1:?usage: dialog_test.sh PATH/TO/emberhall.scr}
source "$(dirname "$0")/../wine/lib.sh"

eh_prefix_ready
shots="$EH_BUILD_DIR/e2e-dialog"
mkdir -p "$shots"
settings="$EH_WINDOWS_DIR/emberhall.dat"
blocker="$settings.new" # where the new bytes are written before they replace the file
backup=$(mktemp)
had_settings=0
[ -f "$settings" ] && cp "$settings" "$backup" && had_settings=1
EH_PID=
checks=0

check() {
    checks=$((checks + 1))
    eh_check "$@"
}

cleanup() {
    eh_kill "$EH_PID"
    rmdir "$blocker" "$settings" 2>/dev/null
    rm -f "$settings" "$backup.kept"
    [ "$had_settings" = 1 ] && cp "$backup" "$settings"
    rm -f "$backup"
    eh_windows_drawn_by_wm
    eh_stop_wine
    eh_stop_xvfb
}
trap cleanup EXIT

eh_start_xvfb 1024x768 || exit 1
wineserver -p
eh_windows_drawn_by_wine

# Where the dialog lies on the screen. With Wine drawing the frame, the 276 x 82 dialog at 0, 0
# has its client area at (3, 22); "MS Sans Serif" 8 gives base units of 7 x 13 pixels, so one
# dialog unit is 7/4 pixels across and 13/8 down.
dialog_title="Emberhall - ScreenSaver"
client_x=3
client_y=22
dialog_width=489
dialog_height=158

# Clicks the middle of the control whose place and size in dialog units are given.
click_control() {
    local x=$1 y=$2 width=$3 height=$4
    xdotool mousemove $((client_x + (2 * x + width) * 7 / 8)) \
        $((client_y + (2 * y + height) * 13 / 16)) click 1
    sleep 0.3
}
click_ok() { click_control 219 12 50 14; }
click_cancel() { click_control 219 29 50 14; }
click_yellow() { click_control 77 17 56 10; }
click_sparks() { click_control 16 61 91 10; }

settings_bytes() { od -An -tx1 "$settings" 2>/dev/null | tr -s ' \n' ' ' | sed 's/^ //;s/ $//'; }

# Starts the dialog with the given switch and waits for it; true when it showed.
open_dialog() {
    eh_start "$scr" "$1"
    eh_wait_window "$dialog_title" 30
}

dialog_geometry() {
    local X Y WIDTH HEIGHT WINDOW SCREEN
    eval "$(xdotool search --onlyvisible --name "^${dialog_title}\$" getwindowgeometry --shell \
        2>/dev/null | head -n 5)"
    echo "${X:-?},${Y:-?} ${WIDTH:-?}x${HEIGHT:-?}"
}

# 1. No settings file: /c opens the dialog at the top-left corner; Random Sparks, then OK.
rm -f "$settings"
check "/c opens the dialog" open_dialog /c
geometry=$(dialog_geometry)
check "the dialog lies at the top-left corner, 489 x 158 pixels (is $geometry)" \
    test "$geometry" = "0,0 ${dialog_width}x${dialog_height}"
eh_screenshot "$shots/dialog.png"
click_sparks
eh_screenshot "$shots/dialog-sparks-clicked.png"
click_ok
eh_wait_exit "$EH_PID" 20
check "OK ends the process with exit code 0" test "$EH_RC" = 0
check "OK writes the start values with the sixth byte 01 (is $(settings_bytes))" \
    test "$(settings_bytes)" = "01 00 00 01 00 01"

# 2. /C and /c:1234 open it too; Cancel and the close box save nothing.
check "/C opens the dialog" open_dialog /C
click_yellow
click_cancel
eh_wait_exit "$EH_PID" 20
check "Cancel ends the process with exit code 0" test "$EH_RC" = 0
check "/c:1234 opens the dialog" open_dialog /c:1234
click_sparks
xdotool mousemove $((dialog_width - 14)) 11 click 1 # the close box
eh_wait_exit "$EH_PID" 20
check "the close box ends the process with exit code 0" test "$EH_RC" = 0
check "neither wrote the file (is $(settings_bytes))" \
    test "$(settings_bytes)" = "01 00 00 01 00 01"

# 3. A directory where the new file is made first: the save goes into the file itself, and
# nothing is shown.
mkdir -p "$blocker"
check "/c opens the dialog over a blocked temporary file" open_dialog /c
click_sparks # off again
click_ok
eh_wait_exit "$EH_PID" 20
check "OK writes into the file itself and ends with exit code 0 (got $EH_RC)" test "$EH_RC" = 0
check "the file holds the new settings (is $(settings_bytes))" \
    test "$(settings_bytes)" = "01 00 00 01 00 00"
rmdir "$blocker"

# 4. A directory where the file itself should be: neither way can save. OK says so, names the
# file, leaves no temporary file behind, and still closes.
mv "$settings" "$backup.kept"
mkdir -p "$settings"
check "/c opens the dialog over a save that cannot work" open_dialog /c
click_sparks
click_ok
check "a message box tells of the failed save" eh_wait_window "Emberhall" 20
sleep 0.5
eh_screenshot "$shots/save-failed.png"
eval "$(xdotool search --onlyvisible --name '^Emberhall$' getwindowgeometry --shell 2>/dev/null |
    head -n 5)"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 24)) click 1 # its OK button
eh_wait_exit "$EH_PID" 20
check "after the message the process ends with exit code 0" test "$EH_RC" = 0
check "no temporary file is left behind" test ! -e "$blocker"
rmdir "$settings"
mv "$backup.kept" "$settings"

# 5. Yellow saved by the dialog, then the saver shows a yellow fire: its hot pixels have blue,
# which the standard fire never has.
check "/c opens the dialog" open_dialog /c
click_yellow
click_ok
eh_wait_exit "$EH_PID" 20
check "OK ends the process with exit code 0" test "$EH_RC" = 0
check "the yellow colours are stored (is $(settings_bytes))" \
    test "$(settings_bytes)" = "00 01 00 01 00 00"
# Wine reports the pointer's absolute position as the first relative movement, so the pointer
# goes to 0, 0 first. Wine keeps the last position it saw over one of its windows (here the OK
# button) for a moment after the dialog is gone; starting the saver within that moment ends it
# at once, so let it settle.
xdotool mousemove 0 0
sleep 1.5
eh_start "$scr" /s
check "/s starts the saver" eh_wait_window "Emberhall" 30
sleep 2.5
check "the saver is still running" kill -0 "$EH_PID"
eh_screenshot "$shots/yellow-fire.png"
hot_with_blue=$(convert "$shots/yellow-fire.png" -fx 'r > 0.8 && b > 0 ? 1 : 0' \
    -format '%[fx:round(mean * w * h)]' info:)
check "the fire is yellow: $hot_with_blue hot pixels with blue (at least 5000)" \
    test "${hot_with_blue:-0}" -ge 5000
eh_hold_key Escape
eh_wait_exit "$EH_PID" 20
check "Escape ends the saver with exit code 0" test "$EH_RC" = 0

echo "$((checks - EH_FAILURES)) passed, $EH_FAILURES failed"
[ "$EH_FAILURES" = 0 ]
