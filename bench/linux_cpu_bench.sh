#!/usr/bin/env bash
# How much of a core the Linux saver takes: the program runs on a private Xvfb of the given
# size (default 1920x1080) for N seconds (default 20), and its own CPU time (user and system,
# from /proc/<pid>/stat) is divided by the time it ran. The X server's share is printed apart.
#   bench/linux_cpu_bench.sh build/native/emberhall [WIDTHxHEIGHT] [SECONDS] [OPTIONS...]
set -u
program=$1
size=${2:-1920x1080}
seconds=${3:-20}
shift $(($# < 3 ? $# : 3))
source "$(dirname "$0")/../tests/wine/lib.sh"
eh_start_xvfb "$size"
trap 'kill "${pid:-}" 2>/dev/null; eh_stop_xvfb' EXIT
source "$(dirname "$0")/cpu_share.sh"
"$program" --root --no-sound --no-music --data-dir "$EH_SOURCE_DIR/data" "$@" >/dev/null 2>&1 &
pid=$!
eh_cpu_share "$pid" "$seconds" "$EH_XVFB_PID" "X server" "emberhall on $size"
