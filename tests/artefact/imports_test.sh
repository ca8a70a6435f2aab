#!/usr/bin/env bash
# The saver may import only the platform's own DLLs: no compiler runtime beside it.
set -euo pipefail
scr=$1
allowed=" KERNEL32.DLL USER32.DLL GDI32.DLL ADVAPI32.DLL OPENGL32.DLL GLU32.DLL MSVCRT.DLL "
imports=$(i686-w64-mingw32-objdump -p "$scr" | sed -n 's/^\s*DLL Name: //p' | tr '[:lower:]' '[:upper:]')
echo "imports:" $imports
[ -n "$imports" ] || { echo "no import table found"; exit 1; }
status=0
for dll in $imports; do
    case "$allowed" in *" $dll "*) ;; *) echo "not a platform DLL: $dll"; status=1 ;; esac
done
for needed in OPENGL32.DLL GLU32.DLL; do
    grep -qx "$needed" <<<"$imports" || { echo "missing $needed"; status=1; }
done
file "$scr" | grep -q 'PE32 executable (GUI) Intel 80386' || { echo "not a 32-bit GUI PE: $(file "$scr")"; status=1; }
exit $status
