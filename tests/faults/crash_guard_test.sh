#!/usr/bin/env bash
# The crash guard must see a crash that happens only at exit, in a static
# destructor after main has returned 0, of a process started by another Wine
# process: that is where a fault of the saver's texture at exit would show.
#   crash_guard_test.sh exit_crash_helper.exe
# Runs inside tools/with-wine.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
    echo "skipped: run inside tools/with-wine"
    exit 77
fi
bash "$here/crash_guard.sh" wine "$1"
status=$?
if [ "$status" -eq 3 ]; then
    echo "ok: the guard saw the crash at exit"
    echo "1 passed, 0 failed"
    exit 0
fi
echo "FAILED: the guard answered $status for a process that crashed at exit (3 expected)"
echo "0 passed, 1 failed"
exit 1
