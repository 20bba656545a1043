#!/usr/bin/env bash
# The saver obeys its settings file and the mouse: yellow, cycling and no colour at all; moving
# the pointer or pressing the first button ends it, turning the wheel does not; with sparks on
# it stays up.
set -u
saver=$1
source "$(dirname "$0")/../wine/lib.sh"
eh_begin_e2e
shots=$EH_SHOTS
eh_start_xvfb 1024x768
eh_clear_data

# Yellow: hot pixels carry blue, which the standard fire never has.
eh_write_settings 00 01 00 00 00 00
eh_start_saver "$saver"
sleep 2
eh_screenshot "$shots/yellow.png"
eh_end_with_escape yellow
eh_check "yellow fire: pixels with blue near the bottom" \
    eh_gt "$(eh_blue_pixels "$shots/yellow.png" 1024x60+0+700)" 1000
eh_check "yellow fire: green as strong as red at the hottest" \
    eh_gt "$(eh_mean "$shots/yellow.png" 1024x40+0+720 g)" 0.5

# Cycling: the colours change over time (the palette swings toward yellow frame by frame).
eh_write_settings 00 00 01 00 00 00
eh_start_saver "$saver"
sleep 1
eh_screenshot "$shots/cycle-early.png"
sleep 4
eh_screenshot "$shots/cycle-later.png"
eh_end_with_escape cycling
early=$(eh_mean "$shots/cycle-early.png" 1024x200+0+560 g)
later=$(eh_mean "$shots/cycle-later.png" 1024x200+0+560 g)
eh_check "cycling colours change over time (green $early, then $later)" eh_gt "$later" "$(awk -v e="$early" 'BEGIN { print e + 0.05 }')"

# No colour flag on: the fire stays black.
eh_write_settings 00 00 00 00 00 00
eh_start_saver "$saver"
sleep 2
eh_screenshot "$shots/no-colour.png"
eh_end_with_escape "no colour"
eh_check "no colour flag: the picture stays black" test "$(eh_max "$shots/no-colour.png" 1024x768+0+0 r)" = 0

# The mouse, with standard colours and no sound.
eh_write_settings 01 00 00 00 00 00
eh_start_saver "$saver"
sleep 2
xdotool mousemove 200 200
eh_wait_exit "$EH_PID" 5
eh_check "moving the pointer ends the saver with exit code 0 (got $EH_RC)" test "$EH_RC" = 0

eh_start_saver "$saver"
sleep 2
xdotool mousedown 1
eh_wait_exit "$EH_PID" 5
xdotool mouseup 1
eh_check "the first button ends the saver with exit code 0 (got $EH_RC)" test "$EH_RC" = 0

eh_start_saver "$saver"
sleep 2
xdotool click 4 click 5 click 4
sleep 2
eh_check "turning the wheel leaves the saver running" kill -0 "$EH_PID"
eh_end_with_escape "after the wheel"

# Sparks on, fire sound on (whatever sound there is): the saver stays up for 30 seconds.
eh_write_settings 01 00 00 01 00 01
eh_start_saver "$saver"
sleep 30
eh_screenshot "$shots/sparks.png"
eh_check "with sparks the saver is still running after 30 seconds" kill -0 "$EH_PID"
eh_end_with_escape sparks

eh_clear_data
exit "$EH_FAILURES"
