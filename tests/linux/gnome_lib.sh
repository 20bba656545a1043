# Shared shell functions of the tests and benchmarks that run under GNOME Shell's own Wayland
# compositor (Mutter), headless, with virtual monitors. Sourced after linux_lib.sh.
# GNOME Shell runs as the unprivileged user 65534 with a session bus and a system bus of its own:
# without a system bus it stops at start-up, and the machine's own must not be touched. Its D-Bus
# interfaces stand in for what a person does and sees: Eval asks the shell, Screenshot looks, and
# a remote-desktop session of Mutter's (gnome_input.py) is the mouse and the keyboard, which a
# headless shell has none of. Every process is ended by its own id.

EH_GNOME_INPUT_SCRIPT=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/gnome_input.py

# A configuration for dbus-daemon: bus type $1 (session or system), socket $2. Anyone may own any
# name and send anything: the one user is the only one there. The session bus starts D-Bus
# services (dconf, the accessibility bus) as a desktop's does; they end with it.
eh_gnome_bus_config() {
    cat <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>$1</type>
  <listen>unix:path=$2</listen>
  <auth>EXTERNAL</auth>
  $([ "$1" = session ] && echo "<standard_session_servicedirs/>")
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow receive_sender="*"/>
    <allow eavesdrop="true"/>
  </policy>
</busconfig>
CONF
}

# Runs a command as the session's user, in the environment a GNOME session on Wayland gives its
# programs; VAR=value arguments before the command add to it (HOME=... for a home of a test's
# own), and PULSE_SERVER is passed on while eh_start_pulse's server runs. Always started in the
# background or in a subshell, which it replaces: $! is the program's own id.
#   (eh_gnome_as_user "$EH_PROGRAM" --overlay) >log 2>&1 & saver=$!
eh_gnome_as_user() {
    local pulse=()
    [ -n "${EH_PULSE_PID:-}" ] && pulse=(PULSE_SERVER="$PULSE_SERVER")
    exec "${EH_GNOME_ENV[@]}" "${pulse[@]}" "$@"
}

# Starts GNOME Shell headless with one virtual monitor per size given (default 1024x768), side
# by side from the left in that order, and waits until it is ready: its Wayland socket exists,
# Eval answers, its start-up is over, the overview it starts in is closed and the notification
# it shows at start (no screen lock without GDM) is gone, which would otherwise show over a
# fullscreen window that has no focus. About 2.5 s. Whether it starts or not, eh_gnome_stop
# ends what it started.
# Leaves: EH_GNOME_DIR (its own directory, shell.log in it), EH_GNOME_DISPLAY, EH_GNOME_BUS and
# the ids EH_GNOME_SYSTEM_BUS_PID, EH_GNOME_SESSION_PID (dbus-run-session, which runs the
# session bus and the shell) and EH_GNOME_SHELL_PID.
eh_gnome_start() {
    local monitors=() size
    for size in "${@:-1024x768}"; do
        monitors+=(--virtual-monitor "$size")
    done
    EH_GNOME_DIR=$(mktemp -d /tmp/emberhall-gnome.XXXXXX)
    chmod 755 "$EH_GNOME_DIR"
    local runtime=$EH_GNOME_DIR/runtime
    mkdir -p "$runtime" "$EH_GNOME_DIR/home" "$EH_GNOME_DIR/system" "$EH_GNOME_DIR/shots"
    chmod 700 "$runtime"
    chown 65534:65534 "$runtime" "$EH_GNOME_DIR/home" "$EH_GNOME_DIR/system" "$EH_GNOME_DIR/shots"
    eh_gnome_bus_config system "$EH_GNOME_DIR/system/bus" >"$EH_GNOME_DIR/system.conf"
    eh_gnome_bus_config session "$runtime/bus" >"$EH_GNOME_DIR/session.conf"
    EH_GNOME_DISPLAY=wayland-gnome
    EH_GNOME_BUS=unix:path=$runtime/bus
    EH_GNOME_ENV=(setpriv --reuid=65534 --regid=65534 --clear-groups env -i HOME="$EH_GNOME_DIR/home"
        XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$EH_GNOME_DISPLAY" XDG_SESSION_TYPE=wayland
        XDG_CURRENT_DESKTOP=GNOME DBUS_SESSION_BUS_ADDRESS="$EH_GNOME_BUS"
        DBUS_SYSTEM_BUS_ADDRESS="unix:path=$EH_GNOME_DIR/system/bus" PATH=/usr/bin:/bin)
    (eh_gnome_as_user dbus-daemon --nofork --config-file="$EH_GNOME_DIR/system.conf") \
        >"$EH_GNOME_DIR/system-bus.log" 2>&1 &
    EH_GNOME_SYSTEM_BUS_PID=$!
    # Where /run/systemd/seats exists, the shell counts on logind, which its own system bus does
    # not have; an empty /run/systemd, in a mount namespace of the shell's own, sets it on its
    # path for a machine without logind, the same on every machine. unshare and sh replace
    # themselves: the id is dbus-run-session's. The log is appended to: eh_gnome_unstick writes
    # to it too.
    unshare --mount sh -c 'mount -t tmpfs tmpfs /run/systemd && exec "$@"' sh "${EH_GNOME_ENV[@]}" \
        dbus-run-session --config-file="$EH_GNOME_DIR/session.conf" -- \
        gnome-shell --headless --no-x11 --wayland-display="$EH_GNOME_DISPLAY" --unsafe-mode "${monitors[@]}" \
        >>"$EH_GNOME_DIR/shell.log" 2>&1 &
    EH_GNOME_SESSION_PID=$!
    # Timed by the clock, not by tries: a call to a shell that hangs takes until it times out.
    local deadline=$((SECONDS + 60)) EH_GNOME_EVAL_MS=1000
    until eh_gnome_unstick && eh_gnome_started_up && eh_gnome_desktop_bare; do
        if [ "$SECONDS" -ge "$deadline" ] || ! kill -0 "$EH_GNOME_SESSION_PID" 2>/dev/null; then
            echo "GNOME Shell did not start; the end of its log:" >&2
            tail -n 30 "$EH_GNOME_DIR/shell.log" >&2
            echo >&2
            return 1
        fi
        sleep 0.1
    done
}

# GNOME Shell 43 starts ibus-daemon with a JavaScript function that runs in the forked child
# before the program is executed. In about one start in ten here that child hangs for good on a
# lock another thread of the shell held at the fork, and the shell, waiting for it, is frozen.
# Such a child, still a gnome-shell after a second, is ended: the shell then goes on as when
# there is no ibus-daemon to start. Also finds the shell's id; false until it runs.
eh_gnome_unstick() {
    EH_GNOME_SHELL_PID=$(pgrep -P "$EH_GNOME_SESSION_PID" -x gnome-shell) || return 1
    local child uptime
    uptime=$(cut -d' ' -f1 /proc/uptime)
    for child in $(pgrep -P "$EH_GNOME_SHELL_PID" -x gnome-shell); do
        if awk -v now="$uptime" -v hz="$(getconf CLK_TCK)" '{ exit !(now - $22 / hz > 1) }' \
            "/proc/$child/stat" 2>/dev/null; then
            kill -KILL "$child"
            echo "(bench) ended gnome-shell's hung child $child" >>"$EH_GNOME_DIR/shell.log"
        fi
    done
}

# The rest of eh_gnome_start's wait: the Wayland socket and the end of the start-up animation,
# then the overview and the notifications gone.
eh_gnome_started_up() {
    [ -S "$EH_GNOME_DIR/runtime/$EH_GNOME_DISPLAY" ] &&
        [ "$(eh_gnome_eval 'Main.layoutManager._startingUp')" = false ]
}
eh_gnome_desktop_bare() {
    [ "$(eh_gnome_eval 'Main.overview.hide();
        const tray = Main.messageTray;
        tray.getSources().forEach(source => source.destroy());
        Main.overview.visible || Main.overview.animationInProgress || tray.getSources().length > 0')" = false ]
}

# Ends what eh_gnome_start and eh_gnome_start_input started, and removes the directory. The
# shell first: dbus-run-session then ends the session bus and exits, and the services that bus
# started end when it goes. Whatever still runs in the session five seconds later (a program a
# test left running, too) is ended by its id.
eh_gnome_stop() {
    eh_gnome_stop_input
    if [ -n "${EH_GNOME_SHELL_PID:-}" ]; then
        kill "$EH_GNOME_SHELL_PID" 2>/dev/null
        eh_wait_exit "$EH_GNOME_SESSION_PID" 10
        [ "$EH_RC" = running ] && kill -KILL "$EH_GNOME_SHELL_PID" 2>/dev/null
    fi
    eh_kill "${EH_GNOME_SESSION_PID:-}"
    eh_kill "${EH_GNOME_SYSTEM_BUS_PID:-}"
    if [ -n "${EH_GNOME_DIR:-}" ]; then
        # shellcheck disable=SC2046 # one id a word
        eh_until 5 eh_gnome_ended || kill -KILL $(eh_gnome_processes) 2>/dev/null
        rm -rf "$EH_GNOME_DIR"
    fi
    EH_GNOME_SHELL_PID='' EH_GNOME_SESSION_PID='' EH_GNOME_SYSTEM_BUS_PID='' EH_GNOME_DIR=''
}

# Prints the ids of the processes still running in the session: those whose environment holds
# its runtime directory, which nothing outside the session has.
eh_gnome_processes() {
    grep -lzxF "XDG_RUNTIME_DIR=$EH_GNOME_DIR/runtime" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3
}

eh_gnome_ended() { [ -z "$(eh_gnome_processes)" ]; }

# Evaluates JavaScript $1 in the shell and prints the result: a string as it is, anything else
# as JSON (true, 3, [1,2]). Fails, printing the exception, when it throws.
eh_gnome_eval() {
    (eh_gnome_as_user python3 -c '
import json, sys
from gi.repository import Gio, GLib
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
ok, result = bus.call_sync("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell", "Eval",
                           GLib.Variant("(s)", (sys.argv[1],)), None, Gio.DBusCallFlags.NONE,
                           int(sys.argv[2]), None).unpack()
print(json.loads(result) if ok and result.startswith("\"") else result)
sys.exit(0 if ok else 1)' "$1" "${EH_GNOME_EVAL_MS:-10000}" 2>&1)
}

# Calls method $3 of object $2 of bus name $1 on the session bus, with arguments $4...
eh_gnome_dbus() {
    (eh_gnome_as_user gdbus call --session --dest "$1" --object-path "$2" --method "$3" "${@:4}")
}

# True when a fullscreen window covers monitor $1 (0, 1, ... in eh_gnome_start's order).
eh_gnome_fullscreen() {
    [ "$(eh_gnome_eval "global.display.get_monitor_in_fullscreen($1)")" = true ]
}

# Prints monitor $1's place in a screenshot of all monitors, WxH+X+Y, as eh_mean takes a region.
eh_gnome_monitor_region() {
    eh_gnome_eval "const r = global.display.get_monitor_geometry($1);
        \`\${r.width}x\${r.height}+\${r.x}+\${r.y}\`"
}

# A screenshot of all monitors as they stand side by side, saved as PNG $1; where one is lower
# than another, the rest is transparent black.
eh_gnome_screenshot() {
    local shot=$EH_GNOME_DIR/shots/shot.png reply
    rm -f "$shot"
    reply=$(eh_gnome_dbus org.gnome.Shell.Screenshot /org/gnome/Shell/Screenshot \
        org.gnome.Shell.Screenshot.Screenshot false false "$shot") &&
        [ "${reply#(true,}" != "$reply" ] && cp "$shot" "$1"
}

# A screenshot of monitor $1 alone, saved as PNG $2.
eh_gnome_monitor_screenshot() {
    local region
    region=$(eh_gnome_monitor_region "$1") && eh_gnome_screenshot "$2" &&
        convert "$2" -crop "$region" +repage "$2"
}

# Prints the milliseconds since the last input, as GNOME's idle monitor counts them.
eh_gnome_idletime() {
    eh_gnome_dbus org.gnome.Mutter.IdleMonitor /org/gnome/Mutter/IdleMonitor/Core \
        org.gnome.Mutter.IdleMonitor.GetIdletime | sed -n 's/^(uint64 \([0-9]*\),)$/\1/p'
}

# Starts gnome_input.py, the mouse and the keyboard, fed through a named pipe, and waits until
# its devices are there; its id in EH_GNOME_INPUT_PID.
eh_gnome_start_input() {
    local pipe=$EH_GNOME_DIR/input
    mkfifo -m 600 "$pipe"
    chown 65534:65534 "$pipe"
    (eh_gnome_as_user python3 "$EH_GNOME_INPUT_SCRIPT") <"$pipe" >"$EH_GNOME_DIR/input.log" 2>&1 &
    EH_GNOME_INPUT_PID=$!
    exec {EH_GNOME_INPUT_FD}>"$pipe"
    EH_GNOME_INPUT_SENT=0
    if ! eh_until 10 grep -q "^input ready" "$EH_GNOME_DIR/input.log"; then
        echo "the input helper did not start:" >&2
        cat "$EH_GNOME_DIR/input.log" >&2
        return 1
    fi
}

# Sends one line to the input helper and waits until it is carried out; false when it was not.
#   eh_gnome_input move 8 5; eh_gnome_input key 1; eh_gnome_input button 273
eh_gnome_input() {
    # In a subshell: a helper that has gone would end this script with SIGPIPE.
    (echo "$*" >&"$EH_GNOME_INPUT_FD") 2>/dev/null || return 1
    EH_GNOME_INPUT_SENT=$((EH_GNOME_INPUT_SENT + 1))
    eh_until 5 eh_gnome_input_answered && test "$(tail -n 1 "$EH_GNOME_DIR/input.log")" = "done $*"
}

eh_gnome_input_answered() {
    [ "$(grep -c '^\(done\|error\) ' "$EH_GNOME_DIR/input.log")" -ge "$EH_GNOME_INPUT_SENT" ]
}

# The end of its input ends the helper, and its session with it.
eh_gnome_stop_input() {
    if [ -n "${EH_GNOME_INPUT_FD:-}" ]; then
        exec {EH_GNOME_INPUT_FD}>&-
        EH_GNOME_INPUT_FD=
    fi
    eh_kill "${EH_GNOME_INPUT_PID:-}"
    EH_GNOME_INPUT_PID=
}
