# Measures of recorded sound, with sox: levels, pitches, where a recording falls silent. Sourced
# by the sound tests of both savers; the functions that write a trimmed copy use $WORK.

# Starts recording the null sink eh_sink into $1 (raw 16-bit stereo at 44100 Hz), its id left in
# EH_RECORDER_PID, and returns once a tenth of a second has come in (at most after 10 s): parec
# can take a second or more to start delivering on a loaded machine.
eh_start_recording() {
    parec -d eh_sink.monitor --format=s16le --rate=44100 --channels=2 --latency-msec=20 \
        >"$1" 2>/dev/null &
    EH_RECORDER_PID=$!
    local waited=0
    while [ "$(stat -c %s "$1" 2>/dev/null || echo 0)" -lt 17640 ] && [ "$waited" -lt 200 ]; do
        sleep 0.05
        waited=$((waited + 1))
    done
}

# Stops the recording into $1.raw, turns it into $1.wav and prints where in it the moment $2 (as
# `date +%s.%N` gave it) fell. The recording ends when parec stops, so the moment is counted
# back from its end.
eh_stop_recording() {
    local base=$1 at=$2 ended
    ended=$(date +%s.%N)
    eh_kill "$EH_RECORDER_PID"
    EH_RECORDER_PID=
    sox -t raw -r 44100 -e signed -b 16 -c 2 "$base.raw" "$base.wav"
    echo "$(length "$base.wav") - ($ended - $at)" | bc -l
}

# RMS level and rough frequency of $3 seconds of $1 from $2 seconds on (left channel).
rms() { sox "$1" -n remix 1 trim "$2" "$3" stat 2>&1 | awk '/RMS +amplitude/ {print $3}'; }
freq() { sox "$1" -n remix 1 trim "$2" "$3" stat 2>&1 | awk '/Rough +frequency/ {print $3}'; }
length() { soxi -D "$1"; }
near() { echo "$1 $2 $3" | awk '{exit !($1 >= $2 * (1 - $3) && $1 <= $2 * (1 + $3))}'; }
below() { echo "$1 $2" | awk '{exit !($1 < $2)}'; }

# Seconds of silence at the start of $1, before the first sound.
first_sound() {
    sox "$1" "$WORK/trimmed.wav" silence 1 0.0005 1%
    echo "$(length "$1") - $(length "$WORK/trimmed.wav")" | bc -l
}

# Seconds from the start of $1 to the last moment anything above a whisper is heard.
last_sound() {
    local file=$1 step=0.05 t last=0 total
    total=$(length "$file")
    t=0
    while below "$t" "$(echo "$total - $step" | bc -l)"; do
        if ! below "$(rms "$file" "$t" "$step")" 0.003; then last=$t; fi
        t=$(echo "$t + $step" | bc -l)
    done
    echo "$last"
}

# How many 20 ms windows fall quiet (RMS below 0.25) around the restarts of a loop of $2 seconds
# in $1, counted from its first sound, at the restarts $3 ... before $4 seconds: a tone played as
# a seamless loop has none.
loop_gaps() {
    local file=$1 period=$2 restarts=$3 end=$4 start gaps=0 at i
    start=$(first_sound "$file")
    for seam in $(seq 1 "$restarts"); do
        at=$(echo "$start + $seam * $period" | bc -l)
        below "$at" "$end" || continue
        for i in $(seq -3 2); do
            below "$(rms "$file" "$(echo "$at + $i * 0.02" | bc -l)" 0.02)" 0.25 &&
                gaps=$((gaps + 1))
        done
    done
    echo "$gaps"
}

# The pitch heard in each 50 ms of $1 from $2 to $3 seconds, as a letter for the nearest of the
# tones given after them (a for the first, b for the second, ...; by default 440 and 1320 Hz)
# or - for silence, with repeats removed: "a b a" for the first tone, the second, the first.
pitch_sequence() {
    local file=$1 t=$2 end=$3 step=0.05 seq="" label f
    shift 3
    local tones=${*:-440 1320}
    while below "$t" "$end"; do
        if below "$(rms "$file" "$t" "$step")" 0.05; then
            label=-
        else
            f=$(freq "$file" "$t" "$step")
            label=$(echo "$f $tones" | awk '{ best = 2; for (i = 3; i <= NF; i++)
                if (($(i) - $1)^2 < ($(best) - $1)^2) best = i; printf "%c", 95 + best }')
        fi
        seq="$seq $label"
        t=$(echo "$t + $step" | bc -l)
    done
    # Drop silences and single stray windows at the joins, then collapse repeats.
    echo "$seq" | tr ' ' '\n' | grep -v '^-*$' | uniq -c | awk '$1 >= 3 {print $2}' | uniq |
        tr '\n' ' ' | sed 's/ $//'
}
