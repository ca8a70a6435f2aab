#!/usr/bin/env bash
# The download's Windows Installer package of this build's width under Wine's
# msiexec, in a fresh prefix of its own, from the unzipped download. Silently
# (/qn) it puts the download's saver into the system folder and registers its
# entry without making it the screen saver; the next release's package replaces
# it, leaving one entry; the older package then refuses; msiexec /x removes file
# and entry. Installed interactively, it runs what Explorer's Install verb runs,
# desk.cpl's InstallScreenSaver with the installed file (a stand-in DESK.CPL in
# the system folder logs it). A 32-bit prefix also refuses the x64 package.
#   msi_install_test.sh SOURCE_DIR X86_SCR X64_SCR x86|x64 DESK_CPL
set -euo pipefail
source_dir=$1
width=$4
# shellcheck source=tests/artefact/download_lib.sh
. "$source_dir/tests/artefact/download_lib.sh"
if [ -z "${VORBIX_DOWNLOAD_WORK:-}" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    mkdir "$work/next"
    # The next release: the same savers with the product version's third field one higher.
    /usr/bin/python3 - "$2" "$3" "$work/next" <<'EOF'
import sys, pefile
for source, target in ((sys.argv[1], "vorbix.scr"), (sys.argv[2], "x64.scr")):
    pe = pefile.PE(source)
    pe.VS_FIXEDFILEINFO[0].ProductVersionLS += 1 << 16
    pe.write("%s/%s" % (sys.argv[3], target))
EOF
    unpack_download "$source_dir" "$2" "$3" "$work"
    unpack_download "$source_dir" "$work/next/vorbix.scr" "$work/next/x64.scr" "$work/next"
    cp "$5" "$work/DESK.CPL"
    status=0
    in_own_prefix msi "$work" "$source_dir" "$0" "$@" || status=$?
    exit "$status"
fi
work=$VORBIX_DOWNLOAD_WORK
status=0
fail() { echo "$*"; status=1; }

system=$WINEPREFIX/drive_c/windows/system32
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
if [ "$width" = x64 ]; then saver=x64/vorbix.scr bits=64; else saver=vorbix.scr bits=32; fi
old=$(echo "$work"/download/vorbix-*-"$width".msi)
new=$(echo "$work"/next/download/vorbix-*-"$width".msi)
# Wine's drive Z: is the root of this machine's file system.
windows_path() { echo "Z:${1//\//\\}"; }
product_code() { msiinfo export "$1" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p'; }
registered() { wine reg query "$uninstall\\$1" >/dev/null 2>&1; }
# Its exit code, as Wine gives it: the low byte of msiexec's.
msiexec_quiet() { local action=$1 package=$2; wine msiexec "$action" "$(windows_path "$package")" /qn; }

export VORBIX_TEST_DESK_LOG
VORBIX_TEST_DESK_LOG=$(windows_path "$work/desk.log")
cp "$work/DESK.CPL" "$system/desk.cpl"
# Wine 10 has a desk.cpl of its own, built in and without InstallScreenSaver: the stand-in goes first.
wine reg add 'HKCU\Software\Wine\DllOverrides' /v desk.cpl /d native /f >/dev/null
old_code=$(product_code "$old")
new_code=$(product_code "$new")
if [ -z "$old_code" ] || [ "$old_code" = "$new_code" ]; then fail "product codes '$old_code' and '$new_code'"; fi

msiexec_quiet /i "$old" || fail "msiexec /i $(basename "$old") /qn exited with $?"
cmp "$system/vorbix.scr" "$work/download/$saver" || fail "the system folder's vorbix.scr is not the download's $saver"
registered "$old_code" || fail "no uninstall entry $old_code after installing $(basename "$old")"
for value in "DisplayName=Wygaszacz Vorbix3D ($bits-bit)" "Publisher=Vorbix Studio" \
             "DisplayVersion=$(basename "$old" | cut -d- -f2)"; do
    [ "$(reg_value "$uninstall\\$old_code" "${value%%=*}")" = "${value#*=}" ] ||
        fail "the entry's ${value%%=*} is '$(reg_value "$uninstall\\$old_code" "${value%%=*}")', not '${value#*=}'"
done
icon=$WINEPREFIX/drive_c/windows/Installer/$old_code/saver.ico
[ "$(od -An -tx1 -N4 "$icon" 2>/dev/null | tr -d ' ')" = 00000100 ] || fail "no icon cached for the entry at $icon"

msiexec_quiet /i "$new" || fail "msiexec /i $(basename "$new") /qn (an upgrade) exited with $?"
cmp "$system/vorbix.scr" "$work/next/download/$saver" || fail "the upgrade did not install the next release's saver"
registered "$new_code" || fail "no entry for the next release $new_code"
! registered "$old_code" || fail "the upgrade left the old entry $old_code"

if msiexec_quiet /i "$old"; then fail "the older package installed over the newer one"; fi
cmp -s "$system/vorbix.scr" "$work/next/download/$saver" || fail "the refused older package changed vorbix.scr"
if ! registered "$new_code" || registered "$old_code"; then fail "the refused older package changed the entries"; fi

msiexec_quiet /x "$new" || fail "msiexec /x $(basename "$new") /qn exited with $?"
[ ! -e "$system/vorbix.scr" ] || fail "vorbix.scr is still in the system folder after msiexec /x"
! registered "$new_code" || fail "the entry $new_code is still there after msiexec /x"

if [ "$width" = x86 ]; then
    if msiexec_quiet /i "$work"/download/vorbix-*-x64.msi; then fail "the x64 package installed on 32-bit Windows"; fi
    [ ! -e "$system/vorbix.scr" ] || fail "the refused x64 package left a vorbix.scr"
fi
[ ! -e "$work/desk.log" ] || fail "a silent install ran desk.cpl: $(cat "$work/desk.log")"

# Interactive: msiexec returns while the custom action it started without waiting still runs.
wine msiexec /i "$(windows_path "$old")" || fail "msiexec /i $(basename "$old") exited with $?"
for _ in $(seq 100); do [ -s "$work/desk.log" ] && break; sleep 0.2; done
expected="InstallScreenSaver C:\\windows\\system32\\vorbix.scr"
[ "$(tr -d '\r' <"$work/desk.log" 2>/dev/null)" = "$expected" ] ||
    fail "an interactive install ran '$(cat "$work/desk.log" 2>/dev/null)', not '$expected'"
msiexec_quiet /x "$old" || fail "msiexec /x after the interactive install exited with $?"

[ "$status" -eq 0 ] && echo "$(basename "$old"): installed, upgraded by $(basename "$new"), refused as a downgrade," \
    "removed; interactively it ran: $expected"
exit "$status"
