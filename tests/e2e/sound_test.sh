#!/usr/bin/env bash
# The saver's sound, heard for real: Wine plays into a PulseAudio null sink, whose monitor is
# recorded with parec and measured with sox.
#   1. Default settings: the fire sound at about half its own level.
#   2. Sound and music off: silence.
#   3. Only the playlist, two tones of different pitch: first, second, first again, at full level.
#   4. The same with an MP3 as the first track. Then a playlist whose first line names a WAV in a
#      folder with blanks (blanks around it, CRLF), whose second holds two names, and whose third
#      a FIFO that no one writes (a share that went offline): the three tracks in order, and
#      Escape still ends the saver.
#   5. A Windows without Media Foundation (mfplat and mfreadwrite disabled): the saver starts,
#      shows fire and the messages and plays the fire sound at half level; a WAV track plays and
#      the MP3 after it, which nothing can decode now, ends the music as any unplayable track
#      does; the dialog opens.
# Each run ends with Escape held: the process exits with code 0 and the sound stops at once.
# Usage: sound_test.sh path/to/emberhall.scr
set -u
SCR=${1:?usage: sound_test.sh emberhall.scr}
source "$(dirname "$0")/../wine/lib.sh"
source "$(dirname "$0")/../wine/sound_measures.sh"

WORK=$(mktemp -d)
PULSE_PID=
EH_PID=

cleanup() {
    # EH_KEEP_RECORDINGS=dir keeps what was heard, for a look afterwards.
    [ -n "${EH_KEEP_RECORDINGS:-}" ] && mkdir -p "$EH_KEEP_RECORDINGS" &&
        cp "$WORK"/*.wav "$EH_KEEP_RECORDINGS/" 2>/dev/null
    eh_kill "$EH_PID"
    eh_kill "${EH_RECORDER_PID:-}"
    eh_kill "$PULSE_PID"
    [ -n "${EH_DLL_OVERRIDES:-}" ] && eh_windows_drawn_by_wm
    eh_stop_wine
    eh_stop_xvfb
    rm -rf "$WORK"
}
trap cleanup EXIT

start_pulse() {
    eh_start_pulse "$WORK" || return 1
    PULSE_PID=$EH_PULSE_PID
}

# Writes the six settings bytes: standard, yellow, cycle, sound, music, sparks.
settings() {
    printf "\\x$1\\x$2\\x$3\\x$4\\x$5\\x$6" >"$EH_WINDOWS_DIR/emberhall.dat"
}

# Runs the saver for $2 seconds of sound while recording into $1.wav; then holds Escape. Leaves
# the exit code in RUN_EXIT and, in RUN_ESCAPE, the time in the recording at which Escape went
# down. parec may take a moment to start delivering, so that time is counted back from the end
# of the recording, which is the moment parec was stopped.
run_saver() {
    local name=$1 seconds=$2
    xdotool mousemove 0 0
    eh_start_recording "$WORK/$name.raw"
    eh_start "$SCR" /s
    eh_wait_window Emberhall 30 || echo "no saver window in $name" >&2
    sleep "$seconds"
    [ -n "${RUN_SHOT:-}" ] && eh_screenshot "$RUN_SHOT"
    RUN_STREAMS=$(pactl list short sink-inputs | wc -l)
    local escape
    escape=$(date +%s.%N)
    eh_hold_key Escape
    eh_wait_exit "$EH_PID" 15
    RUN_EXIT=$EH_RC
    RUN_ENDED=$(awk -v a="$escape" -v b="$(date +%s.%N)" 'BEGIN {printf "%.2f", b - a}')
    [ "$RUN_EXIT" = running ] && eh_kill "$EH_PID"
    EH_PID=
    sleep 1.2
    RUN_ESCAPE=$(eh_stop_recording "$WORK/$name" "$escape")
}

eh_prefix_ready
eh_start_xvfb 1024x768 || exit 1
start_pulse || exit 1
eh_install_data

# 1. Defaults: no settings file, so standard colours and the fire sound. The shipped sound
# swells and crackles, so its level over a few seconds says little; a steady tone in its place
# (an exact number of periods, so it loops seamlessly) shows the half level and an unbroken loop.
rm -f "$EH_WINDOWS_DIR/emberhall.dat"
run_saver fire 3
eh_check "default settings: exit code 0 after Escape" [ "$RUN_EXIT" = 0 ]
eh_check "default settings: the saver plays into PulseAudio" [ "$RUN_STREAMS" -ge 1 ]
heard=$(rms "$WORK/fire.wav" "$(echo "$RUN_ESCAPE - 2" | bc -l)" 2)
echo "     shipped fire sound RMS $heard (file: $(rms "$EH_WINDOWS_DIR/fire_data/fire.wav" 0 10))"
eh_check "default settings: the fire sound is heard" near "$heard" 0.037 0.6
last=$(last_sound "$WORK/fire.wav")
echo "     Escape at ${RUN_ESCAPE}s of the recording, last sound at ${last}s"
eh_check "default settings: the sound stops at once on Escape" \
    below "$last" "$(echo "$RUN_ESCAPE + 0.5" | bc -l)"

sox -n -r 44100 -c 2 -b 16 "$EH_WINDOWS_DIR/fire_data/fire.wav" synth 2 sine 330 vol 0.8
run_saver steady 3.5
eh_check "steady fire sound: exit code 0" [ "$RUN_EXIT" = 0 ]
from=$(echo "$RUN_ESCAPE - 3" | bc -l)
level=$(rms "$WORK/steady.wav" "$from" 2.8)
echo "     tone at 0.8 played as the fire sound: RMS $level (half of 0.566 is 0.283)"
# 20 % either way: a loaded machine drops a few milliseconds in Wine's mixing now and then.
eh_check "steady fire sound: heard at half amplitude" near "$level" 0.283 0.2
# The tone restarts every 2 s; around each restart no 20 ms may fall quiet. (Elsewhere a
# machine under load may drop a few milliseconds in Wine's own mixing; that is not the loop.)
gaps=$(loop_gaps "$WORK/steady.wav" 2 2 "$RUN_ESCAPE")
eh_check "steady fire sound: no gap where the loop starts over" [ "$gaps" = 0 ]
cp "$EH_SOURCE_DIR/data/fire_data/fire.wav" "$EH_WINDOWS_DIR/fire_data/fire.wav"

# 2. Both options off: nothing at all.
settings 01 00 00 00 00 00
run_saver silent 2.5
eh_check "sound and music off: exit code 0" [ "$RUN_EXIT" = 0 ]
quiet=$(sox "$WORK/silent.wav" -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}')
echo "     largest sample with both off: $quiet"
eh_check "sound and music off: nothing is heard" below "$quiet" 0.001
eh_check "sound and music off: no output stream was even opened" [ "$RUN_STREAMS" = 0 ]

# 3. Only the playlist: a low tone and a high tone, 0.8 s each, at half scale.
sox -n -r 44100 -c 2 -b 16 "$EH_WINDOWS_DIR/tone_low.wav" synth 0.8 sine 440 vol 0.5
sox -n -r 44100 -c 1 -b 16 "$EH_WINDOWS_DIR/tone_high.wav" synth 0.8 sine 1320 vol 0.5
printf 'C:\\windows\\tone_low.wav\nC:\\windows\\tone_high.wav\n' \
    >"$EH_WINDOWS_DIR/fire_data/pls.txt"
settings 01 00 00 00 01 00
run_saver music 3.2
eh_check "playlist only: exit code 0" [ "$RUN_EXIT" = 0 ]
sequence=$(pitch_sequence "$WORK/music.wav" 0 "$RUN_ESCAPE")
echo "     tones heard: $sequence"
eh_check "playlist only: first, second, first again" bash -c "[[ '$sequence' == 'a b a'* ]]"
level=$(rms "$WORK/music.wav" "$(echo "$(first_sound "$WORK/music.wav") + 0.1" | bc -l)" 0.6)
echo "     tone RMS $level (a sine at half scale has 0.354)"
eh_check "playlist only: the tones at full volume" near "$level" 0.354 0.15
last=$(last_sound "$WORK/music.wav")
eh_check "playlist only: the music stops at once on Escape" \
    below "$last" "$(echo "$RUN_ESCAPE + 0.5" | bc -l)"

# 4. An MP3 as the first track.
sox "$EH_WINDOWS_DIR/tone_low.wav" -t wav - | lame --quiet -b 128 - "$EH_WINDOWS_DIR/tone_low.mp3"
printf 'C:\\windows\\tone_low.mp3 C:\\windows\\tone_high.wav' >"$EH_WINDOWS_DIR/fire_data/pls.txt"
run_saver mp3 3.2
eh_check "MP3 in the playlist: exit code 0" [ "$RUN_EXIT" = 0 ]
sequence=$(pitch_sequence "$WORK/mp3.wav" 0 "$RUN_ESCAPE")
echo "     tones heard: $sequence"
eh_check "MP3 in the playlist: the MP3, the WAV, the MP3 again" \
    bash -c "[[ '$sequence' == 'a b a'* ]]"

mkdir -p "$EH_WINDOWS_DIR/My Album"
cp "$EH_WINDOWS_DIR/tone_high.wav" "$EH_WINDOWS_DIR/My Album/01 Song.wav"
mkdir -p "$WORK/share"
mkfifo "$WORK/share/offline.wav"
printf '  C:\\windows\\My Album\\01 Song.wav  \r\nC:\\windows\\tone_low.mp3 C:\\windows\\tone_high.wav\r\nZ:%s\r\n' \
    "$(echo "$WORK/share/offline.wav" | tr / '\\')" >"$EH_WINDOWS_DIR/fire_data/pls.txt"
run_saver offline 4
echo "     the saver ended $RUN_ENDED s after Escape went down (held for 0.3 s)"
eh_check "a track that never opens: Escape ends the saver with exit code 0 (got $RUN_EXIT)" \
    [ "$RUN_EXIT" = 0 ]
sequence=$(pitch_sequence "$WORK/offline.wav" 0 "$RUN_ESCAPE")
echo "     tones heard: $sequence"
eh_check "a line naming a file in a folder with blanks plays it, then a line of two names" \
    bash -c "[[ '$sequence' == 'b a b' ]]"
rm -rf "$EH_WINDOWS_DIR/My Album"

# 5. Without Media Foundation, as on the N and KN editions of Windows and on Windows Server.
# Loading it at start-up would end the process at once with STATUS_DLL_NOT_FOUND.
export EH_DLL_OVERRIDES="mfplat,mfreadwrite=d"
rm -f "$EH_WINDOWS_DIR/emberhall.dat"
sox -n -r 44100 -c 2 -b 16 "$EH_WINDOWS_DIR/fire_data/fire.wav" synth 2 sine 330 vol 0.8
RUN_SHOT="$WORK/no-mf.png"
run_saver no-mf 3.5
RUN_SHOT=
mkdir -p "$EH_BUILD_DIR/e2e-shots" && cp "$WORK/no-mf.png" "$EH_BUILD_DIR/e2e-shots/no-media-foundation.png"
eh_check "no Media Foundation: the saver runs and Escape ends it with exit code 0 (got $RUN_EXIT)" \
    [ "$RUN_EXIT" = 0 ]
eh_check "no Media Foundation: fire along the bottom" \
    eh_gt "$(eh_mean "$WORK/no-mf.png" 1024x60+0+700 r)" 0.5
eh_check "no Media Foundation: the default messages (glyph pixels carry blue)" \
    eh_gt "$(eh_blue_pixels "$WORK/no-mf.png" 1024x350+0+5)" 500
level=$(rms "$WORK/no-mf.wav" "$(echo "$RUN_ESCAPE - 3" | bc -l)" 2.8)
echo "     fire sound (a tone at 0.8) without Media Foundation: RMS $level (half is 0.283)"
eh_check "no Media Foundation: fire.wav heard at half amplitude" near "$level" 0.283 0.2
cp "$EH_SOURCE_DIR/data/fire_data/fire.wav" "$EH_WINDOWS_DIR/fire_data/fire.wav"

printf 'C:\\windows\\tone_high.wav C:\\windows\\tone_low.mp3' >"$EH_WINDOWS_DIR/fire_data/pls.txt"
settings 01 00 00 00 01 00
run_saver no-mf-music 2.5
eh_check "no Media Foundation, WAV then MP3: exit code 0 (got $RUN_EXIT)" [ "$RUN_EXIT" = 0 ]
sequence=$(pitch_sequence "$WORK/no-mf-music.wav" 0 "$RUN_ESCAPE")
echo "     tones heard: $sequence"
eh_check "no Media Foundation, WAV then MP3: the WAV plays, and the MP3 ends the music" \
    [ "$sequence" = b ]

# The dialog: it opens, and its Cancel button (at 219, 29 and 50 x 14 dialog units) closes it.
# The size of a dialog unit depends on the fonts Wine finds, so it is taken from the window.
rm -f "$EH_WINDOWS_DIR/emberhall.dat"
eh_windows_drawn_by_wine
eh_start "$SCR" /c
if eh_wait_window "Emberhall - ScreenSaver" 30; then
    eh_check "no Media Foundation: /c opens the dialog" true
    eval "$(xdotool search --onlyvisible --name '^Emberhall - ScreenSaver$' getwindowgeometry \
        --shell 2>/dev/null | head -n 5)"
    # 276 x 82 units inside a 3-pixel frame with a 19-pixel caption.
    xdotool mousemove $((X + 3 + (219 * 2 + 50) * (WIDTH - 6) / 552)) \
        $((Y + 22 + (29 * 2 + 14) * (HEIGHT - 25) / 164)) click 1
    eh_wait_exit "$EH_PID" 15
    eh_check "no Media Foundation: Cancel closes the dialog with exit code 0 (got $EH_RC)" \
        [ "$EH_RC" = 0 ]
else
    eh_check "no Media Foundation: /c opens the dialog" false
fi
EH_PID=
eh_windows_drawn_by_wm
unset EH_DLL_OVERRIDES

echo "$((EH_FAILURES == 0 ? 1 : 0)) passed, $((EH_FAILURES == 0 ? 0 : 1)) failed"
[ "$EH_FAILURES" = 0 ]
