# shellcheck shell=bash
# Sourced by the test scripts that drive the built saver from the shell.
#   require_wine_session     skip (exit 77) outside tools/with-wine
#   check WHAT COMMAND...    run one check, count it, say ok or FAILED
#   check_summary            print the counts; true when nothing failed

require_wine_session() {
    if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
        echo "skipped: run inside tools/with-wine"
        exit 77
    fi
}

passes=0
failures=0
check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
        passes=$((passes + 1))
    else
        echo "FAILED: $what"
        failures=$((failures + 1))
    fi
}

check_summary() {
    echo "$passes passed, $failures failed"
    [ "$failures" -eq 0 ]
}
