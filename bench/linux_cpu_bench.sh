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
ticks=$(getconf CLK_TCK)
cpu() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
"$program" --root --no-sound --no-music --data-dir "$EH_SOURCE_DIR/data" "$@" >/dev/null 2>&1 &
pid=$!
sleep 2 # start-up and warm-up are not counted
before=$(cpu "$pid")
server_before=$(cpu "$EH_XVFB_PID")
sleep "$seconds"
after=$(cpu "$pid")
server_after=$(cpu "$EH_XVFB_PID")
awk -v a="$before" -v b="$after" -v sa="$server_before" -v sb="$server_after" -v t="$ticks" \
    -v s="$seconds" -v size="$size" 'BEGIN {
        printf "emberhall on %s: %.1f %% of a core (X server: %.1f %%) over %d s\n",
               size, 100 * (b - a) / t / s, 100 * (sb - sa) / t / s, s }'
