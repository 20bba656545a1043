#!/usr/bin/env bash
# The Linux saver under MATE's screen saver (Debian's mate-screensaver), chosen with gsettings as
# a user would: activating starts it on the saver's window with fire and the default messages;
# deactivating ends it with exit code 0.
#   mate_test.sh PATH/TO/emberhall   a build: copied for the run into MATE's hack folder
#   mate_test.sh --installed         the installed package's hack and its .desktop entry
# MATE runs only programs that lie in a known hack folder, strips the environment down to
# DISPLAY, HOME, PATH, DBUS_SESSION_BUS_ADDRESS and XSCREENSAVER_WINDOW, and closes the hack's
# stderr before it sends SIGTERM. The installed hack's exit code is read by strace attached to
# it; a build runs behind a small wrapper in the hack folder that passes SIGTERM on and writes
# down its exit code and its stderr, since a sanitizer build's leak check cannot run under
# ptrace.
set -u
source "$(dirname "$0")/linux_lib.sh"
hacks=/usr/libexec/xscreensaver
if [ "$1" = "--installed" ]; then
    eh_linux_stage /bin/true
    name=emberhall
    data_dirs=/usr/share
else
    eh_linux_stage "$1"
    name=emberhall-test # a process name of 15 characters at most, as pgrep sees it
    exit_file=$EH_LINUX_DIR/exit-code
    errors=$EH_LINUX_DIR/errors
    touch "$errors"
    chmod 666 "$errors"
    chmod 777 "$EH_LINUX_DIR"
    cat >"$hacks/$name" <<WRAPPER
#!/bin/bash
trap 'kill -TERM \$child 2>/dev/null' TERM
# A sanitizer build: LeakSanitizer's tracer crashes in a process MATE has started ("Tracer
# caught signal 11"), where under the XScreenSaver daemon it does not; the other checks stay.
export ASAN_OPTIONS=detect_leaks=0
"$EH_PROGRAM" "\$@" 2>>"$errors" &
child=\$!
wait \$child
code=\$?
# Interrupted by the signal, the first wait gives way; the second one has the exit code.
wait \$child 2>/dev/null
second=\$?
[ \$second != 127 ] && code=\$second
echo \$code >"$exit_file"
WRAPPER
    chmod 755 "$hacks/$name"
    data_dirs=$EH_LINUX_DIR/xdg:/usr/share
    mkdir -p "$EH_LINUX_DIR/xdg/applications/screensavers"
    cat >"$EH_LINUX_DIR/xdg/applications/screensavers/$name.desktop" <<DESKTOP
[Desktop Entry]
Name=Emberhall (test)
Exec=$name --data-dir $EH_DATA
TryExec=$hacks/$name
Type=Application
Categories=Screensaver;
OnlyShowIn=MATE;
DESKTOP
    chmod -R a+rX "$EH_LINUX_DIR/xdg"
fi
cleanup() {
    eh_kill "${tracer:-}"
    [ "$name" != emberhall ] && rm -f "$hacks/$name"
    eh_stop_xvfb
    eh_linux_unstage
}
trap cleanup EXIT
eh_start_xvfb 1024x768
eh_nobody_home
session=$EH_NOBODY_HOME/session.sh
results=$EH_NOBODY_HOME/results

# The session as user 65534: its own D-Bus, the settings through dconf, MATE's saver.
cat >"$session" <<SESSION
gsettings set org.mate.screensaver mode single
gsettings set org.mate.screensaver themes "['screensavers-$name']"
gsettings set org.mate.screensaver lock-enabled false
gsettings set org.mate.screensaver idle-activation-enabled false
mate-screensaver --no-daemon --debug >"$EH_NOBODY_HOME/mate.log" 2>&1 &
saver=\$!
for i in \$(seq 1 100); do mate-screensaver-command --query >/dev/null 2>&1 && break; sleep 0.1; done
mate-screensaver-command --activate
# The test does its looking meanwhile; it says when to deactivate.
for i in \$(seq 1 600); do [ -e "$EH_NOBODY_HOME/deactivate" ] && break; sleep 0.1; done
mate-screensaver-command --deactivate
for i in \$(seq 1 100); do pgrep -x -u 65534 "$name" >/dev/null || break; sleep 0.1; done
kill \$saver
SESSION
chown 65534:65534 "$session"
setpriv --reuid=65534 --regid=65534 --clear-groups \
    env -i DISPLAY="$DISPLAY" HOME="$EH_NOBODY_HOME" PATH=/usr/bin:/bin XDG_DATA_DIRS="$data_dirs" \
    dbus-run-session -- bash "$session" >"$EH_NOBODY_HOME/session.log" 2>&1 &
runner=$!

hack_pid() { pgrep -x -u 65534 "$name" | head -n 1; }
hack_runs() { [ -n "$(hack_pid)" ]; }
eh_check "activating starts Emberhall under MATE" eh_until 30 hack_runs
pid=$(hack_pid)
if [ -n "$pid" ]; then
    if [ "$name" = emberhall ]; then
        strace -q -e trace=none -e signal=none -p "$pid" -o "$EH_LINUX_DIR/strace.log" &
        tracer=$!
    fi
    eh_check "MATE gave it its window" grep -qz "^XSCREENSAVER_WINDOW=0x" "/proc/$pid/environ"
    eh_check "its environment is MATE's stripped one (no XDG_RUNTIME_DIR)" \
        bash -c "! grep -qz '^XDG_RUNTIME_DIR=' /proc/$pid/environ"
fi
eh_check "fire in the standard colours with the default messages" eh_wait_message_over_fire 40
cp "$EH_LINUX_DIR/shot.png" "${EH_LINUX_SHOTS:-/tmp}/emberhall-mate.png"

touch "$EH_NOBODY_HOME/deactivate"
eh_wait_exit "$runner" 30
hack_gone() { [ -z "$(hack_pid)" ]; }
eh_check "deactivating ends it, no process left" eh_until 10 hack_gone
if [ -n "${tracer:-}" ]; then
    eh_wait_exit "$tracer" 10
    eh_check "it ended with exit code 0 ($(tr '\n' ' ' <"$EH_LINUX_DIR/strace.log"))" \
        grep -q "+++ exited with 0 +++" "$EH_LINUX_DIR/strace.log"
fi
if [ -n "${exit_file:-}" ]; then
    eh_check "it ended with exit code 0 ($(cat "$exit_file" 2>/dev/null)$(head -c 300 "$errors"))" \
        test "$(cat "$exit_file" 2>/dev/null)" = 0
    eh_check "nothing the sanitizers report" eh_no_sanitizer_report "$errors"
fi

exit "$EH_FAILURES"
