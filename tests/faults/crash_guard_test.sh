#!/usr/bin/env bash
# The crash guard must see a crash that happens only at exit, in a static
# destructor after main has returned 0, of a process started by another Wine
# process: that is where a fault of the saver's texture at exit would show.
#   crash_guard_test.sh exit_crash_helper.exe
# Runs inside tools/with-wine.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../support/script_checks.sh
. "$here/../support/script_checks.sh"
require_wine_session

guard_answer() {
    bash "$here/crash_guard.sh" wine "$1"
    answer=$?
}
guard_answer "$1"
check "the guard saw the crash at exit (answer $answer, 3 expected)" test "$answer" -eq 3
check_summary
