# shellcheck shell=bash
# Sourced by the tools: a private Wine prefix, a virtual X display and a
# persistent wineserver, so that many Wine processes start quickly.
#
#   wine_use_arch x86|x64         32-bit Wine (Debian's wine command) or the
#                                 64-bit loader (tools/lib/wine64 first on PATH)
#   wine_prefix_ready DIR [xinerama]   create (once) a prefix of that width in
#                                 DIR; with xinerama, one that takes its monitors
#                                 from Xinerama, as two_monitors_start lays them out
#   xvfb_start WxHxD              start Xvfb on a display it finds free, export DISPLAY
#   two_monitors_start            an 800x600 and a 1024x768 monitor side by side:
#                                 Xephyr with Xinerama, in windows on the current
#                                 DISPLAY; exports DISPLAY (Xephyr's) and
#                                 VORBIX_HOST_DISPLAY (the one it is nested in)
#   two_monitors_virtual_start    the same inside a fresh Xvfb of their size
#   wine_session_start / _stop    keep one wineserver running for the prefix
#
# Each step that fails says what failed, shows the end of its log and what to
# do, and returns non-zero. The caller sets traps that call wine_session_cleanup.

vorbix_wine_lib=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

VORBIX_XVFB_PID=""
VORBIX_XEPHYR_PID=""
VORBIX_WINE_ARCH=x86

wine_use_arch() {
    VORBIX_WINE_ARCH=$1
    if [ "$1" = x64 ]; then
        export WINEARCH=win64
        case ":$PATH:" in
            *":$vorbix_wine_lib/wine64:"*) ;;
            *) export PATH="$vorbix_wine_lib/wine64:$PATH" ;;
        esac
    else
        export WINEARCH=win32
    fi
}

# Prints the end of LOG, indented, after a line saying what failed.
vorbix_show_log_tail() {
    local what=$1 log=$2
    echo "$what" >&2
    if [ -s "$log" ]; then
        echo "  last lines of $log:" >&2
        tail -n 15 "$log" | sed 's/^/    /' >&2
    else
        echo "  ($log is empty)" >&2
    fi
}

vorbix_wine_advice() {
    if [ "$VORBIX_WINE_ARCH" = x86 ]; then
        echo "  What to do: run tools/install-deps; check that 32-bit programs run here (tools/test checks and" >&2
        echo "  says so; VORBIX_FORCE_X64=1 takes the 64-bit build instead); delete $WINEPREFIX to start over." >&2
    else
        echo "  What to do: run tools/install-deps win64 (Debian's wine64 package gives /usr/lib/wine/wine64);" >&2
        echo "  delete $WINEPREFIX to start over." >&2
    fi
}

wine_prefix_ready() {
    export WINEPREFIX="$1"
    local monitors=${2:-}
    if [ -f "$WINEPREFIX/.vorbix-ready" ]; then
        return 0
    fi
    local log="$WINEPREFIX.setup.log" status=0 bits=32
    [ "$VORBIX_WINE_ARCH" = x64 ] && bits=64
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    echo "Creating the $bits-bit Wine prefix $WINEPREFIX (once)..."
    {
        echo "== wine wineboot -i ($(command -v wine), WINEARCH=$WINEARCH)"
        wine wineboot -i
    } >"$log" 2>&1 || status=$?
    if [ "$status" -eq 0 ]; then
        # Without a window manager, managed windows make every exit wait two seconds.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$log" 2>&1 || status=$?
    fi
    if [ "$status" -eq 0 ]; then
        # A crash should fail a test at once, not wait on a debugger dialog.
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$log" 2>&1 ||
            status=$?
    fi
    if [ "$status" -eq 0 ] && [ "$monitors" = xinerama ]; then
        # Wine reads several monitors of a nested X server only through Xinerama.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d N /f >>"$log" 2>&1 || status=$?
    fi
    wineserver -w >>"$log" 2>&1 || true
    if [ "$status" -ne 0 ] || [ ! -f "$WINEPREFIX/system.reg" ]; then
        local detail="exit code $status"
        [ "$status" -eq 126 ] && detail="exit code 126: the Wine loader could not be executed"
        [ "$status" -eq 0 ] && detail="no system.reg was written"
        vorbix_show_log_tail "Creating the Wine prefix $WINEPREFIX failed ($detail)." "$log"
        vorbix_wine_advice
        return 1
    fi
    touch "$WINEPREFIX/.vorbix-ready"
}

# vorbix_x_server_start LOG SERVER [ARGS...]: runs SERVER ARGS, its output in
# LOG. The server takes the first display number that is free (it binds the
# socket, so two starting at once cannot get the same one) and writes it to
# -displayfd once it accepts clients. Sets VORBIX_X_PID and VORBIX_X_DISPLAY.
vorbix_x_server_start() {
    local log=$1 fd number=""
    shift
    exec {fd}< <(exec "$@" -displayfd 3 3>&1 >"$log" 2>&1)
    VORBIX_X_PID=$!
    read -r -t 10 -u "$fd" number || true
    exec {fd}<&-
    if [[ $number =~ ^[0-9]+$ ]] && kill -0 "$VORBIX_X_PID" 2>/dev/null; then
        VORBIX_X_DISPLAY=:$number
        return 0
    fi
    kill "$VORBIX_X_PID" 2>/dev/null || true
    wait "$VORBIX_X_PID" 2>/dev/null || true
    return 1
}

xvfb_start() {
    local geometry="$1" log
    log=$(mktemp "${TMPDIR:-/tmp}/vorbix-xvfb.XXXXXX")
    if vorbix_x_server_start "$log" Xvfb -screen 0 "$geometry" -nolisten tcp -ac; then
        VORBIX_XVFB_PID=$VORBIX_X_PID
        export DISPLAY=$VORBIX_X_DISPLAY
        rm -f "$log"
        return 0
    fi
    vorbix_show_log_tail "Could not start Xvfb ($geometry): it ended, or reported no display within 10 s." "$log"
    echo "  What to do: run tools/install-deps (package xvfb); the last lines of its log above say why it stopped." >&2
    return 1
}

# The monitors' layout that Wine reports through Xinerama.
VORBIX_TWO_MONITORS=(800x600 1024x768)

two_monitors_start() {
    export VORBIX_HOST_DISPLAY=$DISPLAY
    local log screens=() size
    for size in "${VORBIX_TWO_MONITORS[@]}"; do screens+=(-screen "$size"); done
    log=$(mktemp "${TMPDIR:-/tmp}/vorbix-xephyr.XXXXXX")
    if vorbix_x_server_start "$log" Xephyr +xinerama "${screens[@]}" -nolisten tcp -ac; then
        VORBIX_XEPHYR_PID=$VORBIX_X_PID
        export DISPLAY=$VORBIX_X_DISPLAY
        rm -f "$log"
        return 0
    fi
    vorbix_show_log_tail "Could not start Xephyr (two monitors, ${VORBIX_TWO_MONITORS[*]}) inside $DISPLAY: it ended, or reported no display within 10 s." "$log"
    echo "  What to do: run tools/install-deps (package xserver-xephyr); the last lines of its log above say why it stopped." >&2
    return 1
}

two_monitors_virtual_start() {
    xvfb_start 1824x768x24 && two_monitors_start
}

wine_session_start() {
    if ! wineserver -p; then
        echo "Could not start the wineserver for $WINEPREFIX ($(command -v wineserver))." >&2
        vorbix_wine_advice
        return 1
    fi
    # Let the explorer/desktop process come up once, outside any measurement.
    # Its output goes to a file: the desktop process lives on and would hold a pipe open.
    local status=0 log
    log=$(mktemp "${TMPDIR:-/tmp}/vorbix-wine-start.XXXXXX")
    wine cmd /c exit 0 >"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        vorbix_show_log_tail "Wine does not run programs in $WINEPREFIX: 'wine cmd /c exit 0' exited with $status." "$log"
        vorbix_wine_advice
        rm -f "$log"
        return 1
    fi
    rm -f "$log"
}

wine_session_cleanup() {
    if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
    if [ -n "$VORBIX_XEPHYR_PID" ]; then
        kill "$VORBIX_XEPHYR_PID" >/dev/null 2>&1 || true
        wait "$VORBIX_XEPHYR_PID" 2>/dev/null || true
        VORBIX_XEPHYR_PID=""
    fi
    if [ -n "$VORBIX_XVFB_PID" ]; then
        kill "$VORBIX_XVFB_PID" >/dev/null 2>&1 || true
        wait "$VORBIX_XVFB_PID" 2>/dev/null || true
        VORBIX_XVFB_PID=""
    fi
}
