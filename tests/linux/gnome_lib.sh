# Shell functions of the tests and benchmarks under GNOME Shell (Mutter) headless, sourced after
# linux_lib.sh. The shell runs as user 65534 with a session bus and a system bus of its own (it
# stops without one, and the machine's must not be touched); Eval asks it, Screenshot looks, and
# gnome_input.py is the mouse and keyboard. Every process is ended by its own id.

EH_GNOME_INPUT_SCRIPT=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/gnome_input.py

# A dbus-daemon configuration: bus type $1 (session or system), socket $2; the one user may do
# anything.
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
    <allow user="*"/> <allow own="*"/> <allow send_destination="*" eavesdrop="true"/>
    <allow receive_sender="*"/> <allow eavesdrop="true"/>
  </policy>
</busconfig>
CONF
}

# Runs a command as the session's user, in GNOME's environment (and PULSE_SERVER while
# eh_start_pulse's server runs), replacing its subshell: (eh_gnome_as_user PROGRAM ...) & pid=$!
eh_gnome_as_user() {
    local pulse=()
    [ -n "${EH_PULSE_PID:-}" ] && pulse=(PULSE_SERVER="$PULSE_SERVER")
    exec "${EH_GNOME_ENV[@]}" "${pulse[@]}" "$@"
}

# Starts GNOME Shell with a virtual monitor for each size given (default 1024x768), left to
# right, and waits (about 2.5 s) until its start-up is over, the overview it starts in closed and
# the notification it shows at start gone (it would show over a full-screen window without the
# focus). Leaves EH_GNOME_DIR (shell.log in it) and the ids EH_GNOME_SYSTEM_BUS_PID,
# EH_GNOME_SESSION_PID (dbus-run-session) and EH_GNOME_SHELL_PID, which eh_gnome_stop ends.
eh_gnome_start() {
    local monitors=() size
    for size in "${@:-1024x768}"; do
        monitors+=(--virtual-monitor "$size")
    done
    EH_GNOME_DIR=$(mktemp -d /tmp/emberhall-gnome.XXXXXX)
    chmod 755 "$EH_GNOME_DIR"
    local runtime=$EH_GNOME_DIR/runtime display=wayland-gnome
    mkdir -p "$runtime" "$EH_GNOME_DIR/home" "$EH_GNOME_DIR/system" "$EH_GNOME_DIR/shots"
    chmod 700 "$runtime"
    chown 65534:65534 "$runtime" "$EH_GNOME_DIR/home" "$EH_GNOME_DIR/system" "$EH_GNOME_DIR/shots"
    eh_gnome_bus_config system "$EH_GNOME_DIR/system/bus" >"$EH_GNOME_DIR/system.conf"
    eh_gnome_bus_config session "$runtime/bus" >"$EH_GNOME_DIR/session.conf"
    EH_GNOME_ENV=(setpriv --reuid=65534 --regid=65534 --clear-groups env -i HOME="$EH_GNOME_DIR/home"
        XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$display" XDG_SESSION_TYPE=wayland
        XDG_CURRENT_DESKTOP=GNOME DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime/bus"
        DBUS_SYSTEM_BUS_ADDRESS="unix:path=$EH_GNOME_DIR/system/bus" PATH=/usr/bin:/bin)
    (eh_gnome_as_user dbus-daemon --nofork --config-file="$EH_GNOME_DIR/system.conf") \
        >"$EH_GNOME_DIR/system-bus.log" 2>&1 &
    EH_GNOME_SYSTEM_BUS_PID=$!
    # With /run/systemd/seats there the shell counts on logind, which its system bus lacks; an
    # empty /run/systemd in a mount namespace of its own makes every machine alike. unshare and
    # sh replace themselves: the id is dbus-run-session's.
    unshare --mount sh -c 'mount -t tmpfs tmpfs /run/systemd && exec "$@"' sh "${EH_GNOME_ENV[@]}" \
        dbus-run-session --config-file="$EH_GNOME_DIR/session.conf" -- \
        gnome-shell --headless --no-x11 --wayland-display="$display" --unsafe-mode "${monitors[@]}" \
        >>"$EH_GNOME_DIR/shell.log" 2>&1 &
    EH_GNOME_SESSION_PID=$!
    # Timed by the clock, not by tries: a call to a shell that hangs lasts until it times out.
    local deadline=$((SECONDS + 60)) EH_GNOME_EVAL_MS=1000
    until eh_gnome_unstick && [ -S "$runtime/$display" ] &&
        [ "$(eh_gnome_eval 'Main.layoutManager._startingUp')" = false ] && eh_gnome_desktop_bare; do
        if [ "$SECONDS" -ge "$deadline" ] || ! kill -0 "$EH_GNOME_SESSION_PID" 2>/dev/null; then
            echo "GNOME Shell did not start; the end of its log:" >&2
            tail -n 30 "$EH_GNOME_DIR/shell.log" >&2
            return 1
        fi
        sleep 0.1
    done
}

# About one start in ten, the child GNOME Shell 43 forks to start ibus-daemon hangs for good on a
# lock held at the fork, and the shell waits for it: such a child, a gnome-shell still after a
# second, is ended, and the shell goes on without ibus. Also finds the shell's id.
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

eh_gnome_desktop_bare() {
    [ "$(eh_gnome_eval 'Main.overview.hide();
        const tray = Main.messageTray;
        tray.getSources().forEach(source => source.destroy());
        Main.overview.visible || Main.overview.animationInProgress || tray.getSources().length > 0')" = false ]
}

# Ends what eh_gnome_start and eh_gnome_start_input started: the shell first (the session bus
# and its services go with it), then whatever still runs in the session five seconds later.
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

# The ids of the processes of the session: those with its runtime directory in their environment.
eh_gnome_processes() {
    grep -lzxF "XDG_RUNTIME_DIR=$EH_GNOME_DIR/runtime" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3
}
eh_gnome_ended() { [ -z "$(eh_gnome_processes)" ]; }

# Prints the result of JavaScript $1 in the shell (a string as it is, else JSON); false if it throws.
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

# True when a full-screen window covers monitor $1 (0, 1, ... in eh_gnome_start's order).
eh_gnome_fullscreen() {
    [ "$(eh_gnome_eval "global.display.get_monitor_in_fullscreen($1)")" = true ]
}

# A screenshot of monitor $1, cut out of one of all monitors side by side, saved as PNG $2.
eh_gnome_monitor_screenshot() {
    local shot=$EH_GNOME_DIR/shots/shot.png region reply
    region=$(eh_gnome_eval "const r = global.display.get_monitor_geometry($1);
        \`\${r.width}x\${r.height}+\${r.x}+\${r.y}\`") || return 1
    rm -f "$shot"
    reply=$( (eh_gnome_as_user gdbus call --session --dest org.gnome.Shell.Screenshot \
        --object-path /org/gnome/Shell/Screenshot \
        --method org.gnome.Shell.Screenshot.Screenshot false false "$shot")) &&
        [ "${reply#(true,}" != "$reply" ] && convert "$shot" -crop "$region" +repage "$2"
}

# Starts gnome_input.py behind a named pipe and waits for its devices; its id in EH_GNOME_INPUT_PID.
eh_gnome_start_input() {
    local pipe=$EH_GNOME_DIR/input
    mkfifo -m 600 "$pipe"
    chown 65534:65534 "$pipe"
    (eh_gnome_as_user python3 "$EH_GNOME_INPUT_SCRIPT") <"$pipe" >"$EH_GNOME_DIR/input.log" 2>&1 &
    EH_GNOME_INPUT_PID=$!
    exec {EH_GNOME_INPUT_FD}>"$pipe"
    EH_GNOME_INPUT_SENT=0
    eh_until 10 grep -q "^input ready" "$EH_GNOME_DIR/input.log" || {
        cat "$EH_GNOME_DIR/input.log" >&2
        return 1
    }
}

# Sends one line to the input helper (move 8 5, key 1, ...) and waits until it is carried out.
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
