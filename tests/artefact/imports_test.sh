#!/usr/bin/env bash
# The saver may import only the platform's own DLLs: no compiler runtime beside it.
# Either width: the objdump and the expected file type follow from the file itself.
set -euo pipefail
scr=$1
allowed=" KERNEL32.DLL USER32.DLL GDI32.DLL ADVAPI32.DLL OPENGL32.DLL GLU32.DLL MSVCRT.DLL "
type=$(file -b "$scr")
case "$type" in
    "PE32+ "*) objdump=x86_64-w64-mingw32-objdump; expected='PE32+ executable (GUI) x86-64' ;;
    "PE32 "*) objdump=i686-w64-mingw32-objdump; expected='PE32 executable (GUI) Intel 80386' ;;
    *) echo "not a PE file: $type"; exit 1 ;;
esac
status=0
[[ "$type" == "$expected"* ]] || { echo "not a GUI PE of its width: $type"; status=1; }
imports=$("$objdump" -p "$scr" | sed -n 's/^\s*DLL Name: //p' | tr '[:lower:]' '[:upper:]')
echo "$type"
echo "imports:" "$(tr '\n' ' ' <<<"$imports")"
[ -n "$imports" ] || { echo "no import table found"; exit 1; }
for dll in $imports; do
    case "$allowed" in *" $dll "*) ;; *) echo "not a platform DLL: $dll"; status=1 ;; esac
done
for needed in OPENGL32.DLL GLU32.DLL; do
    grep -qx "$needed" <<<"$imports" || { echo "missing $needed"; status=1; }
done
exit $status
