#!/usr/bin/env bash
# The Linux saver under the real XScreenSaver daemon (Debian's xscreensaver), as a user with a
# ~/.xscreensaver that lists only Emberhall: activating the saver starts it on the daemon's
# window with fire and the default messages; deactivating it ends it with no process left.
set -u
program=$1
command=${2:-}
source "$(dirname "$0")/linux_lib.sh"
eh_linux_stage "$program"
trap 'eh_kill "${daemon:-}"; eh_stop_xvfb; eh_linux_unstage' EXIT
eh_start_xvfb 1024x768
eh_nobody_home
# The installed hack is found on the daemon's PATH; a build is given with its data.
[ -n "$command" ] || command="$EH_PROGRAM --data-dir $EH_DATA"
cat >"$EH_NOBODY_HOME/.xscreensaver" <<XSCREENSAVER
mode:		one
selected:	0
timeout:	0:30:00
lock:		False
splash:		False
fade:		False
unfade:		False
programs:								      \\
		$command			    \\n\\

XSCREENSAVER
chown 65534:65534 "$EH_NOBODY_HOME/.xscreensaver"

eh_as_nobody xscreensaver -no-splash -verbose >"$EH_LINUX_DIR/daemon.log" 2>&1 &
daemon=$!
daemon_answers() { eh_as_nobody xscreensaver-command -version >/dev/null 2>&1; }
eh_check "the daemon runs as an unprivileged user" eh_until 10 daemon_answers
eh_as_nobody xscreensaver-command -activate >/dev/null 2>&1

hack_pids() { pgrep -u 65534 -f "${command%% *}"; }
hack_runs() { [ -n "$(hack_pids)" ]; }
hack_gone() { [ -z "$(hack_pids)" ]; }
eh_check "activating starts Emberhall" eh_until 10 hack_runs
window=$(grep -o 'on window 0x[0-9a-f]*' "$EH_LINUX_DIR/daemon.log" | tail -n 1 | cut -d' ' -f3)
eh_check "the daemon gave it its window (${window:-none})" test -n "$window"
pid=$(hack_pids | head -n 1)
eh_check "XSCREENSAVER_WINDOW names that window" \
    grep -qz "^XSCREENSAVER_WINDOW=$window\$" "/proc/$pid/environ"
eh_check "fire in the standard colours with the default messages" eh_wait_message_over_fire 40
cp "$EH_LINUX_DIR/shot.png" "${EH_LINUX_SHOTS:-/tmp}/emberhall-xscreensaver.png"

eh_as_nobody xscreensaver-command -deactivate >/dev/null 2>&1
eh_check "deactivating ends it, no process left" eh_until 10 hack_gone
eh_check "the daemon stopped it with SIGTERM" grep -q "killing pid" "$EH_LINUX_DIR/daemon.log"
kill "$daemon"
eh_wait_exit "$daemon" 10
eh_check "the daemon ends" test "$EH_RC" != running
eh_check "no hack is left behind" test -z "$(hack_pids)"
eh_check "nothing the sanitizers report in the daemon's log" \
    eh_no_sanitizer_report "$EH_LINUX_DIR/daemon.log"

exit "$EH_FAILURES"
