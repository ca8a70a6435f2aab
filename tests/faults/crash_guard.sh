#!/usr/bin/env bash
# Runs a test command with every exception of its Wine processes traced, and
# fails it when any of them crashed, even where the command itself passed:
# savers that a test driver starts write to the driver's own Unix stderr, so a
# crash of one shows here although the driver only sees an exit code.
#   crash_guard.sh COMMAND...
# Exit status: 3 when a crash was seen, otherwise that of COMMAND.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=crash_markers.sh
. "$here/crash_markers.sh"

output=$(mktemp)
trap 'rm -f "$output"' EXIT
WINEDEBUG=-all,+seh "$@" 2>&1 | tee "$output"
status=${PIPESTATUS[0]}

if crash_lines "$output" >/dev/null; then
    echo "crash_guard: a Wine process crashed or raised an exception:" >&2
    crash_lines "$output" | head -20 >&2
    exit 3
fi
exit "$status"
