#!/usr/bin/env bash
# The download, packed as tools/package packs it from this build's 32-bit saver
# and the 64-bit one: the savers as built and of the right machine, an installer
# package per width for that platform that holds its saver (the same package
# beside the zip), checksums that sha256sum accepts (the INF's and the packages'
# included), install notes and an INF in ASCII with CRLF line ends that name the
# product version, and a refusal, with nothing written, of savers swapped.
#   package_test.sh SOURCE_DIR X86_SCR X64_SCR
set -euo pipefail
unset "${!VORBIX_SIGN_@}"
source_dir=$1
x86=$(realpath -m "$2")
x64=$(realpath -m "$3")
packer=$source_dir/tools/lib/package_zip.py
for scr in "$x86" "$x64"; do
    if [ ! -f "$scr" ]; then
        echo "no saver at $scr: cmake --build --preset windows-x64 --target vorbix builds the 64-bit one" \
            "(tools/test and tools/package do)"
        exit 1
    fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "$*"; status=1; }

# Found by the signature of the version block's fixed part, not through the
# resource directory that the packer walks: dwProductVersionMS and LS, as
# 16-bit words minor, major, fourth, third.
product_version() {
    local at
    at=$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$1" | cut -d: -f1)
    if [ "$(wc -w <<<"$at")" -ne 1 ]; then
        echo "expected one fixed version part in $1, found it at: ${at:-none}" >&2
        return 1
    fi
    od -An -tu2 -j $((at + 16)) -N 8 "$1" | awk '{ print $2 "." $1 "." $4 "." $3 }'
}
version=$(product_version "$x86")

"$packer" "$x86" "$x64" "$work/out" >/dev/null
zip=$work/out/vorbix-$version.zip
[ -f "$zip" ] || { echo "no vorbix-$version.zip; the packer wrote: $(ls "$work/out")"; exit 1; }
entries=$(unzip -Z1 "$zip" | paste -sd' ')
expected="vorbix.scr x64/vorbix.scr vorbix-$version-x86.msi vorbix-$version-x64.msi vorbix.inf README.txt SHA256SUMS"
[ "$entries" = "$expected" ] || fail "the zip holds: $entries"
unzip -q "$zip" -d "$work/unpacked"
cd "$work/unpacked"

# The machine and subsystem as the file's headers give them (python3-pefile).
check_saver() {
    local name=$1 built=$2 expected=$3 header
    header=$("$source_dir/tests/artefact/check_imports.py" --facts "$name" | head -n 1) || true
    [ "$header" = "$expected" ] || fail "$name is not a $expected: $header"
    cmp "$name" "$built" || fail "$name is not the build's $built"
    grep -qF "$(sha256sum <"$built" | cut -d' ' -f1)" README.txt || fail "README.txt lacks the SHA-256 of $built"
}
check_saver vorbix.scr "$x86" 'PE32 I386 WINDOWS_GUI'
check_saver x64/vorbix.scr "$x64" 'PE32+ AMD64 WINDOWS_GUI'
# The platform a package names (its summary's template) and the saver its cabinet holds.
check_package() {
    local width=$1 template=$2 saver=$3 package=vorbix-$version-$1.msi summary
    cmp "$package" "$work/out/$package" || fail "$package beside the zip is not the one in it"
    summary=$(msiinfo suminfo "$package")
    grep -qxF "Template: $template" <<<"$summary" || fail "$package is not for $template: $summary"
    msiextract -C "$work/$width" "$package" >/dev/null
    cmp "$work/$width/vorbix.scr" "$saver" || fail "$package does not hold $saver"
    # A file with a version may have no hash (MsiFileHash Table; ICE60).
    if msiinfo export "$package" MsiFileHash | tail -n +4 | cut -f1 | grep -qx Saver; then
        fail "$package has an MsiFileHash row for the versioned saver"
    fi
    grep -qF "$package" README.txt || fail "README.txt does not name $package"
}
check_package x86 'Intel;1033' vorbix.scr
check_package x64 'x64;1033' x64/vorbix.scr
sha256sum -c SHA256SUMS || fail "SHA256SUMS does not verify"
[ "$(cut -c67- SHA256SUMS | paste -sd' ')" = "${expected% README.txt SHA256SUMS}" ] ||
    fail "SHA256SUMS lists: $(cut -c67- SHA256SUMS | paste -sd' ')"
for text in README.txt vorbix.inf; do
    if LC_ALL=C grep -qv $'\r$' "$text"; then
        fail "$text has lines without CRLF: $(LC_ALL=C grep -nv $'\r$' "$text" | head -n 3 | paste -sd' ')"
    fi
    if LC_ALL=C grep -qP '[^\x01-\x7f]' "$text"; then fail "$text is not ASCII"; fi
done
grep -qxF "Version $version"$'\r' README.txt || fail "README.txt has no line \"Version $version\""
grep -qF "\"DisplayVersion\",,\"$version\""$'\r' vorbix.inf || fail "vorbix.inf does not name version $version"

if "$packer" "$x64" "$x86" "$work/swapped" 2>/dev/null; then
    fail "the packer took the 64-bit saver for the 32-bit one"
fi
[ -z "$(ls -A "$work/swapped" 2>/dev/null)" ] || fail "a refused pack left: $(ls -A "$work/swapped")"
[ "$status" -eq 0 ] && echo "vorbix-$version.zip: $entries; $(stat -c %s "$zip") bytes"
exit "$status"
