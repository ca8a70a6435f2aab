#!/usr/bin/env bash
# The saver full screen where no OpenGL context can be made. It must still run,
# keep the screen black, end on a key with exit code 0, and not crash.
#   no_opengl_test.sh SAVER.scr gl_probe.exe square_probe.exe
# Runs inside tools/with-wine (DISPLAY and WINEPREFIX set).
#
# The fault: a libGL.so.1 that the dynamic loader finds first and cannot load.
# Wine then says "Failed to load libGL" and disables OpenGL before any GLX call,
# as on a machine without the library. Letting libGL load and fail later
# instead (LIBGL_DRIVERS_PATH=/nonexistent, LIBGL_ALWAYS_INDIRECT=1) is no good:
# Wine 8 then unloads a libGL that has already hooked the X connection, and the
# next GDI call of any program crashes, saver or not. The variable has to be
# set here, on the Unix side: a Windows-side SetEnvironmentVariable does not
# reach the Unix environment of a child Wine process.
set -uo pipefail
saver_exe=$1
probe_exe=$2
square_exe=$3
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=crash_markers.sh
. "$here/crash_markers.sh"
# shellcheck source=../../tools/lib/capture-show.sh
. "$here/../../tools/lib/capture-show.sh"

# shellcheck source=../support/script_checks.sh
. "$here/../support/script_checks.sh"
require_wine_session

work=$(mktemp -d)
saver=""
backdrop=""
# shellcheck disable=SC2317  # run by the EXIT trap
cleanup() {
    for pid in $saver $backdrop; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT

finish() {
    check_summary
    exit
}

mkdir "$work/nogl"
printf 'not a library\n' >"$work/nogl/libGL.so.1"
without_gl=(env "LD_LIBRARY_PATH=$work/nogl${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}")

# The fault is real: the same probe gets a context normally and none with it.
normal=$(wine "$probe_exe" 2>/dev/null | tr -d '\r')
check "a context is made normally ($normal)" grep -q 'context made' <<<"$normal"
injected=$("${without_gl[@]}" wine "$probe_exe" 2>/dev/null | tr -d '\r')
check "no context without a loadable libGL ($injected)" grep -q 'context none' <<<"$injected"

# White under the saver: a black screen is then something it drew.
wine "$probe_exe" --backdrop 120 >"$work/backdrop.log" 2>&1 &
backdrop=$!
# Up and painted: the whole screen white, waited for within a deadline.
white=0
for _ in $(seq 100); do
    if grep -q 'backdrop up' "$work/backdrop.log" 2>/dev/null && capture_root "$work/before.png" &&
        [ "$(image_min "$work/before.png")" = 255 ]; then
        white=1
        break
    fi
    sleep 0.1
done
check "the screen is white before the saver starts" test "$white" = 1

# Every call into OpenGL traced, so the saver's own log shows what it got.
"${without_gl[@]}" WINEDEBUG=-all,+seh,err+wgl,+opengl wine "$saver_exe" /s >"$work/saver.log" 2>&1 &
saver=$!
square=""
for _ in $(seq 50); do
    square=$(wine "$square_exe" 2>/dev/null | tr -d '\r')
    [ -n "$square" ] && break
    sleep 0.2
done
check "the square is up ($square)" test -n "$square"
# Three shots, each once the square has moved on since the last: the show goes
# on, and the screen stays black all the while.
last=$square
for n in 1 2 3; do
    for _ in $(seq 50); do
        now=$(wine "$square_exe" 2>/dev/null | tr -d '\r')
        [ -n "$now" ] && [ "$now" != "$last" ] && break
        sleep 0.1
    done
    check "the square moved on ($last -> $now)" test -n "$now" -a "$now" != "$last"
    last=$now
    check "still running, screen black (shot $n)" \
        test "$(kill -0 "$saver" 2>/dev/null && capture_root "$work/shot$n.png" && image_max "$work/shot$n.png")" = 0
done

xdotool key space
for _ in $(seq 100); do kill -0 "$saver" 2>/dev/null || break; sleep 0.1; done
wait "$saver"
status=$?
saver=""
check "a key ends it with exit code 0 (got $status)" test "$status" -eq 0

check "OpenGL was disabled in the saver's own process" grep -q 'OpenGL support is disabled' "$work/saver.log"
check "the saver made its context current with none made" \
    grep -qE 'wglMakeCurrent hDc [0-9a-f]+, newContext 0+$' <(tr -d '\r' <"$work/saver.log")
made_current=$(grep -E 'wglMakeCurrent hDc [0-9a-f]+, newContext 0*[1-9a-f]' "$work/saver.log")
check "no context was ever made current${made_current:+: $made_current}" test -z "$made_current"
crashes=$(crash_lines "$work/saver.log")
check "no crash and no exception in the saver${crashes:+: $crashes}" test -z "$crashes"
finish
