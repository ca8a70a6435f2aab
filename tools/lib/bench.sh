# shellcheck shell=bash
# Sourced by tools/bench: building, the native helpers, the Linux processes of
# one Wine prefix, and small statistics.
#
#   bench_build ROOT DIR               the saver and square_probe, in DIR (the preset of VORBIX_ARCH)
#   bench_helpers ROOT DIR             compiles the native helpers into DIR/bench
#   bench_prefix_pids                  PIDs of every process of $WINEPREFIX
#   bench_saver_pid                    the one whose command line names vorbix.scr
#   bench_ticks PID...                 "PID utime+stime" (clock ticks) per line
#   bench_status_kb FIELD PID          a /proc/PID/status field (VmHWM, VmRSS), kB
#   bench_stats                        numbers on stdin -> "n mean median min max"
#   bench_read_until FD WORD SECS LOG  the helper's next line starting with WORD
#   bench_drain FD LOG                 the helper's remaining lines

bench_build() {
    local root=$1 dir=$2 preset=windows
    [ "${VORBIX_ARCH:-x86}" = x64 ] && preset=windows-x64
    vorbix_build_preset "$root" "$preset" "$dir" --target vorbix square_probe
}

bench_helpers() {
    local src="$1/tools/bench_helpers" out="$2/bench"
    mkdir -p "$out" || return 1
    bench_compile "$src" "$out" frame_watch -lXdamage -lX11 &&
        bench_compile "$src" "$out" key_to_exit -lXi -lX11
}

# bench_compile SRC OUT NAME LIBS...: one native helper, saying what failed.
bench_compile() {
    local src=$1 out=$2 name=$3
    shift 3
    if ! cc -O2 -Wall -Wextra -o "$out/$name" "$src/$name.c" "$@" 2>"$out/$name.build.log"; then
        echo "Compiling the bench helper $name failed; last lines of $out/$name.build.log:" >&2
        tail -n 15 "$out/$name.build.log" | sed 's/^/    /' >&2
        echo "  What to do: run tools/install-deps (gcc, libx11-dev, libxdamage-dev, libxi-dev)." >&2
        return 1
    fi
}

# Every Wine process (wineserver included) carries its prefix in its
# environment; others' Wine sessions on this machine use other prefixes. So do
# this script, Xvfb and the helpers, which inherit it: only processes running
# Wine's own loader or server count.
bench_prefix_pids() {
    local environ pid
    grep -lzxF "WINEPREFIX=$WINEPREFIX" /proc/[0-9]*/environ 2>/dev/null | while read -r environ; do
        pid=${environ#/proc/}
        pid=${pid%/environ}
        case $(readlink "/proc/$pid/exe" 2>/dev/null) in
            */wine/wine* | */bin/wine*) echo "$pid" ;;
        esac
    done | sort -n
}

bench_saver_pid() {
    local pid
    for pid in $(bench_prefix_pids); do
        if tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q 'vorbix\.scr'; then
            echo "$pid"
            return 0
        fi
    done
    return 1
}

bench_ticks() {
    local pid line
    for pid in "$@"; do
        line=$(cat "/proc/$pid/stat" 2>/dev/null) || continue
        # The command name is in parentheses and may hold spaces: count fields
        # after the last ")"; utime and stime are fields 14 and 15.
        line=${line##*) }
        awk -v pid="$pid" '{ print pid, $12 + $13 }' <<<"$line"
    done
}

bench_status_kb() {
    awk -v field="$1:" '$1 == field { print $2 }' "/proc/$2/status" 2>/dev/null
}

bench_stats() {
    sort -g | awk '
        { v[n++] = $1; sum += $1 }
        END {
            if (n == 0) { print 0, "-", "-", "-", "-"; exit }
            median = n % 2 ? v[(n - 1) / 2] : (v[n / 2 - 1] + v[n / 2]) / 2
            print n, sum / n, median, v[0], v[n - 1]
        }'
}

# Reads the helper's lines from FD into LOG until one starts with WORD, and
# prints that one. Blocking reads: no polling loop competing with the saver for
# the CPU while it starts.
bench_read_until() {
    local fd=$1 word=$2 seconds=$3 log=$4 line left wait
    # Digits only: the decimal mark of $EPOCHREALTIME follows the locale.
    local deadline=$(( ${EPOCHREALTIME//[!0-9]/} + seconds * 1000000 ))
    for (( ; ; )); do
        left=$(( deadline - ${EPOCHREALTIME//[!0-9]/} ))
        (( left > 0 )) || return 1
        printf -v wait '%d.%06d' $((left / 1000000)) $((left % 1000000))
        IFS= read -r -t "$wait" -u "$fd" line || return 1
        printf '%s\n' "$line" >>"$log"
        if [ "${line%% *}" = "$word" ]; then
            printf '%s\n' "$line"
            return 0
        fi
    done
}

# The rest of the helper's lines, until it ends.
bench_drain() {
    local fd=$1 log=$2 line
    while IFS= read -r -t 10 -u "$fd" line; do printf '%s\n' "$line" >>"$log"; done
}
