#!/usr/bin/env bash
# How much of a core the Linux saver takes under GNOME on Wayland: `emberhall --overlay` covers
# the one virtual monitor of a headless GNOME Shell of the given size (default 1920x1080) for N
# seconds (default 20), and its own CPU time (user and system, from /proc/<pid>/stat) is divided
# by the time it ran. GNOME Shell's share is printed apart: headless, without a GPU, it composites
# in software, on threads of its own (so over 100 % where there are cores for them), what a
# desktop's GPU would. Both run as the unprivileged user 65534.
#   bench/gnome_cpu_bench.sh build/native/emberhall [WIDTHxHEIGHT] [SECONDS] [OPTIONS...]
set -u
program=$1
size=${2:-1920x1080}
seconds=${3:-20}
shift $(($# < 3 ? $# : 3))
source "$(dirname "$0")/../tests/linux/linux_lib.sh"
source "$(dirname "$0")/../tests/linux/gnome_lib.sh"
eh_linux_stage "$program"
trap 'eh_kill "${pid:-}"; eh_gnome_stop; eh_linux_unstage' EXIT
eh_gnome_start "$size" || exit 1
ticks=$(getconf CLK_TCK)
cpu() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
(eh_gnome_as_user "$EH_PROGRAM" --overlay --no-sound --no-music --data-dir "$EH_DATA" "$@") \
    >"$EH_LINUX_DIR/output" 2>&1 &
pid=$!
# A saver that ends by itself (it cannot cover this desktop, or it failed) has nothing to measure.
ended_early() {
    eh_wait_exit "$pid" 0
    echo "emberhall --overlay ended by itself $1, exit code $EH_RC; its output:" >&2
    sed 's/^/    /' "$EH_LINUX_DIR/output" >&2
    exit 1
}
sleep 2 # start-up and warm-up are not counted
kill -0 "$pid" 2>/dev/null || ended_early "in its first 2 s"
before=$(cpu "$pid")
shell_before=$(cpu "$EH_GNOME_SHELL_PID")
sleep "$seconds"
after=$(cpu "$pid" 2>/dev/null) || ended_early "while it was measured"
shell_after=$(cpu "$EH_GNOME_SHELL_PID")
awk -v a="$before" -v b="$after" -v sa="$shell_before" -v sb="$shell_after" -v t="$ticks" \
    -v s="$seconds" -v size="$size" 'BEGIN {
        printf "emberhall --overlay on %s: %.1f %% of a core (gnome-shell: %.1f %%) over %d s\n",
               size, 100 * (b - a) / t / s, 100 * (sb - sa) / t / s, s }'
