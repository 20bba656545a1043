#!/usr/bin/env bash
# The Linux saver's sound, heard for real: it plays into a private PulseAudio whose null sink is
# recorded with parec and measured with sox.
#   1. Default settings: the fire sound at about half the level of its file, and silence at
#      once when SIGTERM ends the saver.
#   2. Sound and music off: silence, and no stream opened.
#   3. Only the playlist, three tones (a WAV, an MP3, a WAV): heard in order, and round again.
#   4. Files that never answer (FIFOs without a writer, as a share that went offline): a second
#      track that never opens leaves the first heard and the fire going, and the mouse or
#      SIGTERM still ends the saver; the same with every data file a FIFO. A playlist line that
#      names a file in a folder with blanks plays it, before a line of two names.
set -u
program=$1
source "$(dirname "$0")/linux_lib.sh"
source "$(dirname "$0")/../wine/sound_measures.sh"
eh_linux_stage "$program"
WORK=$EH_LINUX_DIR/sound
mkdir -p "$WORK"
trap 'eh_kill "${EH_PID:-}"; eh_kill "${EH_RECORDER_PID:-}"; eh_stop_pulse; eh_stop_xvfb; eh_linux_unstage' EXIT
eh_start_xvfb 1024x768
eh_start_pulse "$WORK" || exit 1
eh_linux_home

# Records the sink while the saver runs with the given options for $2 seconds, then ends it with
# SIGTERM. The recording is $WORK/$1.wav; STOPPED_AT is where in it the signal was sent.
record_run() {
    local name=$1 seconds=$2
    shift 2
    eh_start_recording "$WORK/$name.raw"
    eh_linux_start "$@"
    sleep "$seconds"
    STREAMS=$(pactl list short sink-inputs | wc -l)
    local stop
    stop=$(date +%s.%N)
    eh_linux_end_with "$EH_PID" TERM "$name"
    sleep 1
    STOPPED_AT=$(eh_stop_recording "$WORK/$name" "$stop")
}

# 1. The fire sound: a steady tone in place of the shipped crackle, so that its level says
# something; it loops every 2 s.
mkdir -p "$XDG_CONFIG_HOME/emberhall/fire_data"
: >"$XDG_CONFIG_HOME/emberhall/fire_data/motd.txt"
data=$EH_LINUX_DIR/sound-data
cp -r "$EH_DATA" "$data"
sox -n -r 44100 -c 2 -b 16 "$data/fire_data/fire.wav" synth 2 sine 330 vol 0.8
record_run fire 3.5 --data-dir "$data"
eh_check "the fire sound: a stream plays into PulseAudio" [ "$STREAMS" -ge 1 ]
level=$(rms "$WORK/fire.wav" "$(echo "$STOPPED_AT - 2.5" | bc -l)" 2.3)
echo "     tone at 0.8 played as the fire sound: RMS $level (half of 0.566 is 0.283)"
eh_check "the fire sound at half amplitude" near "$level" 0.283 0.2
gaps=$(loop_gaps "$WORK/fire.wav" 2 1 "$STOPPED_AT")
eh_check "the fire sound: no gap where the loop starts over" [ "$gaps" = 0 ]
last=$(last_sound "$WORK/fire.wav")
echo "     stopped at ${STOPPED_AT}s of the recording, last sound at ${last}s"
eh_check "the sound stops at once when the saver ends" \
    below "$last" "$(echo "$STOPPED_AT + 0.3" | bc -l)"

# 2. Both off.
record_run silent 2 --no-sound --no-music --data-dir "$data"
quiet=$(sox "$WORK/silent.wav" -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}')
eh_check "sound and music off: nothing is heard ($quiet)" below "$quiet" 0.001
eh_check "sound and music off: no stream was opened" [ "$STREAMS" = 0 ]

# 3. Three tracks in the user's playlist, the second an MP3.
sox -n -r 44100 -c 2 -b 16 "$WORK/one.wav" synth 0.7 sine 330 vol 0.5
sox -n -r 44100 -c 2 -b 16 "$WORK/two.wav" synth 0.7 sine 660 vol 0.5
lame --quiet -b 128 "$WORK/two.wav" "$WORK/two.mp3"
sox -n -r 22050 -c 1 -b 16 "$WORK/three.wav" synth 0.7 sine 1320 vol 0.5
printf '%s\n%s\n%s\n' "$WORK/one.wav" "$WORK/two.mp3" "$WORK/three.wav" \
    >"$XDG_CONFIG_HOME/emberhall/fire_data/pls.txt"
record_run music 3.6 --no-sound --music --data-dir "$data"
sequence=$(pitch_sequence "$WORK/music.wav" 0 "$STOPPED_AT" 330 660 1320)
echo "     tones heard: $sequence"
eh_check "the playlist in order and round again (WAV, MP3, WAV)" \
    bash -c "[[ '$sequence' == 'a b c a'* ]]"
level=$(rms "$WORK/music.wav" "$(echo "$(first_sound "$WORK/music.wav") + 0.1" | bc -l)" 0.5)
eh_check "the music at full volume ($level; a sine at half scale has 0.354)" near "$level" 0.354 0.15

# 4. A FIFO never opens: the track, or every data file the saver reads. Full screen, so that the
# mouse ends it too.
user=$XDG_CONFIG_HOME/emberhall
mkdir -p "$WORK/My Album" "$user/fire_fonts"
cp "$WORK/one.wav" "$WORK/My Album/01 Song.wav"
mkfifo "$WORK/offline.wav"
printf '  %s  \n%s %s\n%s\n' "$WORK/My Album/01 Song.wav" "$WORK/two.wav" "$WORK/three.wav" \
    "$WORK/offline.wav" >"$user/fire_data/pls.txt"
for exit_by in TERM mouse; do
    xdotool mousemove 0 0
    eh_start_recording "$WORK/fifo-$exit_by.raw"
    eh_linux_start --fullscreen --no-sound --music --data-dir "$data"
    eh_check "a track that never opens ($exit_by run): the fire goes on" eh_wait_fire 1024x40+0+720
    sleep 3 # the three tracks (2.1 s), then the FIFO
    stop=$(date +%s.%N)
    eh_check "a track that never opens ($exit_by run): frames still come" \
        bash -c "import -window root '$WORK/a.png' && sleep 0.5 && import -window root '$WORK/b.png' && ! cmp -s '$WORK/a.png' '$WORK/b.png'"
    eh_linux_end_with "$EH_PID" "$exit_by" "a track that never opens"
    eh_check "a track that never opens: the window is gone" \
        bash -c "! xdotool search --name '^Emberhall\$' >/dev/null"
    STOPPED_AT=$(eh_stop_recording "$WORK/fifo-$exit_by" "$stop")
done
sequence=$(pitch_sequence "$WORK/fifo-TERM.wav" 0 "$STOPPED_AT" 330 660 1320)
echo "     tones heard: $sequence"
eh_check "a line naming a file in a folder with blanks plays it, then a line of two names" \
    bash -c "[[ '$sequence' == 'a b c' ]]"

for name in emberhall.dat fire_data/motd.txt fire_data/fire.wav fire_fonts/font.tga; do
    rm -f "$user/$name"
    mkfifo "$user/$name"
done
printf '%s\n' "$WORK/offline.wav" >"$user/fire_data/pls.txt"
for exit_by in mouse TERM; do
    xdotool mousemove 0 0
    started=$(date +%s.%N)
    eh_linux_start --fullscreen --sound --music --data-dir "$data"
    eh_check "every data file a FIFO ($exit_by run): the fire comes" eh_wait_fire 1024x40+0+720
    echo "     first fire seen $(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN {printf "%.2f", b - a}') s after the start"
    sleep 1
    eh_linux_end_with "$EH_PID" "$exit_by" "every data file a FIFO"
done

exit "$EH_FAILURES"
