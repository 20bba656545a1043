# Shared shell functions of the Wine test bench: a private prefix, a private X server, the data
# files, the saver started and ended the way a user would. Sourced by the test scripts; every
# process started here is ended by its own id.

EH_SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# The prefix lives in the build tree; quiet, and no Mono or Gecko prompts. EH_DLL_OVERRIDES adds
# overrides of a test's own, e.g. "mfplat,mfreadwrite=d" for a Windows without Media Foundation.
eh_wine_env() {
    : "${EH_BUILD_DIR:=$EH_SOURCE_DIR/build/windows}"
    export WINEPREFIX="${WINEPREFIX:-$EH_BUILD_DIR/wineprefix}"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=${EH_DLL_OVERRIDES:+;$EH_DLL_OVERRIDES}"
    export WINEARCH=win64
    EH_WINDOWS_DIR="$WINEPREFIX/drive_c/windows"
}

# Creates the prefix once; concurrent callers wait for the first.
eh_prefix_ready() {
    eh_wine_env
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            wineboot -i >/dev/null 2>&1 || true
            wineserver -w
        fi
    ) 9>"$WINEPREFIX.lock"
}

# Starts a private X server of the given size (default 1024x768), with $2 screens of that size
# (default 1), and points DISPLAY at it; $EH_XVFB_OPTIONS are passed on (-extension NAME).
# -noreset keeps the server (and the pointer position) when its last client leaves.
eh_start_xvfb() {
    local size=${1:-1024x768} count=${2:-1} screens=() n
    for n in $(seq 0 $((count - 1))); do
        screens+=(-screen "$n" "${size}x24")
    done
    local fifo
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    # shellcheck disable=SC2086
    Xvfb -displayfd 7 "${screens[@]}" -noreset -nolisten tcp ${EH_XVFB_OPTIONS:-} 7>"$fifo" 2>/dev/null &
    EH_XVFB_PID=$!
    local display
    read -r -t 20 display <"$fifo" || true
    rm -f "$fifo"
    if [ -z "$display" ]; then
        echo "Xvfb did not start" >&2
        return 1
    fi
    export DISPLAY=":$display"
}

eh_stop_xvfb() {
    if [ -n "${EH_XVFB_PID:-}" ]; then
        kill "$EH_XVFB_PID" 2>/dev/null || true
        wait "$EH_XVFB_PID" 2>/dev/null || true
        EH_XVFB_PID=
    fi
}

# A private PulseAudio whose one null sink, eh_sink, is the default output, so Wine's sound can
# be recorded from eh_sink.monitor (parec) and measured. Its socket, cookie and state live in
# directory $1; its id is left in EH_PULSE_PID. With a user id as $2 it runs as that user, whose
# programs (a screen-saver daemon's hacks) can then play into it too.
eh_start_pulse() {
    local dir=$1 user=${2:-} as=()
    export XDG_RUNTIME_DIR=$dir/runtime
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    export PULSE_SERVER=unix:$XDG_RUNTIME_DIR/pulse/native
    export PULSE_COOKIE=$dir/pulse-cookie
    if [ -n "$user" ]; then
        chown -R "$user:$user" "$dir"
        as=(setpriv --reuid="$user" --regid="$user" --clear-groups)
    fi
    HOME=$dir "${as[@]}" pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
        --disallow-exit -L "module-native-protocol-unix auth-anonymous=1" \
        -L "module-null-sink sink_name=eh_sink rate=44100 channels=2" \
        >"$dir/pulse.log" 2>&1 &
    EH_PULSE_PID=$!
    local waited=0
    until pactl info >/dev/null 2>&1; do
        if [ "$waited" -ge 100 ]; then
            echo "pulseaudio did not start" >&2
            cat "$dir/pulse.log" >&2
            return 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    pactl set-default-sink eh_sink
}

eh_stop_pulse() {
    eh_kill "${EH_PULSE_PID:-}"
    EH_PULSE_PID=
}

# Copies the default data files into the prefix's Windows directory.
eh_install_data() {
    eh_wine_env
    cp -r "$EH_SOURCE_DIR/data/." "$EH_WINDOWS_DIR/"
}

# Starts a Windows program in the background under Wine; its id is left in EH_PID.
eh_start() {
    eh_wine_env
    wine "$@" >/dev/null 2>&1 &
    EH_PID=$!
}

# Waits up to $2 seconds (default 20) for process $1 to end; leaves its exit code in EH_RC, or
# "running" when it did not end. (Not to be called in a subshell: only the shell that started
# the process can collect its exit code.)
eh_wait_exit() {
    local pid=$1 limit=${2:-20} waited=0
    EH_RC=running
    while kill -0 "$pid" 2>/dev/null; do
        if [ "$waited" -ge "$((limit * 10))" ]; then
            return 0
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    EH_RC=0
    wait "$pid" 2>/dev/null || EH_RC=$?
}

# Waits up to $2 seconds for a visible window titled $1.
eh_wait_window() {
    local title=$1 limit=${2:-30} waited=0
    until xdotool search --onlyvisible --name "^${title}\$" >/dev/null 2>&1; do
        if [ "$waited" -ge "$((limit * 10))" ]; then
            return 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
}

# A key held long enough for a once-a-frame state read to see it.
eh_hold_key() {
    xdotool keydown "$1"
    sleep 0.3
    xdotool keyup "$1"
}

eh_screenshot() {
    import -window root "$1"
}

# Ends a process that is still running (by id) and Wine's server of the prefix.
eh_kill() {
    if [ -n "${1:-}" ] && kill -0 "$1" 2>/dev/null; then
        kill "$1" 2>/dev/null || true
        wait "$1" 2>/dev/null || true
    fi
}

eh_stop_wine() {
    eh_wine_env
    wineserver -k 2>/dev/null || true
}

# Prints "ok" if the condition holds, else a message; counts failures in EH_FAILURES.
EH_FAILURES=0
eh_check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok   - $what"
    else
        echo "FAIL - $what"
        EH_FAILURES=$((EH_FAILURES + 1))
    fi
}

# --- the saver's data in the prefix ---

# Removes every data file of the saver from the prefix's Windows directory.
eh_clear_data() {
    eh_wine_env
    rm -rf "$EH_WINDOWS_DIR/emberhall.dat" "$EH_WINDOWS_DIR/fire_fonts" "$EH_WINDOWS_DIR/fire_data"
}

# Writes emberhall.dat from six hexadecimal bytes: standard yellow cycle sound music sparks.
eh_write_settings() {
    eh_wine_env
    printf "$(printf '\\x%s' "$@")" >"$EH_WINDOWS_DIR/emberhall.dat"
}

# --- looking at screenshots ---

# Mean of a channel (r, g or b; 0 ... 1) over a region WxH+X+Y of an image.
eh_mean() {
    convert "$1" -crop "$2" +repage -format "%[fx:mean.$3]" info:
}

# Largest value (0 ... 1) of a channel over a region.
eh_max() {
    convert "$1" -crop "$2" +repage -channel "$(echo "$3" | tr rgb RGB)" -separate -format "%[fx:maxima]" info:
}

# Number of pixels in a region whose blue channel is at least 1/255.
eh_blue_pixels() {
    convert "$1" -crop "$2" +repage -channel B -separate -threshold 0 -format "%[fx:int(mean*w*h+0.5)]" info:
}

# True when $1 > $2 (decimal numbers).
eh_gt() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

# Starts the saver with /s, pointer parked at (0, 0), and waits for its window.
eh_start_saver() {
    xdotool mousemove 0 0
    eh_start "$1" /s
    eh_wait_window Emberhall 60
}

# Without a window manager nobody draws the frames of Wine's windows, and Wine still places a
# window's client area where a manager's frame would have put it. Letting Wine manage nothing
# makes it draw captions and frames itself and place every window exactly where Windows would:
# a dialog at 0, 0 then has its caption at the top-left corner of the screen. The setting lives
# in the prefix, so a script that sets it takes it back when it ends.
eh_windows_drawn_by_wine() {
    eh_wine_env
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
}

eh_windows_drawn_by_wm() {
    eh_wine_env
    wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
}

# Runs a Windows program to its end and prints its output. Wine's background programs inherit
# the output of whoever starts them and may outlive it, so the output goes through a file:
# a pipe (or a command substitution) would wait for them.
eh_wine_output() {
    eh_wine_env
    local output
    output=$(mktemp)
    wine "$@" >"$output" 2>&1 </dev/null
    local rc=$?
    cat "$output"
    rm -f "$output"
    return $rc
}

# --- the frame of an end-to-end script ---

# The prefix, a screenshot folder in $EH_SHOTS, and a clean-up that ends the saver and the X
# server whatever happens.
eh_begin_e2e() {
    eh_prefix_ready
    EH_SHOTS="${EH_BUILD_DIR:-$EH_SOURCE_DIR/build/windows}/e2e-shots"
    mkdir -p "$EH_SHOTS"
    trap 'eh_kill "${EH_PID:-}"; eh_stop_xvfb' EXIT
}

# Holds Escape and checks that the saver ends with exit code 0.
eh_end_with_escape() {
    eh_hold_key Escape
    eh_wait_exit "$EH_PID" 20
    eh_check "$1: Escape ends it with exit code 0 (got $EH_RC)" test "$EH_RC" = 0
}

# Whether the screenshot $1 shows the held message $5 (UTF-8, what it shows) laid out at $3,$4
# exactly as the glyph sheet $2 draws it, every glyph pixel; prints what the check saw. With
# --system-glyphs as $6, characters the sheet lacks are to come from the system's fonts: ink in
# the ember look in each of their cells, the same for the same character, different for others.
# The checker is the native build's (EH_MESSAGE_CHECK).
eh_message_matches() {
    local rgb="$1.rgb"
    convert "$1" -depth 8 "rgb:$rgb" &&
        "${EH_MESSAGE_CHECK:-$EH_SOURCE_DIR/build/native/tests/tools/message_check}" ${6:-} \
            "$2" "$3" "$4" "$5" "$rgb"
}

# The same for a message of strftime escapes $5, shown at some second from $6 to $7 (the times
# before and after the screenshot, `date +%s`).
eh_clock_message_matches() {
    local second
    for second in $(seq "$6" "$7"); do
        eh_message_matches "$1" "$2" "$3" "$4" "$(date -d "@$second" "+$5")" >/dev/null && {
            echo "shows $(date -d "@$second" "+$5")"
            return 0
        }
    done
    echo "shows none of the times from $(date -d "@$6" "+$5") to $(date -d "@$7" "+$5")"
    return 1
}
