#!/usr/bin/env bash
# emberhall --add-to-xscreensaver against the real XScreenSaver daemon (Debian's xscreensaver,
# run as an unprivileged user: it refuses to run hacks as root), on a private Xvfb:
#   1. A ~/.xscreensaver written by xscreensaver-settings: one line is added and nothing else
#      changes; a second run changes nothing and says so; the daemon then runs emberhall, the
#      last entry of its list, in its own window, and ends it when it deactivates.
#   2. No ~/.xscreensaver yet: the command makes one holding the system's list with Emberhall
#      at its end, and the daemon runs it from there too.
# The daemon's emberhall here is a stand-in script that notes how it was started, so this tests
# the file and the command, not the saver (whose own tests run it under the daemon).
# Usage: xscreensaver_add_test.sh path/to/emberhall
set -u
EMBERHALL=${1:?usage: xscreensaver_add_test.sh emberhall}
source "$(dirname "$0")/../wine/lib.sh"
FIXTURE=$EH_SOURCE_DIR/tests/linux/data/xscreensaver-6.06-settings.txt
NOBODY=(setpriv --reuid=65534 --regid=65534 --clear-groups)

WORK=$(mktemp -d)
chmod 755 "$WORK"
DAEMON_PID=
cleanup() {
    eh_kill "$DAEMON_PID"
    eh_stop_xvfb
    [ -n "${EH_KEEP_WORK:-}" ] && echo "kept $WORK" || rm -rf "$WORK"
}
trap cleanup EXIT

# The command and a stand-in hack, where the unprivileged user can run them.
mkdir -p "$WORK/bin" "$WORK/notes"
cp "$EMBERHALL" "$WORK/emberhall-command"
cat >"$WORK/bin/emberhall" <<EOF
#!/bin/sh
echo "\$\$ \${XSCREENSAVER_WINDOW:-none} \$*" >>"$WORK/notes/started"
exec sleep 120
EOF
chmod 755 "$WORK/bin/emberhall" "$WORK/emberhall-command"
chown 65534:65534 "$WORK/notes"

as_user() { # home, command...
    local home=$1
    shift
    HOME=$home PATH="$WORK/bin:/usr/bin:/bin" "${NOBODY[@]}" "$@"
}

entries() { sed -n '/^programs:/,/^[[:space:]]*$/p' "$1" | grep -c '\\n'; }

# Starts the daemon for $1, selects entry $2 and checks that the stand-in starts in the
# daemon's window; then deactivates and checks that it ends.
run_under_daemon() {
    local home=$1 index=$2 what=$3
    : >"$WORK/notes/started"
    chmod 666 "$WORK/notes/started"
    # Started straight from this shell (not through a function, which would run in a subshell
    # of its own): setpriv becomes the daemon, so $! is the daemon's id.
    HOME=$home PATH="$WORK/bin:/usr/bin:/bin" "${NOBODY[@]}" \
        xscreensaver -no-splash -verbose >"$home.daemon.log" 2>&1 &
    DAEMON_PID=$!
    local waited=0
    until xscreensaver-command -version >/dev/null 2>&1 || [ "$waited" -ge 100 ]; do
        sleep 0.1
        waited=$((waited + 1))
    done
    xscreensaver-command -select "$index" >/dev/null 2>&1
    waited=0
    until [ -s "$WORK/notes/started" ] || [ "$waited" -ge 150 ]; do
        sleep 0.1
        waited=$((waited + 1))
    done
    read -r hack window _ <"$WORK/notes/started" 2>/dev/null || hack=
    eh_check "$what: the daemon runs emberhall, entry $index of its list" [ -n "$hack" ] ||
        grep -v 'device\|XInput' "$home.daemon.log" | tail -8
    eh_check "$what: in the window it gives it (XSCREENSAVER_WINDOW=${window:-})" \
        bash -c "[[ '${window:-none}' == 0x* ]]"
    xscreensaver-command -deactivate >/dev/null 2>&1
    waited=0
    while [ -n "$hack" ] && kill -0 "$hack" 2>/dev/null && [ "$waited" -lt 100 ]; do
        sleep 0.1
        waited=$((waited + 1))
    done
    eh_check "$what: the daemon ends it when it deactivates" \
        bash -c "[ -n '$hack' ] && ! kill -0 '$hack' 2>/dev/null"
    # Asked to exit first, so that it ends its own helpers (xscreensaver-gfx) too.
    xscreensaver-command -exit >/dev/null 2>&1
    eh_wait_exit "$DAEMON_PID" 10
    eh_kill "$DAEMON_PID"
    DAEMON_PID=
}

eh_start_xvfb 800x600 || exit 1

# 1. A file written by xscreensaver-settings.
home=$WORK/home1
mkdir -p "$home"
cp "$FIXTURE" "$home/.xscreensaver"
chown -R 65534:65534 "$home"
out=$(as_user "$home" "$WORK/emberhall-command" --add-to-xscreensaver 2>&1)
rc=$?
echo "     $out" | head -1
eh_check "settings file: the command ends with exit code 0 (got $rc)" [ "$rc" = 0 ]
eh_check "settings file: it names the file" grep -q "$home/.xscreensaver" <<<"$out"
added=$(diff "$FIXTURE" "$home/.xscreensaver" | grep -c '^[<>]')
eh_check "settings file: exactly one line is added ($added lines differ)" \
    bash -c "[ $added = 1 ] && diff '$FIXTURE' '$home/.xscreensaver' | grep -q '^> .*emberhall'"
cp "$home/.xscreensaver" "$WORK/after-first"
out=$(as_user "$home" "$WORK/emberhall-command" --add-to-xscreensaver 2>&1)
eh_check "settings file: a second run changes nothing" cmp -s "$WORK/after-first" "$home/.xscreensaver"
eh_check "settings file: and says so" grep -q "nothing changed" <<<"$out"
eh_check "settings file: the file still belongs to its user" \
    [ "$(stat -c %u:%a "$home/.xscreensaver")" = "65534:644" ]
run_under_daemon "$home" "$(entries "$home/.xscreensaver")" "settings file"

# 2. No file yet.
home=$WORK/home2
mkdir -p "$home"
chown 65534:65534 "$home"
out=$(as_user "$home" "$WORK/emberhall-command" --add-to-xscreensaver 2>&1)
rc=$?
echo "     $out" | head -1
eh_check "no file yet: exit code 0 (got $rc)" [ "$rc" = 0 ]
count=$(entries "$home/.xscreensaver")
system=$(sed -n '/^\*programs:/,/^[[:space:]]*$/p' /etc/X11/app-defaults/XScreenSaver | grep -c '\\n')
eh_check "no file yet: it lists the system's $system screen savers and Emberhall ($count)" \
    [ "$count" = "$((system + 1))" ]
run_under_daemon "$home" "$count" "no file yet"

echo "$((EH_FAILURES == 0 ? 1 : 0)) passed, $((EH_FAILURES == 0 ? 0 : 1)) failed"
[ "$EH_FAILURES" = 0 ]
