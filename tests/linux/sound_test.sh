#!/usr/bin/env bash
# The Linux sound output, heard for real: sound_probe plays files through linuxAudioPlatform()
# (SDL2 loaded at run time, libsndfile for the MP3) into a private PulseAudio's null sink, whose
# monitor is recorded with parec and measured with sox.
#   1. A looping WAV tone at volume 0.5: half its level, its pitch, no gap at the loop's seams or
#      anywhere else, and silence soon after the stream is freed.
#   2. An MP3 tone at full volume: its level and its pitch.
#   3. WAV, MP3, WAV one after another: heard in that order.
#   4. No server at all: no device, nothing printed, exit code 2 (silent, as the saver must be).
# Usage: sound_test.sh path/to/sound_probe
#        sound_test.sh --bench path/to/sound_probe   (stop delay and gaps for several buffer sizes)
set -u
BENCH=0
if [ "${1:-}" = --bench ]; then
    BENCH=1
    shift
fi
PROBE=${1:?usage: sound_test.sh [--bench] sound_probe}
source "$(dirname "$0")/../wine/lib.sh"
source "$(dirname "$0")/../wine/sound_measures.sh"

WORK=$(mktemp -d)
EH_PULSE_PID=
cleanup() {
    [ -n "${EH_KEEP_RECORDINGS:-}" ] && mkdir -p "$EH_KEEP_RECORDINGS" &&
        cp "$WORK"/*.wav "$EH_KEEP_RECORDINGS/" 2>/dev/null
    eh_kill "${EH_RECORDER_PID:-}"
    eh_stop_pulse
    rm -rf "$WORK"
}
trap cleanup EXIT

calc() { awk "BEGIN { printf \"%.4f\", $1 }"; }

# Seconds from the start of $1 to its last sound above 1 % of full scale.
last_loud_sound() {
    sox "$1" "$WORK/trim.wav" reverse silence 1 0.0005 1% reverse
    length "$WORK/trim.wav"
}

# Milliseconds that fell quiet while $1 played: 5 ms windows between its first and its last
# sound whose level is below a tenth of the tone's (a window that straddles the start or the
# end does not count).
gap_ms() {
    python3 - "$1" <<'PY'
import array, math, sys, wave
with wave.open(sys.argv[1]) as w:
    samples = array.array("h", w.readframes(w.getnframes()))[0::2]  # left channel
window = 220  # 5 ms at 44100 Hz
levels = [math.sqrt(sum(s * s for s in samples[i:i + window]) / window) / 32768
          for i in range(0, len(samples) - window + 1, window)]
loud = [i for i, level in enumerate(levels) if level >= 0.01]
quiet = sum(1 for level in levels[loud[0] + 1:loud[-1]] if level < 0.02) if loud else 0
print(quiet * 5)
PY
}

# Plays files with sound_probe (its arguments are $2...) while recording into $1.wav. Recording
# starts first, and playback only once the capture file grows: parec can take a second or more
# to deliver on a loaded machine. Leaves the probe's exit code in PROBE_RC and, in STOP_AT, the
# moment in the recording at which the probe freed its streams: the recording ends when parec
# is stopped, so that moment is counted back from the end.
record() {
    local name=$1
    shift
    eh_start_recording "$WORK/$name.raw"
    "$PROBE" "$@" >"$WORK/$name.out" 2>"$WORK/$name.err"
    PROBE_RC=$?
    local stopped
    stopped=$(awk '/^stopped/ {print $2}' "$WORK/$name.out")
    STOP_AT=$(eh_stop_recording "$WORK/$name" "${stopped:-$(date +%s.%N)}")
}


sox -n -r 44100 -c 2 -b 16 "$WORK/loop.wav" synth 2 sine 330 vol 0.8
sox -n -r 44100 -c 1 -b 16 "$WORK/low.wav" synth 0.8 sine 440 vol 0.5
sox -n -r 44100 -c 2 -b 16 "$WORK/high.wav" synth 0.8 sine 1320 vol 0.5
lame --quiet -b 192 "$WORK/high.wav" "$WORK/high.mp3"

eh_start_pulse "$WORK" || exit 1

if [ "$BENCH" = 1 ]; then
    # Not a test: how long a stop takes to be heard, and how much falls silent while a looping
    # tone plays for 20 s, for each callback size.
    for frames in 256 512 1024 2048 4096; do
        record "bench$frames" --frames "$frames" --volume 0.5 --loop --seconds 20 "$WORK/loop.wav"
        last=$(last_loud_sound "$WORK/bench$frames.wav")
        echo "frames $frames ($(calc "$frames / 44.1") ms): stop heard after" \
            "$(calc "($last - $STOP_AT) * 1000") ms, gaps $(gap_ms "$WORK/bench$frames.wav") ms in 20 s"
    done
    exit 0
fi

# 1. The loop at half volume for four seconds: two seams.
record loop --volume 0.5 --loop --seconds 4.5 "$WORK/loop.wav"
eh_check "looping WAV: the probe ends with exit code 0 (got $PROBE_RC)" [ "$PROBE_RC" = 0 ]
echo "     driver: $(awk '/^driver/ {print $2}' "$WORK/loop.out"), errors: $(wc -c <"$WORK/loop.err") bytes"
eh_check "looping WAV: SDL plays through PulseAudio" grep -qx "driver pulseaudio" "$WORK/loop.out"
eh_check "looping WAV: SDL left SIGINT and SIGTERM alone" grep -qx "signals default" "$WORK/loop.out"
start=$(first_sound "$WORK/loop.wav")
level=$(rms "$WORK/loop.wav" "$(calc "$start + 0.2")" 3.5)
pitch=$(freq "$WORK/loop.wav" "$(calc "$start + 0.2")" 3.5)
echo "     tone at 0.8 played at volume 0.5: RMS $level (half of 0.566 is 0.283), $pitch Hz"
eh_check "looping WAV: heard at half amplitude" near "$level" 0.283 0.05
eh_check "looping WAV: at its own pitch, 330 Hz" near "$pitch" 330 0.03
gaps=$(gap_ms "$WORK/loop.wav")
echo "     quiet while it played: $gaps ms"
eh_check "looping WAV: no gap, at the seams or anywhere" [ "$gaps" = 0 ]
last=$(last_loud_sound "$WORK/loop.wav")
delay=$(calc "$last - $STOP_AT")
echo "     streams freed at ${STOP_AT}s of the recording, last sound at ${last}s"
eh_check "looping WAV: the sound stops at once when the stream is freed" below "$delay" 0.25

# 2. An MP3 at full volume.
record mp3 --seconds 1.5 "$WORK/high.mp3"
eh_check "MP3: the probe ends with exit code 0 (got $PROBE_RC)" [ "$PROBE_RC" = 0 ]
start=$(first_sound "$WORK/mp3.wav")
level=$(rms "$WORK/mp3.wav" "$(calc "$start + 0.1")" 0.6)
pitch=$(freq "$WORK/mp3.wav" "$(calc "$start + 0.1")" 0.6)
echo "     MP3 tone at 0.5: RMS $level (0.354 expected), $pitch Hz"
eh_check "MP3: heard at full volume" near "$level" 0.354 0.05
eh_check "MP3: at its own pitch, 1320 Hz" near "$pitch" 1320 0.03

# A damaged MP3 (garbage over a stretch in its middle) plays what it can and prints nothing:
# the saver reports no failure, and a host would show such lines in the user's session log.
cp "$WORK/high.mp3" "$WORK/damaged.mp3"
head -c 4000 /dev/urandom | dd of="$WORK/damaged.mp3" bs=1 seek=6000 conv=notrunc 2>/dev/null
record damaged --seconds 1.2 "$WORK/damaged.mp3"
eh_check "damaged MP3: exit code 0 (got $PROBE_RC)" [ "$PROBE_RC" = 0 ]
eh_check "damaged MP3: nothing on stderr (got $(head -c 200 "$WORK/damaged.err"))" \
    [ ! -s "$WORK/damaged.err" ]

# 3. Low WAV (mono), high MP3, low WAV again, each once after the other.
record order --seconds 2.9 "$WORK/low.wav" "$WORK/high.mp3"
eh_check "WAV then MP3: the probe ends with exit code 0 (got $PROBE_RC)" [ "$PROBE_RC" = 0 ]
sequence=$(pitch_sequence "$WORK/order.wav" 0 "$STOP_AT")
echo "     tones heard: $sequence"
eh_check "WAV then MP3: low, high, low again" bash -c "[[ '$sequence' == 'a b a'* ]]"

# 4. No server: the variables point nowhere, so SDL finds nothing (this machine has no card).
if [ -e /dev/snd ]; then
    echo "skip - no device without a server: this machine has a sound card"
else
    out=$(env -u PULSE_SERVER XDG_RUNTIME_DIR="$WORK/nowhere" "$PROBE" "$WORK/loop.wav" 2>&1)
    rc=$?
    eh_check "no server: no device, exit code 2 (got $rc)" [ "$rc" = 2 ]
    eh_check "no server: nothing but the probe's own line is printed (got: $out)" \
        [ "$out" = "no device" ]
fi

echo "$((EH_FAILURES == 0 ? 1 : 0)) passed, $((EH_FAILURES == 0 ? 0 : 1)) failed"
[ "$EH_FAILURES" = 0 ]
