#!/usr/bin/env bash
# The Linux saver in the windows it can draw into: a window of its own at two sizes and full
# screen, a window given by id, the root window; the ways it ends (Escape, its window destroyed,
# the mouse in full screen, the window manager's close and no other message, SIGTERM, SIGINT,
# SIGHUP); and the clear refusals (no display, a window that does not exist, an odd option).
set -u
program=$1
source "$(dirname "$0")/linux_lib.sh"
eh_linux_stage "$program"
trap 'eh_kill "${EH_PID:-}"; eh_kill "${bare:-}"; eh_stop_xvfb; eh_linux_unstage' EXIT
eh_linux_home
# No messages: every pixel that carries blue would be a wrong fire colour.
mkdir -p "$XDG_CONFIG_HOME/emberhall/fire_data"
: >"$XDG_CONFIG_HOME/emberhall/fire_data/motd.txt"
shot=$EH_LINUX_DIR/shot.png
eh_start_xvfb 1280x1024

# --- a window of its own: 1024 x 768, then resized twice, then full screen ---
xdotool mousemove 1279 1023
eh_linux_start --data-dir "$EH_DATA"
eh_check "its own window shows fire along its bottom" eh_wait_fire 1024x40+0+720
eh_check "the fire stays inside its 1024 x 768 window" \
    test "$(eh_max "$shot" 256x256+1024+768 r)" = 0
eh_check "no blue in the standard colours" test "$(eh_blue_pixels "$shot" 1024x768+0+0)" = 0
window=$(xdotool search --name '^Emberhall$' | head -n 1)
eh_check "the window is titled Emberhall" test -n "$window"
for size in "800 500" "1200 900"; do
    set -- $size
    xdotool windowsize "$window" "$1" "$2"
    eh_check "after a resize to $1 x $2 the fire reaches its bottom-right corner" \
        eh_wait_fire "60x30+$(($1 - 60))+$(($2 - 35))" 10
done
xdotool key --window "$window" F11
eh_check "F11 makes it full screen: fire into the screen's bottom-right corner" \
    eh_wait_fire 100x40+1180+980 10
xdotool mousemove 1200 1000
eh_wait_exit "$EH_PID" 10
eh_check "full screen, the mouse ends it with exit code 0 (got $EH_RC)" test "$EH_RC" = 0

eh_linux_start --data-dir "$EH_DATA"
eh_wait_fire 1024x40+0+720 >/dev/null
window=$(xdotool search --name '^Emberhall$' | head -n 1)
xdotool mousemove 100 100 # in a window, the mouse does not end it
sleep 1
eh_check "in a window the mouse leaves it running" kill -0 "$EH_PID"
xdotool key --window "$window" Escape
eh_wait_exit "$EH_PID" 10
eh_check "Escape ends it with exit code 0 (got $EH_RC)" test "$EH_RC" = 0

eh_linux_start --data-dir "$EH_DATA"
eh_wait_fire 1024x40+0+720 >/dev/null
window=$(xdotool search --name '^Emberhall$' | head -n 1)
"$EH_BARE_WINDOW" message "$window" _NET_WM_STATE WM_DELETE_WINDOW
sleep 1
eh_check "another client message that names WM_DELETE_WINDOW leaves it running" kill -0 "$EH_PID"
"$EH_BARE_WINDOW" message "$window" WM_PROTOCOLS WM_DELETE_WINDOW
eh_wait_exit "$EH_PID" 10
eh_check "the window manager's close ends it with exit code 0 (got $EH_RC)" test "$EH_RC" = 0

eh_linux_start --fullscreen --data-dir "$EH_DATA"
eh_check "--fullscreen fills the screen" eh_wait_fire 1280x40+0+980
window=$(xdotool search --name '^Emberhall$' | head -n 1)
xdotool windowclose "$window"
eh_wait_exit "$EH_PID" 10
eh_check "its window destroyed, it ends with exit code 0 (got $EH_RC)" test "$EH_RC" = 0

# --- a window given by id, as a settings program's preview pane ---
coproc bare_window { exec "$EH_BARE_WINDOW" 640 400; }
bare=$bare_window_PID
read -r id <&"${bare_window[0]}"
eh_linux_start --window-id "$id" --data-dir "$EH_DATA"
eh_check "--window-id $id: fire along the bottom of that window" eh_wait_fire 640x30+0+365
eh_check "--window-id: nothing drawn outside it" test "$(eh_max "$shot" 600x600+680+420 r)" = 0
kill "$bare"
wait "$bare" 2>/dev/null
eh_wait_exit "$EH_PID" 10
eh_check "the given window destroyed, it ends with exit code 0 (got $EH_RC)" test "$EH_RC" = 0

# --- the host's variable before --root, then the root window (whose picture stays after) ---
coproc bare_window { exec "$EH_BARE_WINDOW" 500 300; }
bare=$bare_window_PID
read -r id <&"${bare_window[0]}"
XSCREENSAVER_WINDOW=$id eh_linux_start --root --data-dir "$EH_DATA"
eh_check "XSCREENSAVER_WINDOW wins over --root" eh_wait_fire 500x30+0+265
eh_check "XSCREENSAVER_WINDOW: the rest of the screen stays dark" \
    test "$(eh_max "$shot" 700x600+560+400 r)" = 0
eh_linux_end_with "$EH_PID" TERM "XSCREENSAVER_WINDOW"
eh_kill "$bare"
eh_linux_start --root --data-dir "$EH_DATA"
eh_check "--root: fire along the whole bottom of the screen" eh_wait_fire 1280x40+0+980
eh_linux_end_with "$EH_PID" HUP "--root"
eh_linux_start --data-dir "$EH_DATA"
eh_wait_fire 1024x40+0+720 >/dev/null
eh_linux_end_with "$EH_PID" INT "its own window"
eh_check "no emberhall process is left" test -z "$(pgrep -f "$EH_PROGRAM")"

# --- refusals: a clear line and exit code 1 ---
refuses() {
    local what=$1 expected=$2
    shift 2
    "$@" >"$EH_LINUX_DIR/output" 2>&1 </dev/null
    local rc=$?
    eh_check "$what: exit code 1 (got $rc)" test "$rc" = 1
    eh_check "$what: says \"$expected\" ($(head -c 200 "$EH_LINUX_DIR/output"))" \
        grep -q "$expected" "$EH_LINUX_DIR/output"
}
refuses "no DISPLAY" "DISPLAY is not set" env -u DISPLAY "$EH_PROGRAM"
refuses "a display that is not there" 'cannot open the display ":77"' env DISPLAY=:77 "$EH_PROGRAM"
refuses "a window that does not exist" "no window 0x7fffff" "$EH_PROGRAM" --window-id 0x7fffff
refuses "an unknown option" "unknown option '--frobnicate'" "$EH_PROGRAM" --frobnicate
refuses "--overlay without Wayland" "WAYLAND_DISPLAY is not set" env -u WAYLAND_DISPLAY "$EH_PROGRAM" --overlay
refuses "--idle without a time" "minutes (5) or seconds (30s)" "$EH_PROGRAM" --idle 0
"$EH_PROGRAM" --help >"$EH_LINUX_DIR/output" 2>&1
eh_check "--help lists the options and ends with 0" grep -q -- "--no-sparks" "$EH_LINUX_DIR/output"

# --- a server without RENDER: the program stretches the picture itself ---
eh_stop_xvfb
EH_XVFB_OPTIONS="-extension RENDER" eh_start_xvfb 1280x1024
eh_linux_start --root --data-dir "$EH_DATA"
eh_check "without RENDER, --root: fire along the whole bottom of the screen" eh_wait_fire 1280x40+0+980
eh_linux_end_with "$EH_PID" TERM "--root without RENDER"

exit "$EH_FAILURES"
