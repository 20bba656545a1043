# Shared shell functions of the tests and benchmarks under GNOME Shell's own Wayland compositor
# (Mutter), headless, with virtual monitors. Sourced after linux_lib.sh. The shell runs as the
# unprivileged user 65534 with a session bus and a system bus of its own (without a system bus it
# stops at start-up, and the machine's own must not be touched). Its D-Bus interfaces stand in
# for what a person does and sees: Eval asks the shell, Screenshot looks, and a remote-desktop
# session of Mutter's (gnome_input.py) is the mouse and the keyboard. Every process is ended by
# its own id.

EH_GNOME_INPUT_SCRIPT=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/gnome_input.py

# A dbus-daemon configuration: bus type $1 (session or system), socket $2. The one user may own
# and send anything; the session bus starts services (dconf) as a desktop's does.
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

# Runs a command as the session's user, in the environment GNOME gives its programs (VAR=value
# words before the command add to it; PULSE_SERVER while eh_start_pulse's server runs). Started
# in the background or a subshell, which it replaces, so that $! is the program's own id:
#   (eh_gnome_as_user "$EH_PROGRAM" --overlay) >log 2>&1 & saver=$!
eh_gnome_as_user() {
    local pulse=()
    [ -n "${EH_PULSE_PID:-}" ] && pulse=(PULSE_SERVER="$PULSE_SERVER")
    exec "${EH_GNOME_ENV[@]}" "${pulse[@]}" "$@"
}

# Starts GNOME Shell headless with a virtual monitor for each size given (default 1024x768), left
# to right, and waits until it is ready: its socket there, its start-up over, the overview it
# starts in closed and the notification it shows at start gone (it would show over a full-screen
# window without the focus). About 2.5 s. eh_gnome_stop ends what it started, started or not.
# Leaves EH_GNOME_DIR (shell.log in it), EH_GNOME_SYSTEM_BUS_PID, EH_GNOME_SESSION_PID
# (dbus-run-session, which runs the session bus and the shell) and EH_GNOME_SHELL_PID.
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

# GNOME Shell 43 starts ibus-daemon from JavaScript run in the forked child before the program is
# executed; about one start in ten that child hangs for good on a lock another thread held at the
# fork, and the shell waits for it. Such a child, still a gnome-shell after a second, is ended:
# the shell goes on as without ibus. Also finds the shell's id; false until it runs.
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

# Ends what eh_gnome_start and eh_gnome_start_input started and removes the directory: the shell
# first (dbus-run-session then ends the session bus, and the services it started go with it),
# then whatever still runs in the session five seconds later, by its id.
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

# Evaluates JavaScript $1 in the shell and prints the result (a string as it is, anything else as
# JSON); fails, printing the exception, when it throws.
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
    eh_until 10 grep -q "^input ready" "$EH_GNOME_DIR/input.log" || {
        cat "$EH_GNOME_DIR/input.log" >&2
        return 1
    }
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
