#!/usr/bin/env bash
# Two builds from the same sources, in different folders, give the same saver, byte for byte.
#   reproducible_test.sh SOURCE_DIR BUILT_SCR BUILD_DIR PRESET [X64_SCR]
# The second build is configured with PRESET, the configure preset of BUILD_DIR's
# kind, in a folder of its own; it must name the toolchain BUILD_DIR was built with.
# With X64_SCR (the 32-bit build's test) the download too: packed from each build's
# saver with that 64-bit one, it is the same zip with the same installer packages.
set -euo pipefail
unset "${!VORBIX_SIGN_@}"
source_dir=$1
built=$2
build_dir=$3
preset=$4
x64=${5:-}
cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$2/CMakeCache.txt"; }
other=$(mktemp -d)
trap 'rm -rf "$other"' EXIT
if ! (cd "$source_dir" && cmake --preset "$preset" -B "$other" -DVORBIX_TESTS=OFF) >"$other.log" 2>&1; then
    echo "configuring the second build (cmake --preset $preset -B $other) failed:"
    tail -n 20 "$other.log"
    rm -f "$other.log"
    exit 1
fi
rm -f "$other.log"
toolchain=$(cache_value CMAKE_TOOLCHAIN_FILE "$build_dir")
if [ "$(realpath -m "$toolchain")" != "$(realpath -m "$(cache_value CMAKE_TOOLCHAIN_FILE "$other")")" ]; then
    echo "preset $preset uses the toolchain $(cache_value CMAKE_TOOLCHAIN_FILE "$other"), $build_dir uses '$toolchain'"
    exit 1
fi
cmake --build "$other" --target vorbix -j 2 >/dev/null
cmp "$built" "$other/bin/vorbix.scr"
echo "identical (preset $preset, $(basename "$toolchain")): $(stat -c %s "$built") bytes," \
    "sha256 $(sha256sum <"$built" | cut -c1-16)"

if [ -n "$x64" ]; then
    packer=$source_dir/tools/lib/package_zip.py
    first=$("$packer" "$built" "$x64" "$other/first")
    # The second from a copy of the 64-bit saver with another time and mode, in
    # another time zone and under another umask: none of that may reach the zip.
    install -m 600 "$x64" "$other/x64.scr"
    second=$(umask 077 && TZ=XYZ-14 "$packer" "$other/bin/vorbix.scr" "$other/x64.scr" "$other/second")
    cmp "$first" "$second"
    for package in "${first%.zip}"-x86.msi "${first%.zip}"-x64.msi; do
        cmp "$package" "$other/second/$(basename "$package")"
    done
    echo "identical download $(basename "$first"): $(stat -c %s "$first") bytes, sha256 $(sha256sum <"$first" | cut -c1-16)," \
        "and its two installer packages"
fi
