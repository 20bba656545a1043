#!/usr/bin/env bash
# The Linux saver on GNOME's Wayland session, which has no layer shell and no idle protocol:
# GNOME Shell headless with two monitors, 1024 x 768 and 800 x 600 (tests/linux/gnome_lib.sh),
# as the unprivileged user 65534, a mouse and keyboard from Mutter's remote-desktop session.
# 1. --overlay covers both monitors with fire and a default message (both report a full-screen
#    window), plays one sound stream, and moving the mouse ends it with exit code 0; run again,
#    Escape ends it with 0.
# 2. --idle 5s, on GNOME's idle monitor: nothing while input comes, the fire after five seconds
#    without, gone on input, back after five more; asleep while it waits (no CPU time, no
#    wake-ups); GNOME's shield coming up takes it away, asleep again; SIGTERM ends it with 0.
set -u
program=$1
source "$(dirname "$0")/linux_lib.sh"
source "$(dirname "$0")/gnome_lib.sh"
eh_linux_stage "$program"
WORK=$EH_LINUX_DIR/sound
mkdir -p "$WORK"
trap 'eh_kill "${saver:-}"; eh_gnome_stop; eh_stop_pulse; eh_linux_unstage' EXIT
eh_start_pulse "$WORK" 65534 || exit 1
eh_check "GNOME Shell runs headless with two monitors" eh_gnome_start 1024x768 800x600 || exit 1
eh_check "a mouse and a keyboard" eh_gnome_start_input || exit 1

covered() {
    eh_gnome_monitor_screenshot "$1" "$EH_LINUX_DIR/monitor-$1.png" &&
        eh_scaled_shows_message "$EH_LINUX_DIR/monitor-$1.png"
}
fire_on_first() {
    eh_gnome_monitor_screenshot 0 "$EH_LINUX_DIR/fire.png" &&
        eh_gt "$(eh_mean "$EH_LINUX_DIR/fire.png" 1024x40+0+720 r)" 0.4
}
not_fire() { ! fire_on_first; }
start_saver() {
    (eh_gnome_as_user "$EH_PROGRAM" --data-dir "$EH_DATA" "$@") >>"$EH_LINUX_DIR/output" 2>&1 &
    saver=$!
}
ended_with_zero() {
    eh_wait_exit "$saver" 10
    eh_check "$1 ends it with exit code 0 (got $EH_RC)" test "$EH_RC" = 0
}

# --- 1. Now, over everything.
start_saver --overlay
for monitor in 0 1; do
    eh_check "monitor $monitor: fire and a default message" eh_until 20 covered "$monitor"
    cp "$EH_LINUX_DIR/monitor-$monitor.png" "${EH_LINUX_SHOTS:-/tmp}/emberhall-gnome-$monitor.png"
done
eh_check "both monitors have a full-screen window" eval 'eh_gnome_fullscreen 0 && eh_gnome_fullscreen 1'
eh_check "one sound stream for both monitors" eh_until 10 eh_one_player
eh_gnome_input move 0 0 # where the pointer enters our window: no movement
eh_gnome_input move 8 5
ended_with_zero "moving the mouse"
start_saver --overlay --no-sound
eh_until 20 fire_on_first
eh_gnome_input key 1
ended_with_zero "Escape"

# --- 2. When the session is idle.
start_saver --idle 5s --no-sound
for _ in 1 2 3 4 5 6 7; do
    eh_gnome_input move 1 0
    sleep 1
done
eh_check "nothing while input comes" not_fire
eh_check "the fire after five seconds without input" eh_until 10 fire_on_first
eh_gnome_input move 1 0
eh_check "gone on input" eh_until 5 not_fire
eh_check "no wake-ups and no CPU time while it waits" eh_asleep "$saver" # two of the five seconds
eh_check "back after the next five seconds without input" eh_until 10 fire_on_first
eh_gnome_input shield 1
not_fullscreen() { ! eh_gnome_fullscreen 0; }
eh_check "GNOME's shield up, its window goes" eh_until 5 not_fullscreen
eh_check "and it waits asleep under the shield" eh_asleep "$saver"
kill -TERM "$saver"
ended_with_zero "SIGTERM"
eh_check "no error from the saver ($(grep -m1 '^emberhall:' "$EH_LINUX_DIR/output"))" \
    bash -c "! grep -q '^emberhall:' '$EH_LINUX_DIR/output'"
eh_check "nothing the sanitizers report" eh_no_sanitizer_report "$EH_LINUX_DIR/output"

exit "$EH_FAILURES"
