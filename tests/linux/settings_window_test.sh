#!/usr/bin/env bash
# The settings window, emberhall-settings, on a private Xvfb: what it shows of emberhall.dat, what
# OK and Cancel write, the user's own messages opened through a stand-in xdg-open, the preview
# with the saver beside it, and a file it may not write. No window manager runs, so the window
# gets the keyboard focus from xdotool and is driven with its mnemonics, Enter and Escape.
# Usage: settings_window_test.sh path/to/emberhall-settings path/to/emberhall
set -u
source "$(dirname "$0")/linux_lib.sh"
eh_linux_stage "$2"
cp "$1" "$EH_LINUX_DIR/emberhall-settings"
trap 'eh_kill "${EH_PID:-}"; eh_stop_xvfb; eh_linux_unstage' EXIT
eh_start_xvfb 1024x768
eh_linux_home
cp -r "$EH_DATA" "$EH_SYSTEM_DATA/emberhall"
mkdir -p "$EH_LINUX_DIR/bin"
printf '#!/bin/sh\necho "$@" >>%s/opened\n' "$EH_LINUX_DIR" >"$EH_LINUX_DIR/bin/xdg-open"
chmod +x "$EH_LINUX_DIR/bin/xdg-open"
export PATH=$EH_LINUX_DIR/bin:$PATH NO_AT_BRIDGE=1 XDG_DATA_DIRS=$EH_SYSTEM_DATA:/usr/share
dat=$XDG_CONFIG_HOME/emberhall/emberhall.dat
shot=$EH_LINUX_DIR/shot.png
title='^Emberhall Settings$'

# Opens the window (with the command before it, if any) and gives it the focus.
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
closes() {
    eh_wait_exit "$EH_PID" 10
    eh_check "$1: the window closes with exit code 0 (got $EH_RC)" test "$EH_RC" = 0
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

# --- what it shows, and what OK and Cancel write ---
open_window
keys alt+y Escape
closes "Escape"
eh_check "Escape with no settings file writes none" test ! -e "$dat"

open_window
shown=$(marks)
cp "$shot" "$(dirname "$1")/settings-window.png" # for a person to look at
standard=$(head -1 <<<"$shown")
sound=$(sed -n 2p <<<"$shown")
eh_check "no file: two marks, a radio button above the first box in its column ($(xargs <<<"$shown"))" \
    test "$(wc -l <<<"$shown")" = 2 -a "${standard%,*}" = "${sound%,*}"
keys alt+y alt+r Return
closes "Yellow, Random Sparks, Enter"
eh_check "Yellow, Random Sparks and OK write 00 01 00 01 00 01 ($(bytes))" \
    test "$(bytes)" = "00 01 00 01 00 01"

open_window
keys alt+l alt+u alt+c
closes "_Cancel"
eh_check "Cancel after clicks writes nothing" test "$(bytes)" = "00 01 00 01 00 01"

write_bytes 00 00 00 01 00 00
open_window
eh_check "no colour flag on: only the sound's mark, where the first box is" \
    test "$(marks)" = "$sound"
keys Return
closes "OK untouched"
eh_check "no colour flag on: OK writes the file back as it came" \
    test "$(bytes)" = "00 00 00 01 00 00"

write_bytes 02 01 00 ff
open_window
shown=$(marks)
eh_check "02 01 00 FF: only Yellow's mark, right of Standard's in its row ($shown)" \
    test "$(wc -l <<<"$shown")" = 1 -a "${shown#*,}" = "${standard#*,}" -a "${shown%,*}" -gt "${standard%,*}"
keys Return
closes "02 01 00 FF"
eh_check "OK untouched keeps 02 and FF, the missing bytes FF ($(bytes))" \
    test "$(bytes)" = "02 01 00 ff ff ff"
open_window
keys alt+s alt+e Return
closes "02 01 00 FF FF FF, Standard and Sound clicked"
eh_check "clicked, 02 and FF give way to what was clicked ($(bytes))" \
    test "$(bytes)" = "01 00 00 01 ff ff"

# --- the user's own files, and the preview ---
open_window
opened=$EH_LINUX_DIR/opened
# A button pressed with its mnemonic stays down a quarter of a second, and takes no key then.
keys alt+m
eh_until 10 grep -qs motd "$opened"
keys alt+p
eh_until 10 grep -qs pls "$opened"
own=$XDG_CONFIG_HOME/emberhall/fire_data
eh_check "Edit Messages copies the shipped messages" cmp -s "$own/motd.txt" "$EH_DATA/fire_data/motd.txt"
eh_check "Edit Playlist copies the shipped playlist" test -f "$own/pls.txt"
eh_check "and both are handed to xdg-open ($(sort "$opened" | xargs))" \
    test "$(sort "$opened" | xargs)" = "$own/motd.txt $own/pls.txt"
xdotool mousemove 5 5
keys alt+l alt+v
eh_until 10 pgrep -P "$EH_PID" -x emberhall >/dev/null
preview=$(pgrep -P "$EH_PID" -x emberhall)
run=$(tr '\0' ' ' </proc/"$preview"/cmdline)
eh_check "Preview runs the saver beside it with the window's choices, unsaved ($run)" \
    test "$run" = "$EH_PROGRAM --fullscreen --color cycle --sound --no-music --no-sparks "
eh_check "the preview shows the fire full screen" eh_wait_fire 1024x40+0+720 15
xdotool mousemove 300 300
eh_check "moving the mouse ends the preview" eh_until 10 bash -c "! kill -0 $preview 2>/dev/null"
xdotool windowfocus --sync "$window"
keys Escape
closes "after the preview"
eh_check "the preview saved nothing" test "$(bytes)" = "01 00 00 01 ff ff"

# --- a settings file and folder the user may not write ---
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
eh_check "a file it may not write: a message names it and the reason ($said)" \
    grep -qF "could not be saved to $dat Cannot create $dat.new: Permission denied" <<<"$said"
eh_check "and its own messages could not be made, it says where and why" \
    grep -q "fire_data/motd.txt, could not be made: cannot create the folder .*Permission denied" "$EH_LINUX_DIR/output"
eh_check "the old file stays as it was" test "$(bytes)" = "01 00 00 01 ff ff"
eh_check "the window stays open for another try" kill -0 "$EH_PID"

exit "$EH_FAILURES"
