# The measure of the Linux CPU benchmarks, sourced by them: the share of a core that process $1
# takes over $2 seconds (its user and system time from /proc/<pid>/stat, divided by the time),
# counted after two seconds of start-up and warm-up, and that of its display server $3, named
# $4, beside it; one line about $5. False, saying so, when the program ends meanwhile.
eh_cpu_share() {
    local pid=$1 seconds=$2 server=$3 server_name=$4 what=$5 before after server_before server_after
    eh_cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null; }
    sleep 2
    before=$(eh_cpu_ticks "$pid") && server_before=$(eh_cpu_ticks "$server") ||
        { echo "$what ended by itself in its first 2 s" >&2; return 1; }
    sleep "$seconds"
    after=$(eh_cpu_ticks "$pid") && server_after=$(eh_cpu_ticks "$server") ||
        { echo "$what ended by itself while it was measured" >&2; return 1; }
    awk -v a="$before" -v b="$after" -v sa="$server_before" -v sb="$server_after" \
        -v t="$(getconf CLK_TCK)" -v s="$seconds" -v what="$what" -v name="$server_name" 'BEGIN {
        printf "%s: %.1f %% of a core (%s: %.1f %%) over %d s\n",
               what, 100 * (b - a) / t / s, name, 100 * (sb - sa) / t / s, s }'
}
