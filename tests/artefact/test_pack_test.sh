#!/usr/bin/env bash
# The test pack of this build's width as a tester on Windows gets it: packed as
# tools/package packs it, unzipped, and run with nothing but
# `wine run-tests.exe --as-windows` in a fresh prefix, on a display of its own,
# so that every test takes the branch it takes on Windows itself. No case may
# fail, every skip must give its reason, nothing may be left running, and the
# prefix's Windows folder must be byte for byte what it was before the run.
# The prefix has one setting, as every test prefix here: Wine's X11 driver
# hands no window to a window manager (Managed N), for the virtual display has
# none. Then Wine draws the windows' frames itself, as Windows does, and a
# hidden window costs no two seconds. (Wine's virtual desktop would do the same,
# but through explorer /desktop Wine 10 passes on neither the output nor the
# exit code.)
#   test_pack_test.sh SOURCE_DIR BIN_DIR x86|x64
set -uo pipefail
source_dir=$1
bin_dir=$2
width=$3
# shellcheck source=tools/lib/wine-session.sh
. "$source_dir/tools/lib/wine-session.sh"
# shellcheck source=tests/support/script_checks.sh
. "$source_dir/tests/support/script_checks.sh"

work=$(mktemp -d)
trap 'wine_session_cleanup; rm -rf "$work"' EXIT
zip=$("$source_dir/tools/lib/package_tests.py" "$bin_dir" "$width" "$work/out") || exit 1
unzip -q "$zip" -d "$work/unpacked" || exit 1
pack=$(echo "$work"/unpacked/*)

wine_use_arch "$width"
export WINEPREFIX=$work/prefix
unset WINESERVER
xvfb_start 800x600x24 || exit 1
# A prefix as Wine makes it, and the one setting.
if ! wine wineboot -i >"$work/boot.log" 2>&1 ||
    ! wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$work/boot.log" 2>&1 ||
    ! wineserver -w; then
    vorbix_show_log_tail "Creating the fresh prefix $WINEPREFIX failed." "$work/boot.log"
    exit 1
fi

# Every file's and folder's path, kind, size and, for files, contents.
windows_folder() {
    (cd "$WINEPREFIX/drive_c/windows" && find . -printf '%y %s %p -> %l\n' | sort &&
        find . -type f -exec sha256sum {} + | sort -k2)
}
windows_folder >"$work/before.txt"

echo "== wine run-tests.exe --as-windows (the $width pack, $(basename "$pack"))"
status=0
# Wine's own messages go to standard error, apart from the runner's lines.
(cd "$pack" && wine run-tests.exe --as-windows) >"$work/run.txt" 2>"$work/wine.txt" || status=$?
tr -d '\r' <"$work/run.txt" >"$work/run.lf"
cat "$work/run.lf"
left_running=0
timeout 60 wineserver -w || left_running=1

summary=$(grep -E '^tests: [0-9]+ passed, [0-9]+ failed, [0-9]+ skipped$' "$work/run.lf" | tail -n 1)
[ -n "$summary" ] || { echo "no closing line; the end of Wine's messages:"; tail -n 15 "$work/wine.txt"; }
read -r passed failed < <(sed -E 's/^tests: ([0-9]+) passed, ([0-9]+) failed, .*$/\1 \2/' <<<"$summary")
check "run-tests.exe exits with 0 ($status), no case failed (${failed:-?})" [ $((status + ${failed:-1})) -eq 0 ]
check "some cases ran on the Windows-itself branch (${passed:-0} passed)" [ "${passed:-0}" -gt 0 ]
no_reason=$(grep -E '^skipped +[^ :]+(: \(the test gave no reason\))?$' "$work/run.lf" || true)
[ -z "$no_reason" ] || echo "skipped without a reason:"$'\n'"$no_reason"
check "every skip gives its reason" [ -z "$no_reason" ]
check "nothing is left running once it has ended (wineserver -w)" [ "$left_running" -eq 0 ]
windows_folder >"$work/after.txt"
if ! diff "$work/before.txt" "$work/after.txt" >"$work/changes.txt"; then
    echo "the prefix's windows folder changed:"
    head -n 20 "$work/changes.txt"
fi
check "the prefix's windows folder is byte for byte what it was" [ ! -s "$work/changes.txt" ]
check_summary
