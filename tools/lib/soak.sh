# shellcheck shell=bash
# Sourced by tools/soak and the short soak test: runs the built saver full
# screen under Wine and samples, every few seconds, what it holds.
#
#   soak_run SAVER SAMPLER SECONDS INTERVAL_MS DIR
#       runs SAVER /s on $DISPLAY for SECONDS, sampled by SAMPLER (soak_sampler.exe),
#       then ends it with a key. Writes DIR/figures (one line per figure: name,
#       "measured" or "unavailable", what it is), DIR/samples.tsv (a header,
#       then per sample the seconds since the start and each measured figure)
#       and the logs. Fails, saying why, when the saver did not run the whole
#       time or did not end with exit code 0.
#   soak_report DIR WARMUP       first, last and growth of each figure, and the
#                                change after WARMUP seconds (see soak_check)
#   soak_check DIR WARMUP        fails when a figure grew after WARMUP seconds
#
# The Windows-side figures come from the sampler, which tries each source on
# itself first and leaves out those that Wine only stubs. The Linux-side ones
# come from /proc of the saver's own process: under Wine the Windows process is
# a Linux process, and `wine SAVER` becomes it (same PID).
#
# Growth after warm-up: the samples after WARMUP are cut in thirds, and the
# mean of the last third is compared with the mean of the first. A leak is a
# steady rise, which moves the mean of a third with it; the noise of single
# samples mostly averages out. What is left is allowed for, per figure:
#   counts (objects, windows, threads, descriptors): 1. A steady saver holds
#     the same objects, plus at most one that lives only during a paint and is
#     caught now and then; the means of two thirds then differ by less than 1.
#   memory: 256 KiB. After warm-up none of the memory figures moved at all here,
#     over one minute or ten; but the C heap grows in steps of 128 KiB and more,
#     and a late one-off step or two must not count as a leak. In a one-minute
#     soak the middles of the thirds lie about 33 s apart: a leak of 256 bytes a
#     frame (30 frames a second) rises by about 250 KiB in that time; in ten
#     minutes (about 390 s apart) one of 22 bytes a frame does.

soak_linux_figures=(vm_data_kb threads fds)
declare -A soak_what=(
    [vm_data_kb]="private writable address space in KiB (Linux VmData: heap and anonymous mappings, resident or not)"
    [threads]="threads of the process (Linux Threads; the GL driver's worker threads among them)"
    [fds]="open Unix file descriptors of the process (X connection, files Wine keeps open; Wine's own kernel handles live in wineserver and are not among them)"
)

# "KEY VALUE" for the /proc/PID/status fields that the soak reads.
soak_proc_status() {
    awk '/^(VmData|Threads|RssAnon):/ { print $1, $2 }' "/proc/$1/status" 2>/dev/null | tr -d ':'
}

soak_run() {
    local saver=$1 sampler=$2 seconds=$3 interval_ms=$4 dir=$5
    mkdir -p "$dir"
    : >"$dir/figures"
    rm -f "$dir/samples.tsv"

    wine "$saver" /s >"$dir/saver.log" 2>&1 &
    local pid=$! name
    coproc SOAK_SAMPLER { exec wine "$sampler" "$interval_ms" 0 2>"$dir/sampler.log"; }
    local from_sampler=${SOAK_SAMPLER[0]} sampler_pid=$SOAK_SAMPLER_PID
    local started=$SECONDS line measured=() first=1 ok=1 identity_checked=0 identity_misses=0

    while IFS= read -r -t 60 line <&"$from_sampler"; do
        line=${line%$'\r'}
        case $line in
            figure\ *)
                read -r _ name state what <<<"$line"
                printf '%s %s %s\n' "$name" "$state" "$what" >>"$dir/figures"
                [ "$state" = measured ] && measured+=("$name")
                ;;
            sample\ *)
                if ! kill -0 "$pid" 2>/dev/null; then break; fi
                if [ "$first" = 1 ]; then
                    for name in "${soak_linux_figures[@]}"; do
                        printf '%s measured %s\n' "$name" "${soak_what[$name]}" >>"$dir/figures"
                    done
                    printf 'seconds %s %s\n' "${measured[*]}" "${soak_linux_figures[*]}" | tr ' ' '\t' >"$dir/samples.tsv"
                    first=0
                fi
                local -A value=()
                local field key number
                for field in ${line#sample * }; do value[${field%%=*}]=${field#*=}; done
                while read -r key number; do value[$key]=$number; done < <(soak_proc_status "$pid")
                value[vm_data_kb]=${value[VmData]:--}
                value[threads]=${value[Threads]:--}
                value[fds]=$(find "/proc/$pid/fd" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l)
                # The sampler found the saver by its window; Wine reads the
                # private memory it reports from this same /proc file. The two
                # reads lie a moment apart, and while the saver starts its memory
                # moves fast: one close match proves it, three misses in a row
                # (seconds apart) mean another process.
                if [ "$identity_checked" = 0 ] && [ -n "${value[pagefile_kb]:-}" ] && [ -n "${value[RssAnon]:-}" ]; then
                    if (( value[pagefile_kb] * 10 < value[RssAnon] * 9 || value[pagefile_kb] * 10 > value[RssAnon] * 11 )); then
                        identity_misses=$((identity_misses + 1))
                        if (( identity_misses >= 3 )); then
                            echo "soak: the sampler watches another process (${value[pagefile_kb]} KiB there, ${value[RssAnon]} KiB here, $identity_misses samples in a row)" >&2
                            ok=0
                            break
                        fi
                    else
                        identity_checked=1
                    fi
                fi
                local row=$((SECONDS - started))
                for name in "${measured[@]}" "${soak_linux_figures[@]}"; do row+=$'\t'${value[$name]:--}; done
                printf '%s\n' "$row" >>"$dir/samples.tsv"
                unset value
                if (( SECONDS - started >= seconds )); then break; fi
                ;;
            end\ *)
                echo "$line" >>"$dir/sampler.log"
                break
                ;;
            *) echo "$line" >>"$dir/sampler.log" ;;
        esac
    done

    local status=0
    if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid"
        status=$?
        echo "soak: the saver ended by itself after $((SECONDS - started)) s (exit code $status)" >&2
        ok=0
    else
        xdotool key space
        local _
        for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        if kill -0 "$pid" 2>/dev/null; then
            echo "soak: the saver did not end on a key" >&2
            kill "$pid" 2>/dev/null
            ok=0
        fi
        wait "$pid"
        status=$?
        if [ "$status" -ne 0 ]; then
            echo "soak: the saver ended with exit code $status" >&2
            ok=0
        fi
    fi
    kill "$sampler_pid" 2>/dev/null
    wait "$sampler_pid" 2>/dev/null
    if [ ! -s "$dir/samples.tsv" ]; then
        echo "soak: no samples (see $dir/sampler.log)" >&2
        ok=0
    fi
    [ "$ok" = 1 ]
}

# One line per figure: name, value at start, value after warm-up, last value,
# growth since warm-up, samples after warm-up, mean of their first third, of
# their last third, change, what is allowed, verdict (steady, GROWS, too-few).
soak_analyse() {
    local dir=$1 warmup=$2
    awk -F'\t' -v warmup="$warmup" '
        NR == 1 { for (c = 2; c <= NF; c++) name[c] = $c; columns = NF; next }
        {
            for (c = 2; c <= columns; c++) {
                if ($c == "-" || $c == "") continue
                if (!(c in start)) start[c] = $c
                last[c] = $c
                if ($1 >= warmup) { n[c]++; v[c, n[c]] = $c }
            }
        }
        END {
            for (c = 2; c <= columns; c++) {
                tolerance = name[c] ~ /_kb$/ ? 256 : 1
                warm = n[c] > 0 ? v[c, 1] : "-"
                growth = n[c] > 0 ? last[c] - warm : 0
                third = int(n[c] / 3)
                if (third < 1) {
                    printf "%s %s %s %s %d %d - - - %s too-few\n", name[c], start[c], warm, last[c], growth, n[c], tolerance
                    continue
                }
                a = 0; b = 0
                for (i = 1; i <= third; i++) { a += v[c, i]; b += v[c, n[c] - third + i] }
                a /= third; b /= third
                printf "%s %s %s %s %d %d %.1f %.1f %+.1f %s %s\n", name[c], start[c], warm, last[c], growth, \
                    n[c], a, b, b - a, tolerance, (b - a > tolerance ? "GROWS" : "steady")
            }
        }' "$dir/samples.tsv"
}

soak_report() {
    local dir=$1 warmup=$2 name state what
    local samples
    samples=$(($(wc -l <"$dir/samples.tsv") - 1))
    if (( samples < 1 )); then
        echo "no samples to report"
        return 0
    fi
    printf '%s samples. "growth": last value against the first after %s s of warm-up; "change": mean of\n' \
        "$samples" "$warmup"
    printf 'the last third of the samples after warm-up against that of the first third.\n\n'
    printf '%-14s %10s %10s %10s %9s   %11s %11s %9s  %s\n' figure "at start" "warmed up" last growth \
        "1st third" "last third" change verdict
    local start warm last growth mean1 mean3 change tolerance verdict
    while read -r name start warm last growth _ mean1 mean3 change tolerance verdict; do
        printf '%-14s %10s %10s %10s %+9d   %11s %11s %9s  %s (allowed %s)\n' \
            "$name" "$start" "$warm" "$last" "$growth" "$mean1" "$mean3" "$change" "$verdict" "$tolerance"
    done < <(soak_analyse "$dir" "$warmup")
    echo
    echo "What each figure is:"
    while read -r name state what; do
        [ "$state" = measured ] && printf '  %-14s %s\n' "$name" "$what"
    done <"$dir/figures"
    echo "Not available here (each was tried on the sampler itself first):"
    while read -r name state what; do
        [ "$state" = unavailable ] && printf '  %-14s %s\n' "$name" "$what"
    done <"$dir/figures"
    return 0
}

soak_check() {
    local dir=$1 warmup=$2 bad
    bad=$(soak_analyse "$dir" "$warmup" | awk '$NF != "steady" { print $1 " (" $NF ")" }' | paste -sd, -)
    if [ -n "$bad" ]; then
        echo "soak: growth or too few samples after warm-up: $bad" >&2
        return 1
    fi
}
