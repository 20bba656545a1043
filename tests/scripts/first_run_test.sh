#!/usr/bin/env bash
# The README's first command as a new user meets it: scripts/run and scripts/run --linux on a
# clean copy of the tree, with no display, and with the tools that only scripts/test installs
# hidden behind stand-ins that fail loudly and leave a mark. A run that needs one of them would
# work on a developer's machine and fail on a fresh one. Fails when a run fails, calls one of
# them, or leaves no screenshot of the fire.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/tests/wine/lib.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The tree as it stands (committed, changed and new files), without anything built.
mkdir "$work/clone" "$work/hidden"
(cd "$top" && git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' file; do [ -e "$file" ] && printf '%s\0' "$file"; done |
    tar --null -T - -cf -) | tar -C "$work/clone" -xf -

for tool in sox lame pactl parec clang-14 clang++-14 xscreensaver xscreensaver-command \
    mate-screensaver sway swaymsg grim lintian strace chromium gnome-shell; do
    cat >"$work/hidden/$tool" <<EOF
#!/bin/sh
echo "$tool was called, but only the tests install it: \$0 \$*" >&2
echo "$tool \$*" >>"$work/called"
exit 127
EOF
    chmod +x "$work/hidden/$tool"
done

run() {
    local what=$1 shot=$2
    shift 2
    if ! (cd "$work/clone" && env -u DISPLAY -u WAYLAND_DISPLAY PATH="$work/hidden:$PATH" \
        scripts/run "$@") >"$work/$what.log" 2>&1; then
        tail -n 30 "$work/$what.log"
        eh_check "scripts/run${*:+ $*}: succeeds without the tests' tools" false
        return
    fi
    eh_check "scripts/run${*:+ $*}: succeeds without the tests' tools" true
    eh_check "scripts/run${*:+ $*}: leaves a screenshot of the fire" \
        eh_gt "$(eh_mean "$work/clone/build/$shot" 1024x40+0+720 r 2>/dev/null || echo 0)" 0.4
}

run windows emberhall-screenshot.png
run linux emberhall-linux-screenshot.png --linux
eh_check "no tool of the tests' was called" test ! -e "$work/called"
[ -e "$work/called" ] && cat "$work/called"
exit $((EH_FAILURES > 0))
