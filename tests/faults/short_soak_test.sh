#!/usr/bin/env bash
# A minute of the saver full screen, sampled every 2 s: after 10 s of warm-up
# no figure may grow (GDI objects, windows, memory, threads, descriptors; see
# tools/lib/soak.sh for how growth is judged), and a key must end it with
# exit code 0.
#   short_soak_test.sh SAVER.scr soak_sampler.exe
# Runs inside tools/with-wine (DISPLAY and WINEPREFIX set).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../tools/lib/soak.sh
. "$here/../../tools/lib/soak.sh"

# shellcheck source=../support/script_checks.sh
. "$here/../support/script_checks.sh"
require_wine_session

dir=$PWD/short_soak
rm -rf "$dir"
status=0
soak_run "$1" "$2" 60 2000 "$dir" || status=1
[ -s "$dir/samples.tsv" ] && soak_report "$dir" 10
# A soak that measured nothing would pass whatever the saver did.
for needed in gdi_objects windows pagefile_kb; do
    if ! grep -q "^$needed measured" "$dir/figures" 2>/dev/null; then
        echo "short soak: $needed cannot be measured here"
        status=1
    fi
done
if [ "$status" -eq 0 ]; then soak_check "$dir" 10 || status=1; fi
if [ "$status" -eq 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; fi
exit "$status"
