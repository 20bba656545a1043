#!/usr/bin/env bash
# Soak: the whole saver under Wine for a long stretch with everything on at once (cycling
# colours, sparks, the fire sound and a playlist of one-second tracks), messages that change
# every few seconds, and a watch on what a long run could wear out:
#   - resident memory of the saver's process (VmRSS), which must not grow by 1 MiB or more
#     after the first minute;
#   - open handles, counted as the open file descriptors of the saver's process and of Wine's
#     server (which holds the other end of every Windows handle), which must not grow;
#   - the music, recorded now and then from a PulseAudio null sink: each recording must hold
#     more than one of the tracks' pitches;
#   - the messages, from screenshots every second: rows 5 to 350, where the fire never reaches,
#     must show differing glyphs in every stretch of 30 seconds.
# Escape then ends the saver, which must exit with code 0.
#
# Not run by ctest (its name does not end in _test.sh); scripts/test runs it for 60 seconds.
# Usage: soak.sh [--seconds N] path/to/emberhall.scr     (N defaults to 600, at least 30)
# EH_SOAK_KEEP=dir keeps the screenshots with glyphs and their masks there, for a look.
set -u

seconds=600
while [ $# -gt 1 ]; do
    case $1 in
    --seconds)
        seconds=$2
        shift 2
        ;;
    *)
        break
        ;;
    esac
done
SCR=${1:?usage: soak.sh [--seconds N] emberhall.scr}
SCR=$(realpath "$SCR")
source "$(dirname "$0")/../wine/lib.sh"

# How often each thing is looked at, in seconds.
readonly MEMORY_EVERY=5
readonly MUSIC_EVERY=20
readonly MUSIC_RECORDING=3.5
readonly MESSAGE_WINDOW=30
# Memory is compared from the end of the first minute on; a run shorter than two minutes
# compares from its middle instead, so the 60-second run of the test script still checks a
# stretch. Handles are compared between the last stretch of this length before that point and
# the last stretch of the run: a file a track has open for a moment is no leak.
readonly SETTLE=60
readonly HANDLE_STRETCH=20
readonly MEMORY_LIMIT_KB=1024
# Rows 5 to 350 of the picture hold only glyph pixels, sparks aside: a spark is a short streak
# of a few pixels, which an erosion by a 5 x 5 square removes while the strokes of the 50-pixel
# letters stay. Fewer glyph pixels than this count as no message on screen.
readonly GLYPH_AREA=1024x346+0+5
readonly GLYPH_PIXELS=200
# The tracks: three pitches an octave apart, each one second, so the music changes every second.
readonly PITCHES=(330 660 1320)

WORK=$(mktemp -d)
EH_PID=
REC_PID=
SERVER_PID=
OWN_SERVER=0

cleanup() {
    eh_kill "$REC_PID"
    eh_kill "$EH_PID"
    stop_own_server
    eh_stop_pulse
    eh_stop_xvfb
    rm -rf "$WORK"
}
trap cleanup EXIT

# Wine's server for our prefix: it works in a directory named after the prefix's device and
# inode, which tells it apart from the servers of other prefixes on the machine.
find_server() {
    local name status pid
    name=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
    for status in /proc/[0-9]*/comm; do
        case $(cat "$status" 2>/dev/null) in
        wineserver | wineserver64) ;;
        *) continue ;;
        esac
        pid=${status#/proc/}
        pid=${pid%/comm}
        if [ "$(basename "$(readlink "/proc/$pid/cwd" 2>/dev/null)")" = "$name" ]; then
            echo "$pid"
            return
        fi
    done
}

# A server this script brought up ends by itself a few seconds after its last client, and
# takes Wine's service programs with it. If it does not, it is told to end them and itself
# (wineserver -k reaches only the server of our prefix), and as a last resort stopped by its
# id. A warm server that was there before is left running.
stop_own_server() {
    [ "$OWN_SERVER" = 1 ] && [ -n "$SERVER_PID" ] || return 0
    wait_server 100 || { wineserver -k 2>/dev/null; wait_server 50; } ||
        kill "$SERVER_PID" 2>/dev/null
    SERVER_PID=
}

# Waits up to $1 tenths of a second for the server to end; false if it is still there.
wait_server() {
    local waited=0
    while kill -0 "$SERVER_PID" 2>/dev/null; do
        [ "$waited" -lt "$1" ] || return 1
        sleep 0.1
        waited=$((waited + 1))
    done
}

count_fds() { ls "/proc/$1/fd" 2>/dev/null | wc -l; }
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status" 2>/dev/null; }
now() { date +%s.%N; }
elapsed() { echo "$(now) - $T0" | bc -l; }
below() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }

# --- the data: settings, messages, tracks ---

prepare_data() {
    eh_install_data
    # Cycling colours, fire sound, music and sparks all on.
    eh_write_settings 00 00 01 01 01 01
    # Holds of 0 to 300 ms: each message stands for a moment, then bursts for 7.25 s. The rows
    # keep the letters in the upper part of the picture until they fall.
    cat >"$EH_WINDOWS_DIR/fire_data/motd.txt" <<'EOF'
EMBER-HALL 100 40 0
WARM+HANDS 300 120 150
SPARKS*RISE 50 80 300
QUIET-NIGHT 500 30 75
GLOW 700 150 225
EOF
    mkdir -p "$EH_WINDOWS_DIR/soak"
    local i playlist=""
    for i in "${!PITCHES[@]}"; do
        sox -n -r 44100 -c 2 -b 16 "$EH_WINDOWS_DIR/soak/track$i.wav" \
            synth 1 sine "${PITCHES[$i]}" vol 0.5
        playlist+="C:\\windows\\soak\\track$i.wav"$'\n'
    done
    printf '%s' "$playlist" >"$EH_WINDOWS_DIR/fire_data/pls.txt"
}

# --- the music ---

# RMS of the left channel of $1 from $2 for $3 seconds, through two narrow band-pass filters
# at $4 Hz: a track an octave away comes through at a fortieth of its level.
band_rms() {
    sox "$1" -n remix 1 trim "$2" "$3" bandpass "$4" 4q bandpass "$4" 4q stat 2>&1 |
        awk '/RMS +amplitude/ {print $3}'
}

# The pitch of each quarter second of $1, as the index of the loudest band, or - when no band
# is loud: the fire sound alone is far below a track at full volume.
pitch_labels() {
    local file=$1 length t labels="" best level i
    length=$(soxi -D "$file" 2>/dev/null || echo 0)
    t=0
    while below "$(echo "$t + 0.25" | bc -l)" "$length"; do
        best=- top=0.1
        for i in "${!PITCHES[@]}"; do
            level=$(band_rms "$file" "$t" 0.25 "${PITCHES[$i]}")
            if below "$top" "$level"; then
                best=$i top=$level
            fi
        done
        labels+=$best
        t=$(echo "$t + 0.25" | bc -l)
    done
    echo "$labels"
}

REC_FILE=
REC_STARTED=
start_recording() {
    REC_FILE=$WORK/music-$(printf '%04d' "${1%.*}").raw
    parec -d eh_sink.monitor --format=s16le --rate=44100 --channels=2 --latency-msec=20 \
        >"$REC_FILE" 2>/dev/null &
    REC_PID=$!
    REC_STARTED=$(now)
}

# Once the recording is long enough: stops it and notes which pitches it heard.
finish_recording() {
    [ -n "$REC_PID" ] || return 0
    below "$(echo "$(now) - $REC_STARTED" | bc -l)" "$MUSIC_RECORDING" && return 0
    eh_kill "$REC_PID"
    REC_PID=
    local wav=${REC_FILE%.raw}.wav labels distinct
    sox -t raw -r 44100 -e signed -b 16 -c 2 "$REC_FILE" "$wav" 2>/dev/null
    labels=$(pitch_labels "$wav")
    distinct=$(echo "$labels" | grep -o '[0-9]' | sort -u | wc -l)
    echo "$(basename "$wav" .wav) $labels $distinct" >>"$WORK/music.txt"
    rm -f "$REC_FILE" "$wav"
}

# --- the messages ---

# Glyph pixels of a screenshot's upper part: their count and a digest of their mask.
glyph_mask() {
    convert "$1" -crop "$GLYPH_AREA" +repage -fill white +opaque black -morphology Erode Square:2 \
        -threshold 50% -depth 1 "$WORK/mask.pbm" 2>/dev/null
    local count
    count=$(convert "$WORK/mask.pbm" -format '%[fx:int(mean*w*h+0.5)]' info: 2>/dev/null)
    echo "${count:-0} $(md5sum <"$WORK/mask.pbm" | cut -c1-12)"
}

keep_shot() {
    [ -n "${EH_SOAK_KEEP:-}" ] && [ "${3%% *}" -ge "$GLYPH_PIXELS" ] || return 0
    mkdir -p "$EH_SOAK_KEEP"
    local name
    name=$(printf 'shot-%06.1f' "$2")
    cp "$1" "$EH_SOAK_KEEP/$name.png"
    convert "$WORK/mask.pbm" "$EH_SOAK_KEEP/$name-mask.png"
}

# --- the run ---

eh_prefix_ready
eh_start_xvfb 1024x768 || exit 1
eh_start_pulse "$WORK" || exit 1
prepare_data
OWN_SERVER=1
SERVER_PID=$(find_server)
[ -n "$SERVER_PID" ] && OWN_SERVER=0

eh_start_saver "$SCR" || echo "no saver window" >&2
T0=$(now)
if [ -z "$SERVER_PID" ]; then
    SERVER_PID=$(find_server)
fi
echo "soak: $seconds s; saver process $EH_PID, Wine server $SERVER_PID (own: $OWN_SERVER)"
eh_check "Wine's server of the prefix is found" [ -n "$SERVER_PID" ]

next_memory=0
next_music=2
while :; do
    t=$(elapsed)
    below "$t" "$seconds" || break
    kill -0 "$EH_PID" 2>/dev/null || break
    shot=$WORK/shot.png
    if eh_screenshot "$shot" 2>/dev/null; then
        glyphs=$(glyph_mask "$shot")
        echo "$t $glyphs" >>"$WORK/shots.txt"
        keep_shot "$shot" "$t" "$glyphs"
    fi
    if ! below "$t" "$next_memory"; then
        echo "$t $(rss_kb "$EH_PID") $(count_fds "$EH_PID") $(count_fds "$SERVER_PID")" \
            >>"$WORK/memory.txt"
        next_memory=$(echo "$next_memory + $MEMORY_EVERY" | bc)
    fi
    if [ -z "$REC_PID" ] && ! below "$t" "$next_music" &&
        below "$(echo "$t + $MUSIC_RECORDING + 1" | bc -l)" "$seconds"; then
        start_recording "$t"
        next_music=$(echo "$next_music + $MUSIC_EVERY" | bc)
    fi
    finish_recording
    # One look a second.
    rest=$(echo "1 - ($(elapsed) - $t)" | bc -l)
    below 0 "$rest" && sleep "$rest"
done
alive=0
kill -0 "$EH_PID" 2>/dev/null && alive=1
eh_kill "$REC_PID"
REC_PID=
eh_check "the saver ran the whole $seconds s" [ "$alive" = 1 ]
eh_hold_key Escape
eh_wait_exit "$EH_PID" 20
eh_check "Escape ends the saver with exit code 0 (got $EH_RC)" [ "$EH_RC" = 0 ]
[ "$EH_RC" = running ] && eh_kill "$EH_PID"
EH_PID=

# --- the figures ---

# Memory and handles: the point after which nothing may grow.
settle=$SETTLE
below "$seconds" $((2 * SETTLE)) && settle=$(echo "$seconds / 2" | bc)
awk -v settle="$settle" -v stretch="$HANDLE_STRETCH" -v limit="$MEMORY_LIMIT_KB" \
    -v total="$seconds" '
    NR == 1 { startRss = $2 }
    { t[NR] = $1; rss[NR] = $2; fds[NR] = $3; server[NR] = $4; n = NR }
    END {
        for (i = 1; i <= n && t[i] < settle; ++i) {}
        if (i > n) i = n
        settledRss = rss[i]
        endRss = rss[n]
        for (j = n; j > n - 3 && j >= 1; --j) if (rss[j] < endRss) endRss = rss[j]
        before = -1; beforeServer = -1; after = -1; afterServer = -1
        for (k = 1; k <= n; ++k) {
            if (t[k] <= settle && t[k] > settle - stretch) {
                if (fds[k] > before) before = fds[k]
                if (server[k] > beforeServer) beforeServer = server[k]
            }
            if (t[k] > t[n] - stretch) {
                if (after < 0 || fds[k] < after) after = fds[k]
                if (afterServer < 0 || server[k] < afterServer) afterServer = server[k]
            }
        }
        printf "memory: VmRSS at start %d kB, at %d s %d kB, at the end %d kB (%+d kB since %d s)\n",
            startRss, t[i], settledRss, endRss, endRss - settledRss, t[i]
        printf "handles: saver fds %d at start, at most %d before %d s, at least %d at the end\n",
            fds[1], before, settle, after
        printf "handles: Wine server fds %d at start, at most %d before %d s, at least %d at the end\n",
            server[1], beforeServer, settle, afterServer
        printf "%d %d %d %d %d\n", endRss - settledRss, before, after, beforeServer, afterServer \
            > "/dev/stderr"
    }' "$WORK/memory.txt" 2>"$WORK/verdict.txt"
read -r grown fds_before fds_after server_before server_after <"$WORK/verdict.txt"
eh_check "resident memory grows by less than $MEMORY_LIMIT_KB kB after ${settle} s (${grown} kB)" \
    [ "$grown" -lt "$MEMORY_LIMIT_KB" ]
eh_check "the saver's handles do not grow ($fds_before, then $fds_after)" \
    [ "$fds_after" -le "$fds_before" ]
eh_check "the Wine server's handles do not grow ($server_before, then $server_after)" \
    [ "$server_after" -le "$server_before" ]

# Music: every recording heard at least two of the pitches.
recordings=$(wc -l <"$WORK/music.txt" 2>/dev/null || echo 0)
still=$(awk '$3 < 2' "$WORK/music.txt" 2>/dev/null | wc -l)
echo "music: $recordings recordings of ${MUSIC_RECORDING} s; pitches heard in each:"
awk '{printf "  %s %s\n", $1, $2}' "$WORK/music.txt" 2>/dev/null
eh_check "music was recorded" [ "$recordings" -ge 1 ]
eh_check "the music changes track in every recording ($still without a change)" [ "$still" = 0 ]

# Messages: in every stretch of MESSAGE_WINDOW seconds, two screenshots with glyphs that differ.
shots=$(wc -l <"$WORK/shots.txt")
windows=$(awk -v w="$MESSAGE_WINDOW" -v total="$seconds" '
    $2 >= '"$GLYPH_PIXELS"' { k = int($1 / w); seen[k, $3] = 1; glyphs[k]++ }
    END {
        for (key in seen) { split(key, part, SUBSEP); distinct[part[1]]++ }
        whole = int(total / w)
        bad = 0
        for (k = 0; k < whole; ++k) {
            printf "  %3d-%3d s: %2d shots with glyphs, %2d different\n", k * w, (k + 1) * w,
                glyphs[k], distinct[k] > "/dev/stderr"
            if (distinct[k] < 2) bad++
        }
        print whole, bad
    }' "$WORK/shots.txt" 2>"$WORK/windows.txt")
read -r whole unchanged <<<"$windows"
echo "messages: $shots screenshots, $whole stretches of $MESSAGE_WINDOW s:"
cat "$WORK/windows.txt"
eh_check "the messages change in every stretch of $MESSAGE_WINDOW s ($unchanged without)" \
    test "$whole" -ge 1 -a "$unchanged" = 0

echo "$((EH_FAILURES == 0 ? 1 : 0)) passed, $((EH_FAILURES == 0 ? 0 : 1)) failed"
[ "$EH_FAILURES" = 0 ]
