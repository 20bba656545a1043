#!/usr/bin/env bash
# The Linux saver as a native Wayland client, under a real compositor: Debian's sway, headless,
# with two outputs of different sizes, an ordinary window on the first and no Xwayland at all.
# 1. --overlay covers both outputs above the window with fire and the default messages, plays
#    one sound stream, covers an output added while it runs, and moving the pointer ends it
#    with exit code 0 and nothing left running. The middle button does not end it, the right
#    one does.
# 2. --idle 5s: nothing while input comes, the fire after five seconds without, gone on input,
#    back after the next five seconds; asleep while it waits (one thread, no CPU time, no
#    wake-ups); SIGTERM ends it with 0.
# 3. With the settings window (EH_SETTINGS_WINDOW, the plain build's): an autostart entry of
#    thirty seconds and --data-dir, which the window shows as a minute, is left as it was when
#    Enter closes the window, and Enter saves the settings of a user who had no folder for them.
# sway refuses to run as root: it, PulseAudio and the saver run as the unprivileged user 65534.
set -u
program=$1
bench=${EH_WAYLAND_BENCH:?the wayland_bench helper}
source "$(dirname "$0")/linux_lib.sh"
eh_linux_stage "$program"
cp "$bench" "$EH_LINUX_DIR/wayland_bench"
chmod a+rx "$EH_LINUX_DIR/wayland_bench"
WORK=$EH_LINUX_DIR/sound
mkdir -p "$WORK"
cleanup() {
    eh_kill "${saver:-}"
    exec 3>&- 2>/dev/null
    eh_kill "${window:-}"
    eh_kill "${pointer:-}"
    eh_kill "${sway:-}"
    eh_stop_pulse
    eh_linux_unstage
}
trap cleanup EXIT
eh_nobody_home
eh_start_pulse "$WORK" 65534 || exit 1
runtime=$XDG_RUNTIME_DIR # the user's runtime folder: PulseAudio's, sway's and the saver's
cat >"$EH_LINUX_DIR/sway.conf" <<CONF
output HEADLESS-1 mode 1280x720
output HEADLESS-2 mode 1920x1080
CONF
# Always started in the background, where it replaces its subshell: $! is the program's own id.
as_user() {
    exec setpriv --reuid=65534 --regid=65534 --clear-groups env -i HOME="$EH_NOBODY_HOME" \
        XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=wayland-1 PULSE_SERVER="$PULSE_SERVER" \
        PATH=/usr/bin:/bin "$@"
}
as_user WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=2 \
    sway -c "$EH_LINUX_DIR/sway.conf" >"$EH_LINUX_DIR/sway.log" 2>&1 &
sway=$!
sway_runs() { ls "$runtime"/sway-ipc.*.sock >/dev/null 2>&1 && [ -S "$runtime/wayland-1" ]; }
eh_check "sway runs headless" eh_until 20 sway_runs || exit 1
swaymsg() { command swaymsg -s "$(ls "$runtime"/sway-ipc.*.sock)" "$@" >/dev/null; }
shot() { XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=wayland-1 grim -o "$1" "$2"; }

as_user "$EH_LINUX_DIR/wayland_bench" window >"$EH_LINUX_DIR/window.log" 2>&1 &
window=$!
# The compositor has no input devices: a virtual pointer, fed through a pipe, is the mouse.
mkfifo "$EH_LINUX_DIR/pointer"
chmod 666 "$EH_LINUX_DIR/pointer"
as_user "$EH_LINUX_DIR/wayland_bench" pointer <"$EH_LINUX_DIR/pointer" >"$EH_LINUX_DIR/pointer.log" 2>&1 &
pointer=$!
exec 3>"$EH_LINUX_DIR/pointer"
ready() { grep -q "window shown" "$EH_LINUX_DIR/window.log" && grep -q "pointer ready" "$EH_LINUX_DIR/pointer.log"; }
eh_check "an ordinary window and a pointer" eh_until 10 ready
window_shows() { shot HEADLESS-1 "$EH_LINUX_DIR/window.png" && eh_gt "$(eh_mean "$EH_LINUX_DIR/window.png" 400x300+400+200 b)" 0.9; }
eh_check "the window shows before the saver" eh_until 10 window_shows

# True when output $1's screenshot, brought to the picture's size, shows a held default message
# over standard fire; the screenshot is left in $EH_LINUX_DIR/$1.png.
covered() { shot "$1" "$EH_LINUX_DIR/$1.png" && eh_scaled_shows_message "$EH_LINUX_DIR/$1.png"; }
fire_on() { shot "$1" "$EH_LINUX_DIR/fire.png" && eh_gt "$(eh_mean "$EH_LINUX_DIR/fire.png" "$2" r)" 0.4; }
running() { kill -0 "$saver" 2>/dev/null; }

# --- 1. Now, over everything.
as_user "$EH_PROGRAM" --overlay --data-dir "$EH_DATA" >"$EH_LINUX_DIR/output" 2>&1 &
saver=$!
for output in HEADLESS-1 HEADLESS-2; do
    eh_check "$output: fire and a default message over the window" eh_until 20 covered "$output"
    cp "$EH_LINUX_DIR/$output.png" "${EH_LINUX_SHOTS:-/tmp}/emberhall-wayland-$output.png"
done
eh_check "one sound stream for both outputs" eh_until 10 eh_one_player
swaymsg create_output
eh_check "an output added while it runs is covered too" eh_until 10 fire_on HEADLESS-3 1920x60+0+1000
echo "move 0 0" >&3 # a pointer that does not move is no movement
sleep 1
eh_check "it runs while the pointer stays still" running
echo "move 8 5" >&3
eh_wait_exit "$saver" 10
eh_check "moving the pointer ends it with exit code 0 (got $EH_RC)" test "$EH_RC" = 0
eh_check "no saver process is left" test -z "$(pgrep -u 65534 -f "$EH_PROGRAM")"
eh_check "the window shows again" eh_until 10 window_shows
as_user "$EH_PROGRAM" --overlay --no-sound --data-dir "$EH_DATA" >>"$EH_LINUX_DIR/output" 2>&1 &
saver=$!
eh_until 10 fire_on HEADLESS-1 1280x40+0+680
echo "button middle" >&3
sleep 1
eh_check "the middle button does not end it" running
echo "button right" >&3
eh_wait_exit "$saver" 10
eh_check "the right button ends it with exit code 0 (got $EH_RC)" test "$EH_RC" = 0

# --- 2. When the session is idle.
as_user "$EH_PROGRAM" --idle 5s --no-sound --data-dir "$EH_DATA" >>"$EH_LINUX_DIR/output" 2>&1 &
saver=$!
for i in 1 2 3 4 5 6 7; do
    echo "move 1 0" >&3
    sleep 1
done
not_fire() { ! fire_on HEADLESS-1 1280x40+0+680; }
eh_check "nothing while input comes" not_fire
eh_check "the fire after five seconds without input" eh_until 10 fire_on HEADLESS-1 1280x40+0+680
echo "move 1 0" >&3
eh_check "gone on input" eh_until 3 not_fire
eh_check "it waits, asleep: one thread" test "$(ls "/proc/$saver/task" | wc -l)" = 1
eh_check "no wake-ups and no CPU time while it waits" eh_asleep "$saver" # two of the five seconds
eh_check "back after the next five seconds without input" eh_until 10 fire_on HEADLESS-1 1280x40+0+680
kill -TERM "$saver"
eh_wait_exit "$saver" 10
eh_check "SIGTERM ends it with exit code 0 (got $EH_RC)" test "$EH_RC" = 0
eh_check "no error from the saver ($(grep -m1 '^emberhall:' "$EH_LINUX_DIR/output"))" \
    bash -c "! grep -q '^emberhall:' '$EH_LINUX_DIR/output'"
eh_check "nothing the sanitizers report" eh_no_sanitizer_report "$EH_LINUX_DIR/output"

# --- 3. The settings window on Wayland.
if [ -n "${EH_SETTINGS_WINDOW:-}" ]; then
    cp "$EH_SETTINGS_WINDOW" "$EH_LINUX_DIR/emberhall-settings"
    chmod a+rx "$EH_LINUX_DIR/emberhall-settings"
    (as_user "$EH_PROGRAM" --add-to-session 30s --data-dir "$EH_DATA" >/dev/null)
    entry=$EH_NOBODY_HOME/.config/autostart/emberhall-idle.desktop
    before=$(grep '^Exec=' "$entry")
    as_user NO_AT_BRIDGE=1 "$EH_LINUX_DIR/emberhall-settings" >"$EH_LINUX_DIR/settings.log" 2>&1 &
    settings=$!
    shown() { command swaymsg -s "$(ls "$runtime"/sway-ipc.*.sock)" -t get_tree | grep -q '"Emberhall Settings"'; }
    eh_until 20 shown && sleep 1 # for GTK to draw it
    # A new keyboard, whose first key would reach no one before the window has asked for it.
    (as_user wtype -s 1500 -k Return)
    eh_wait_exit "$settings" 10
    eh_check "Enter closes the settings window with 0 (got $EH_RC)" test "$EH_RC" = 0
    eh_check "and saves the settings where there was no folder for them" \
        test -f "$EH_NOBODY_HOME/.config/emberhall/emberhall.dat"
    eh_check "the autostart entry runs what it ran ($before)" \
        test "$(grep '^Exec=' "$entry")" = "$before" -a "$before" = "Exec=$EH_PROGRAM --data-dir $EH_DATA --idle 30s"
fi

exit "$EH_FAILURES"
