# Sourced by the tools: a private Wine prefix, a virtual X display and a
# persistent wineserver, so that many Wine processes start quickly.
#
#   wine_prefix_ready DIR         create (once) a 32-bit prefix in DIR
#   xvfb_start WxHxD              start Xvfb on a free display, export DISPLAY
#   wine_session_start / _stop    keep one wineserver running for the prefix
#
# The caller sets traps that call wine_session_cleanup.

export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

VORBIX_XVFB_PID=""

wine_prefix_ready() {
    export WINEPREFIX="$1"
    if [ -f "$WINEPREFIX/.vorbix-ready" ]; then
        return 0
    fi
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    echo "Creating the Wine prefix $WINEPREFIX (once)..."
    wine wineboot -i >/dev/null 2>&1 || true
    # Without a window manager, managed windows make every exit wait two seconds.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # A crash should fail a test at once, not wait on a debugger dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.vorbix-ready"
}

xvfb_start() {
    local geometry="$1" display
    for display in $(seq 90 140); do
        if [ ! -e "/tmp/.X11-unix/X$display" ] && [ ! -e "/tmp/.X$display-lock" ]; then
            Xvfb ":$display" -screen 0 "$geometry" -nolisten tcp -ac >/dev/null 2>&1 &
            VORBIX_XVFB_PID=$!
            local tries
            for tries in $(seq 1 50); do
                [ -e "/tmp/.X11-unix/X$display" ] && break
                sleep 0.1
            done
            if kill -0 "$VORBIX_XVFB_PID" 2>/dev/null; then
                export DISPLAY=":$display"
                return 0
            fi
        fi
    done
    echo "could not start Xvfb" >&2
    return 1
}

wine_session_start() {
    wineserver -p
    # Let the explorer/desktop process come up once, outside any measurement.
    wine cmd /c exit 0 >/dev/null 2>&1 || true
}

wine_session_cleanup() {
    if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
    if [ -n "$VORBIX_XVFB_PID" ]; then
        kill "$VORBIX_XVFB_PID" >/dev/null 2>&1 || true
        wait "$VORBIX_XVFB_PID" 2>/dev/null || true
        VORBIX_XVFB_PID=""
    fi
}
