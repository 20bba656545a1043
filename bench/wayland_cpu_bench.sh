#!/usr/bin/env bash
# How much of a core the Linux saver takes on Wayland: `emberhall --overlay` covers the one
# output of a headless sway of the given size (default 1920x1080) for N seconds (default 20),
# and its own CPU time (user and system, from /proc/<pid>/stat) is divided by the time it ran.
# sway's share is printed apart: with its software renderer it does the scaling here, where a
# desktop's GPU would. sway and the saver run as the unprivileged user 65534 (sway refuses root).
#   bench/wayland_cpu_bench.sh build/native/emberhall [WIDTHxHEIGHT] [SECONDS] [OPTIONS...]
set -u
program=$1
size=${2:-1920x1080}
seconds=${3:-20}
shift $(($# < 3 ? $# : 3))
source "$(dirname "$0")/../tests/linux/linux_lib.sh"
eh_linux_stage "$program"
runtime=$EH_LINUX_DIR/runtime
mkdir -p "$runtime"
chmod 700 "$runtime"
chown 65534:65534 "$runtime"
echo "output HEADLESS-1 mode $size" >"$EH_LINUX_DIR/sway.conf"
as_user() {
    exec setpriv --reuid=65534 --regid=65534 --clear-groups env -i HOME="$EH_LINUX_DIR" \
        XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=wayland-1 PATH=/usr/bin:/bin "$@"
}
as_user WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$EH_LINUX_DIR/sway.conf" \
    >/dev/null 2>&1 &
sway=$!
trap 'kill "${pid:-}" "$sway" 2>/dev/null; wait; eh_linux_unstage' EXIT
eh_until 20 test -S "$runtime/wayland-1" || { echo "sway did not start" >&2; exit 1; }
source "$(dirname "$0")/cpu_share.sh"
as_user "$EH_PROGRAM" --overlay --no-sound --no-music --data-dir "$EH_DATA" "$@" >/dev/null 2>&1 &
pid=$!
eh_cpu_share "$pid" "$seconds" "$sway" sway "emberhall --overlay on $size"
