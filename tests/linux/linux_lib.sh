# Shared shell functions of the Linux saver's end-to-end tests. The X server, the checks and the
# screenshot measures are the Wine bench's (tests/wine/lib.sh); these add what a native hack
# needs: the program and its data in a place an unprivileged user can reach, a private home,
# and the program started and ended by its own id.
source "$(dirname "${BASH_SOURCE[0]}")/../wine/lib.sh"

# A directory under /tmp that anyone may read, holding a copy of the program ($1) and of the
# default data: the XScreenSaver daemon runs hacks as an unprivileged user, who may not reach a
# checkout under /root. Leaves the paths in EH_LINUX_DIR, EH_PROGRAM and EH_DATA.
eh_linux_stage() {
    EH_LINUX_DIR=$(mktemp -d /tmp/emberhall-linux.XXXXXX)
    chmod 755 "$EH_LINUX_DIR"
    cp "$1" "$EH_LINUX_DIR/emberhall"
    cp -r "$EH_SOURCE_DIR/data" "$EH_LINUX_DIR/data"
    chmod -R a+rX "$EH_LINUX_DIR"
    EH_PROGRAM=$EH_LINUX_DIR/emberhall
    EH_DATA=$EH_LINUX_DIR/data
}

eh_linux_unstage() {
    [ -n "${EH_LINUX_DIR:-}" ] && rm -rf "$EH_LINUX_DIR"
    EH_LINUX_DIR=
}

# A fresh home for the program: its settings and messages under $HOME/.config/emberhall, and
# no system data but what a test puts in $EH_SYSTEM_DATA.
eh_linux_home() {
    export HOME=$EH_LINUX_DIR/home
    export XDG_CONFIG_HOME=$HOME/.config
    export EH_SYSTEM_DATA=$EH_LINUX_DIR/system
    export XDG_DATA_DIRS=$EH_SYSTEM_DATA
    rm -rf "$HOME" "$EH_SYSTEM_DATA"
    mkdir -p "$XDG_CONFIG_HOME/emberhall" "$EH_SYSTEM_DATA"
}

# Starts the program in the background with the given arguments; its id in EH_PID, its output
# in $EH_LINUX_DIR/output.
eh_linux_start() {
    "$EH_PROGRAM" "$@" >"$EH_LINUX_DIR/output" 2>&1 </dev/null &
    EH_PID=$!
}

# Waits up to $2 seconds (default 15) until the region $1 of the screen shows fire (mean red
# above 0.4); true when it does. The screenshot is left in $EH_LINUX_DIR/shot.png.
eh_wait_fire() {
    local region=$1 limit=${2:-15} waited=0
    while [ "$waited" -lt "$((limit * 2))" ]; do
        eh_screenshot "$EH_LINUX_DIR/shot.png"
        if eh_gt "$(eh_mean "$EH_LINUX_DIR/shot.png" "$region" r)" 0.4; then
            return 0
        fi
        sleep 0.5
        waited=$((waited + 1))
    done
    return 1
}

# Sends signal $2 to process $1 (or, for the signal "mouse", moves the mouse) and checks that it
# ends with exit code 0 within ten seconds; the time it took is printed, not judged.
eh_linux_end_with() {
    local pid=$1 signal=$2 what=$3 start
    start=$(date +%s.%N)
    if [ "$signal" = mouse ]; then
        xdotool mousemove 600 500 sleep 0.1 mousemove 300 200
    else
        kill "-$signal" "$pid" 2>/dev/null
    fi
    eh_wait_exit "$pid" 10
    echo "     $what: ended $(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN {printf "%.2f", b - a}') s after the $signal"
    [ "$signal" = mouse ] || signal=SIG$signal
    eh_check "$what: $signal ends it with exit code 0 (got $EH_RC)" test "$EH_RC" = 0
    eh_check "$what: no sanitizer report" eh_no_sanitizer_report "$EH_LINUX_DIR/output"
}

# True when the file holds no report of AddressSanitizer, LeakSanitizer or UndefinedBehavior-
# Sanitizer (the asan preset runs these tests with such a build).
eh_no_sanitizer_report() {
    ! grep -qE "(Address|Leak|UndefinedBehavior)Sanitizer|runtime error:" "$1"
}

# True when the screenshot $1 shows a message held in place (over 500 glyph pixels where the
# default messages stand) and fire with no blue below it: a frame in the standard colours.
eh_shows_message_over_standard_fire() {
    eh_gt "$(eh_blue_pixels "$1" 1024x140+0+160)" 500 &&
        test "$(eh_blue_pixels "$1" 1024x100+0+660)" = 0 &&
        eh_gt "$(eh_mean "$1" 1024x40+0+720 r)" 0.4
}

# The same of a screenshot of a screen of any size, brought to the picture's.
eh_scaled_shows_message() {
    convert "$1" -resize '1024x768!' "$1.scaled.png" && eh_shows_message_over_standard_fire "$1.scaled.png"
}

# True when the PulseAudio of eh_start_pulse plays one stream.
eh_one_player() { [ "$(pactl list sink-inputs | grep -c application.process.id)" = 1 ]; }

# True when process $1 neither wakes nor takes CPU time for two seconds; says what it saw.
eh_asleep() {
    local before after
    before=$(awk '/^voluntary_ctxt_switches/ {s = $2} END {print s}' "/proc/$1/status")" $(cut -d' ' -f14,15 "/proc/$1/stat")"
    sleep 2
    after=$(awk '/^voluntary_ctxt_switches/ {s = $2} END {print s}' "/proc/$1/status")" $(cut -d' ' -f14,15 "/proc/$1/stat")"
    echo "(wake-ups, user and system ticks: $before, then $after)"
    [ "$after" = "$before" ]
}

# Screenshots every half second for up to $1 seconds until one shows a held default message
# over standard fire; the default messages hold for 4 to 5.5 s and burst for 7.25 s.
eh_wait_message_over_fire() {
    local limit=$1 waited=0
    while [ "$waited" -lt "$((limit * 2))" ]; do
        eh_screenshot "$EH_LINUX_DIR/shot.png"
        eh_shows_message_over_standard_fire "$EH_LINUX_DIR/shot.png" && return 0
        sleep 0.5
        waited=$((waited + 1))
    done
    return 1
}

# Runs a command as the unprivileged user 65534 with a stripped environment, as a screen-saver
# daemon would have it: the XScreenSaver daemon refuses to launch hacks as root.
eh_as_nobody() {
    setpriv --reuid=65534 --regid=65534 --clear-groups \
        env -i DISPLAY="$DISPLAY" HOME="$EH_NOBODY_HOME" PATH=/usr/libexec/xscreensaver:/usr/bin:/bin \
        "$@"
}

# A home for user 65534 in the staging directory.
eh_nobody_home() {
    EH_NOBODY_HOME=$EH_LINUX_DIR/nobody
    rm -rf "$EH_NOBODY_HOME"
    mkdir -p "$EH_NOBODY_HOME"
    chown 65534:65534 "$EH_NOBODY_HOME"
}

# Runs the command every tenth of a second until it succeeds, for at most $1 seconds.
eh_until() {
    local limit=$1 tries=0
    shift
    until "$@"; do
        tries=$((tries + 1))
        [ "$tries" -ge "$((limit * 10))" ] && return 1
        sleep 0.1
    done
}
