#!/usr/bin/env bash
# emberhall-settings on a private Xvfb: what it shows of emberhall.dat, what OK and Cancel write,
# the messages list and the motd.txt it writes (then shown by the saver), the user's own files
# handed to a stand-in xdg-open, the preview, files it may not write. No window manager runs:
# xdotool gives the window the focus, and its mnemonics drive it.
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
motd=$XDG_CONFIG_HOME/emberhall/fire_data/motd.txt
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
typed() { xdotool type --delay 100 "$1"; }
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
eh_check "OK with the messages as they were writes no motd.txt" test ! -e "$motd"
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

# The messages list. One added with accents and its seconds, moved to the top with its Up arrow
# (eight rows above it); one with a line end and more seconds than the list takes; one added and
# removed (Tab passes Down, grey on the last row). OK writes the entries the core lays out for
# them, the shipped ones kept as they were, and the saver shows the first.
open_window
keys alt+d && typed 'Grüße aus Köln'
keys Tab && typed 7.5 && keys Tab Return Return Return Return Return Return Return Return
keys alt+d && typed Zweite && keys Return && typed Zeile && keys Tab && typed 9999
keys alt+d && typed weg && keys Tab Tab Tab Return
eh_screenshot "$(dirname "$1")/settings-messages.png" # for a person to look at
keys alt+o
closes_with "01 00 00 01 ff ff" "messages added, moved and removed, OK"
# One line of 14 cells of 50: x = (1024 - 14 * 50) / 2, y = 220 - 50 / 2. Two lines of at most
# six: x = (1024 - 6 * 50) / 2, y = 220 - 2 * 50 / 2. An hour at most.
expected="Grüße+aus+Köln 162 195 7500
$(cat "$EH_DATA/fire_data/motd.txt")
Zweite-Zeile 362 170 3600000"
eh_check "motd.txt: the new entries around the shipped ones ($(head -1 "$motd"), $(tail -1 "$motd"))" \
    test "$(cat "$motd")" = "$expected"
# The glyph pixels, the only ones with blue, on one line from y = 195, centred; fire below.
held_at_top_centre() {
    local w h x y
    eh_screenshot "$shot"
    IFS='x+' read -r w h x y < <(convert "$shot" -channel B -separate -threshold 0 -format '%@' info: 2>/dev/null)
    local off_centre=$((x - (1024 - x - w)))
    [ "$y" -ge 190 ] && [ "$((y + h))" -le 250 ] && [ "$w" -ge 600 ] &&
        [ "${off_centre#-}" -le 10 ] && eh_shows_message_over_standard_fire "$shot"
}
xdotool mousemove 0 0
eh_linux_start --fullscreen --no-sound --no-sparks
eh_check "the saver shows it first, on one line centred over the fire" eh_until 20 held_at_top_centre
eh_kill "$EH_PID"

# Cancel writes nothing. Nor does OK when another program (the text editor of Edit Messages)
# changed the file meanwhile: the list is read again. This time it holds a part that is no
# entry, which the list cannot keep: no rows then, no Add, and OK leaves the file alone.
cp "$motd" "$EH_LINUX_DIR/motd.before"
open_window
keys alt+d && typed 'Nicht gespeichert' && keys alt+c
closes_with "01 00 00 01 ff ff" "a message added, Cancel"
eh_check "Cancel leaves motd.txt as it was" cmp -s "$motd" "$EH_LINUX_DIR/motd.before"
open_window
changed=$'Eins 512 300 1000\nkaputt\nZwei 1 2 3'
printf '%s\n' "$changed" >"$motd"
keys alt+d && typed Drei && keys alt+o
eh_check "OK after another program changed motd.txt: a message" eh_until 10 windows_shown 2
keys Return
eh_until 10 windows_shown 1
keys alt+d alt+o
closes_with "01 00 00 01 ff ff" "motd.txt read again, Add and OK"
eh_check "motd.txt keeps the other program's text, the part that is no entry too" \
    test "$(cat "$motd")" = "$changed"
eh_check "the message says so" grep -q "were changed by another program" "$EH_LINUX_DIR/output"

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

# The settings may be written now, the messages' folder not: OK saves the one, tells why not
# the other, and the window stays. (The window before is closed with its keys: its id is that of
# the shell that started it as user 65534.)
keys Return && eh_until 10 windows_shown 1 && keys Escape
eh_wait_exit "$EH_PID" 10
chown -R 65534:65534 "$EH_NOBODY_HOME/.config"
folder=$EH_NOBODY_HOME/.config/emberhall/fire_data
mkdir "$folder"
cp "$EH_DATA/fire_data/motd.txt" "$folder/"
open_window eh_as_nobody NO_AT_BRIDGE=1
keys alt+r && keys alt+d && typed Neu && keys alt+o
eh_check "OK where motd.txt cannot be written: a message" eh_until 10 windows_shown 2
said=$(tr -s '\n' ' ' <"$EH_LINUX_DIR/output")
eh_check "it names the file and the reason; the settings are saved, motd.txt and the window stay ($said)" eval '
    grep -qF "could not be saved to $folder/motd.txt Cannot create a file in $folder: Permission denied" <<<"$said" &&
    test "$(bytes)" = "01 00 00 01 ff 01" && cmp -s "$folder/motd.txt" "$EH_DATA/fire_data/motd.txt" &&
    test -d /proc/"$EH_PID"'

exit "$EH_FAILURES"
