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
source "$(dirname "$0")/cpu_share.sh"
(eh_gnome_as_user "$EH_PROGRAM" --overlay --no-sound --no-music --data-dir "$EH_DATA" "$@") \
    >"$EH_LINUX_DIR/output" 2>&1 &
pid=$!
# A saver that ends by itself (it cannot cover this desktop, or it failed) has nothing to measure.
eh_cpu_share "$pid" "$seconds" "$EH_GNOME_SHELL_PID" gnome-shell "emberhall --overlay on $size" ||
    { sed 's/^/    /' "$EH_LINUX_DIR/output" >&2; exit 1; }
