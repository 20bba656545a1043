#!/usr/bin/env bash
# The fire on the screen: emberhall.scr /s under Wine shows fire rising from the bottom, fills
# a screen larger than its picture, ends with exit code 0 on Escape; preview, password and
# unknown letters end at once without a window.
set -u
saver=$1
source "$(dirname "$0")/../wine/lib.sh"
eh_begin_e2e
shots=$EH_SHOTS

# Standard colours and no messages: not a single pixel may carry blue.
eh_clear_data

run_on_screen() {
    local size=$1 shot=$2
    eh_start_xvfb "$size"
    eh_start_saver "$saver" || echo "no saver window on $size"
    sleep 3
    eh_screenshot "$shot"
    eh_end_with_escape "$size"
    eh_stop_xvfb
    # Wine keeps the screen geometry it found while its server runs.
    eh_stop_wine
}

run_on_screen 1024x768 "$shots/fire-1024x768.png"
shot="$shots/fire-1024x768.png"
eh_check "bright fire along the bottom" eh_gt "$(eh_mean "$shot" 1024x60+0+700 r)" 0.5
eh_check "dark at the top" test "$(eh_max "$shot" 1024x300+0+0 r)" = 0
eh_check "no blue anywhere in the standard colours" test "$(eh_blue_pixels "$shot" 1024x768+0+0)" = 0

# Larger screens: the picture is stretched over all of it, so fire runs along the whole bottom
# edge, right into the corner.
for size in 1280x1024 1920x1080; do
    width=${size%x*}
    height=${size#*x}
    shot="$shots/fire-$size.png"
    run_on_screen "$size" "$shot"
    eh_check "fire along the whole bottom of $size" \
        eh_gt "$(eh_mean "$shot" "${width}x60+0+$((height - 70))" r)" 0.4
    eh_check "fire reaches the bottom-right corner of $size" \
        eh_gt "$(eh_mean "$shot" "100x40+$((width - 100))+$((height - 50))" r)" 0.4
    eh_check "dark at the top of $size" test "$(eh_max "$shot" "${width}x$((height / 3))+0+0" r)" = 0
done

# Letters that end the program at once, creating no window.
eh_start_xvfb 1024x768
for args in "/p 1234" "/a" "/x"; do
    eh_start "$saver" $args
    eh_wait_exit "$EH_PID" 15
    window=$(xdotool search --name '^Emberhall$' 2>/dev/null | head -n 1)
    eh_check "$args ends at once with exit code 0 (got $EH_RC)" test "$EH_RC" = 0
    eh_check "$args creates no window" test -z "$window"
done
eh_stop_xvfb

exit "$EH_FAILURES"
