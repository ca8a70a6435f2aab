#!/usr/bin/env bash
# The saver may import only the platform's own DLLs: no compiler runtime beside it.
# Either width: a GUI program of the width its header says, read from the file's
# headers with python3-pefile (check_imports.py), not from another tool's wording.
set -euo pipefail
scr=$1
allowed=" KERNEL32.DLL USER32.DLL GDI32.DLL ADVAPI32.DLL OPENGL32.DLL GLU32.DLL MSVCRT.DLL "
status=0
facts=$("$(dirname "$0")/check_imports.py" --facts "$scr") || status=1
echo "$facts"
[ "$status" -eq 0 ] || { echo "not a GUI PE of its width (above)"; exit 1; }
imports=$(tail -n +2 <<<"$facts" | tr '[:lower:]' '[:upper:]')
[ -n "$imports" ] || { echo "no import table found"; exit 1; }
for dll in $imports; do
    case "$allowed" in *" $dll "*) ;; *) echo "not a platform DLL: $dll"; status=1 ;; esac
done
for needed in OPENGL32.DLL GLU32.DLL; do
    grep -qx "$needed" <<<"$imports" || { echo "missing $needed"; status=1; }
done
exit $status
