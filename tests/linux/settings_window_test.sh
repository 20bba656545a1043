#!/usr/bin/env bash
# emberhall-settings on a private Xvfb: what it shows of emberhall.dat, what OK and Cancel write,
# the user's own files handed to a stand-in xdg-open, the preview, a file it may not write. No
# window manager runs: xdotool gives the window the focus, and its mnemonics drive it.
# Usage: settings_window_test.sh path/to/emberhall-settings path/to/emberhall
set -u
source "$(dirname "$0")/linux_lib.sh"
eh_linux_stage "$2"
cp "$1" "$EH_LINUX_DIR/emberhall-settings"
trap 'eh_kill "${EH_PID:-}"; eh_stop_xvfb; eh_linux_unstage' EXIT
eh_start_xvfb 1024x768
eh_linux_home
cp -r "$EH_DATA" "$EH_SYSTEM_DATA/emberhall"
mkdir "$EH_LINUX_DIR/bin"
opened=$EH_LINUX_DIR/opened
printf '#!/bin/sh\necho "$@" >>%s\n' "$opened" >"$EH_LINUX_DIR/bin/xdg-open"
chmod +x "$EH_LINUX_DIR/bin/xdg-open"
export PATH=$EH_LINUX_DIR/bin:$PATH NO_AT_BRIDGE=1 XDG_DATA_DIRS=$EH_SYSTEM_DATA:/usr/share
dat=$XDG_CONFIG_HOME/emberhall/emberhall.dat
shot=$EH_LINUX_DIR/shot.png
title='^Emberhall Settings$'

# Opens the window (run by the command given, if any) and gives it the focus.
open_window() {
    "$@" "$EH_LINUX_DIR/emberhall-settings" >"$EH_LINUX_DIR/output" 2>&1 &
    EH_PID=$!
    eh_wait_window "Emberhall Settings" 20
    window=$(xdotool search --onlyvisible --name "$title" | head -1)
    xdotool windowfocus --sync "$window"
    sleep 0.5 # for GTK to draw it
}
keys() { xdotool key --delay 100 "$@"; }
windows_shown() { test "$(xdotool search --onlyvisible --name "$title" | wc -l)" = "$1"; }
bytes() { od -An -tx1 "$dat" 2>/dev/null | xargs; }
write_bytes() { printf "$(printf '\\x%s' "$@")" >"$dat"; }
# Waits for the window to close with 0, then checks the file holds $1 ("" for no file).
closes_with() {
    eh_wait_exit "$EH_PID" 10
    eh_check "$2: closes with 0 ($EH_RC) and the file holds '$1' ('$(bytes)')" \
        test "$EH_RC" = 0 -a "$(bytes)" = "$1"
}
# The centres of the checked marks (GTK's blue) in the window, "x,y" one a line, top first.
marks() {
    eh_screenshot "$shot"
    eval "$(xdotool getwindowgeometry --shell "$window")"
    convert "$shot" -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage -fx '(b-r)>0.4' \
        -define connected-components:verbose=true -define connected-components:area-threshold=30 \
        -connected-components 8 null: | awk 'NR > 1 && $NF ~ /255|100%/ {print $3}' |
        sort -t, -k2n | sed 's/\.[0-9]*//g'
}

open_window
keys alt+y Escape
closes_with "" "no file, Yellow, Escape"
open_window
shown=$(marks)
cp "$shot" "$(dirname "$1")/settings-window.png" # for a person to look at
standard=$(head -1 <<<"$shown") sound=$(sed -n 2p <<<"$shown")
eh_check "no file: two marks, Standard's above the first box in its column ($(xargs <<<"$shown"))" \
    test "$(wc -l <<<"$shown")" = 2 -a "${standard%,*}" = "${sound%,*}"
keys alt+y alt+r Return
closes_with "00 01 00 01 00 01" "Yellow, Random Sparks, Enter"
open_window
keys alt+l alt+u alt+c
closes_with "00 01 00 01 00 01" "Cycle Colors, Play Music Playlist, Cancel"

write_bytes 00 00 00 01 00 00
open_window
eh_check "no colour flag on: no radio button marked, only the sound" test "$(marks)" = "$sound"
keys Return
closes_with "00 00 00 01 00 00" "no colour flag on, OK"
write_bytes 02 01 00 ff
open_window
shown=$(marks)
eh_check "02 01 00 FF: one mark, right of Standard's in its row ($shown)" \
    test "$(wc -l <<<"$shown")" = 1 -a "${shown#*,}" = "${standard#*,}" -a "${shown%,*}" -gt "${standard%,*}"
keys Return
closes_with "02 01 00 ff ff ff" "02 01 00 FF, OK"
open_window
keys alt+s alt+e Return
closes_with "01 00 00 01 ff ff" "02 01 00 FF FF FF, Standard, Play Sound Effects, OK"

open_window
# A button pressed with its mnemonic stays down a quarter of a second, taking no key meanwhile.
keys alt+m
eh_until 10 grep -qs motd "$opened"
keys alt+p
eh_until 10 grep -qs pls "$opened"
own=$XDG_CONFIG_HOME/emberhall/fire_data
eh_check "Edit Messages and Edit Playlist copy the shipped files and hand them to xdg-open" \
    eval 'cmp -s "$own/motd.txt" "$EH_DATA/fire_data/motd.txt" && test -f "$own/pls.txt" &&
        test "$(sort "$opened" | xargs)" = "$own/motd.txt $own/pls.txt"'
xdotool mousemove 5 5
keys alt+l alt+v
eh_until 10 pgrep -P "$EH_PID" -x emberhall >/dev/null
preview=$(pgrep -P "$EH_PID" -x emberhall)
run=$(tr '\0' ' ' </proc/"$preview"/cmdline)
eh_check "Preview runs the saver beside it with the unsaved choices ($run)" \
    test "$run" = "$EH_PROGRAM --fullscreen --color cycle --sound --no-music --no-sparks "
eh_check "the preview shows the fire full screen" eh_wait_fire 1024x40+0+720 15
xdotool mousemove 300 300
eh_check "moving the mouse ends the preview" eh_until 10 bash -c "! kill -0 $preview 2>/dev/null"
xdotool windowfocus --sync "$window"
keys Escape
closes_with "01 00 00 01 ff ff" "after the preview, Escape"

# A folder and a file the user may not write.
eh_nobody_home
mkdir -p "$EH_NOBODY_HOME/.config/emberhall"
cp "$dat" "$EH_NOBODY_HOME/.config/emberhall/emberhall.dat"
dat=$EH_NOBODY_HOME/.config/emberhall/emberhall.dat
open_window eh_as_nobody NO_AT_BRIDGE=1
keys alt+r alt+m
eh_check "Edit Messages where no copy can be made: a message" eh_until 10 windows_shown 2
keys Return # to the message, which takes the keys while it is open
eh_until 10 windows_shown 1
keys Return
eh_check "OK where the file cannot be written: a message" eh_until 10 windows_shown 2
said=$(tr -s '\n' ' ' <"$EH_LINUX_DIR/output")
eh_check "the messages name the files and the reasons ($said)" eval '
    grep -qF "could not be saved to $dat Cannot create $dat.new: Permission denied" <<<"$said" &&
    grep -q "fire_data/motd.txt, could not be made: cannot create the folder .*: Permission denied" <<<"$said"'
eh_check "the old file stays, and so does the window" test "$(bytes)" = "01 00 00 01 ff ff" -a -d /proc/"$EH_PID"

exit "$EH_FAILURES"
