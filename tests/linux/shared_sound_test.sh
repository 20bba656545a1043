#!/usr/bin/env bash
# Several copies of the Linux saver under the real XScreenSaver daemon, which runs one per X
# screen, and the daemon's restarts:
# 1. Two screens, the fire sound on: both copies draw, one stream plays at the fire loop's usual
#    level; the playing copy killed with SIGKILL, the other takes the sound over within about
#    two seconds, at the same level.
# 2. The music on and a short `cycle`, so that the daemon restarts the saver while the second of
#    three tones plays: after the restart the same tone goes on, not the first.
# The daemon, the hacks and PulseAudio run as the unprivileged user 65534.
set -u
program=$1
source "$(dirname "$0")/linux_lib.sh"
source "$(dirname "$0")/../wine/sound_measures.sh"
eh_linux_stage "$program"
WORK=$EH_LINUX_DIR/sound
mkdir -p "$WORK"
cleanup() {
    eh_kill "${daemon:-}"
    pkill -KILL -u 65534 -f "$EH_PROGRAM" 2>/dev/null
    eh_kill "${EH_RECORDER_PID:-}"
    eh_stop_pulse
    eh_stop_xvfb
    eh_linux_unstage
}
trap cleanup EXIT
eh_start_xvfb 1024x768 2
eh_nobody_home
eh_start_pulse "$WORK" 65534 || exit 1

# A steady tone in place of the fire sound, so that its level says how many copies play it:
# 0.8 at half volume is an RMS of 0.283. The tracks: 440 Hz for 8 s, then 880 Hz for 40 s, so
# that the daemon's restart after 15 s falls well inside the second however slowly a loaded
# machine starts the saver and notices the restart, and 1320 Hz.
config=$EH_NOBODY_HOME/.config/emberhall/fire_data
mkdir -p "$config"
sox -n -r 44100 -c 2 -b 16 "$config/fire.wav" synth 2 sine 330 vol 0.8
for tone in 440:8 880:40 1320:5; do
    sox -n -r 44100 -c 2 -b 16 "$WORK/tone${tone%:*}.wav" synth "${tone#*:}" sine "${tone%:*}" vol 0.5
    echo "$WORK/tone${tone%:*}.wav" >>"$config/pls.txt"
done
chown -R 65534:65534 "$EH_NOBODY_HOME" "$WORK"

# Starts the daemon with the program line $2 and the cycle $1, and activates it.
start_daemon() {
    cat >"$EH_NOBODY_HOME/.xscreensaver" <<XSCREENSAVER
mode:		one
selected:	0
timeout:	0:30:00
cycle:		$1
lock:		False
splash:		False
fade:		False
unfade:		False
programs:								      \\
		$2			    \\n\\

XSCREENSAVER
    chown 65534:65534 "$EH_NOBODY_HOME/.xscreensaver"
    setpriv --reuid=65534 --regid=65534 --clear-groups \
        env -i DISPLAY="$DISPLAY" HOME="$EH_NOBODY_HOME" PATH=/usr/libexec/xscreensaver:/usr/bin:/bin \
        XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" PULSE_SERVER="$PULSE_SERVER" \
        xscreensaver -no-splash -verbose >"$EH_LINUX_DIR/daemon.log" 2>&1 &
    daemon=$!
    daemon_answers() { eh_as_nobody xscreensaver-command -version >/dev/null 2>&1; }
    eh_until 10 daemon_answers || echo "the daemon did not answer" >&2
    eh_as_nobody xscreensaver-command -activate >/dev/null 2>&1
}

stop_daemon() {
    eh_as_nobody xscreensaver-command -deactivate >/dev/null 2>&1
    kill "$daemon"
    eh_wait_exit "$daemon" 10
    pkill -KILL -u 65534 -f "$EH_PROGRAM" 2>/dev/null
}

copies() { pgrep -u 65534 -f "$EH_PROGRAM" | sort | tr '\n' ' '; }
two_copies() { [ "$(copies | wc -w)" = 2 ]; }
# The process ids behind the streams that play.
players() {
    pactl list sink-inputs | awk -F'"' '/application.process.id/ {print $2}' | sort | tr '\n' ' '
}
one_player() { [ "$(players | wc -w)" = 1 ]; }
rms_at() { rms "$WORK/$1.wav" "$2" "$3"; }
near_fire_level() { eh_gt "$1" 0.226 && eh_gt 0.340 "$1"; } # 0.283 within 20 %

# --- 1. Two screens, one sound, and a take-over.
start_daemon 0:30:00 "$EH_PROGRAM --data-dir $EH_DATA"
eh_check "the daemon runs a copy for each of the two screens" eh_until 20 two_copies
eh_start_recording "$WORK/takeover.raw"
eh_check "one of them plays" eh_until 10 one_player
sleep 3
lead=$(players)
eh_check "still one stream of the two copies after 3 s (streams of: $lead)" one_player
for screen in 0 1; do
    DISPLAY=$DISPLAY.$screen eh_wait_fire 1024x100+0+660 20
    eh_check "screen $screen shows fire" test $? = 0
done
killed_at=$(date +%s.%N)
kill -KILL $lead
taken_over() { one_player && [ "$(players)" != "$lead" ]; }
eh_until 5 taken_over
took=$(echo "$(date +%s.%N) - $killed_at" | bc -l)
eh_check "the other copy takes the sound over within about two seconds (in $took s)" \
    test "$(echo "$took < 2.5" | bc -l)" = 1
sleep 3
killed_pos=$(eh_stop_recording "$WORK/takeover" "$killed_at")
before=$(rms_at takeover "$(echo "$killed_pos - 2.5" | bc -l)" 2)
after=$(rms_at takeover "$(echo "$killed_pos + $took + 0.5" | bc -l)" 2)
eh_check "the fire loop at its usual level, RMS 0.283, from the first copy (got $before)" near_fire_level "$before"
eh_check "and from the copy that took over (got $after)" near_fire_level "$after"
stop_daemon

# --- 2. A restart by the daemon goes on with the track that was playing.
start_daemon 0:00:15 "$EH_PROGRAM --data-dir $EH_DATA --no-sound --music"
eh_check "the daemon runs a copy for each screen again" eh_until 20 two_copies
eh_start_recording "$WORK/restart.raw"
first=$(copies)
restarted() { two_copies && [ -z "$(comm -12 <(echo $first | tr ' ' '\n') <(copies | tr ' ' '\n'))" ]; }
eh_check "the daemon restarts both copies after its cycle" eh_until 40 restarted
restarted_at=$(date +%s.%N)
new_player() { one_player && [[ " $(copies) " == *" $(players | tr -d ' ') "* ]]; }
eh_check "one of the new copies plays" eh_until 10 new_player
played_at=$(date +%s.%N)
sleep 2.5
restart_pos=$(eh_stop_recording "$WORK/restart" "$restarted_at")
resumed_pos=$(echo "$restart_pos + $played_at - $restarted_at" | bc -l)
tone_before=$(pitch_sequence "$WORK/restart.wav" "$(echo "$restart_pos - 2" | bc -l)" "$restart_pos" 440 880 1320)
tone_after=$(pitch_sequence "$WORK/restart.wav" "$(echo "$resumed_pos + 0.3" | bc -l)" "$(echo "$resumed_pos + 2" | bc -l)" 440 880 1320)
echo "     tones heard: '$tone_before' before the restart, '$tone_after' after it"
eh_check "the second tone played when the daemon restarted the saver" test "${tone_before##* }" = b
eh_check "the restarted saver goes on with it, not with the first" test "${tone_after%% *}" = b
stop_daemon
eh_check "nothing the sanitizers report" eh_no_sanitizer_report "$EH_LINUX_DIR/daemon.log"

exit "$EH_FAILURES"
