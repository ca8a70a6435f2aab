#!/usr/bin/env bash
# Two builds from the same sources, in different folders, give the same saver, byte for byte.
#   reproducible_test.sh SOURCE_DIR BUILT_SCR BUILD_DIR PRESET
# The second build is configured with PRESET, the configure preset of BUILD_DIR's
# kind, in a folder of its own; it must name the toolchain BUILD_DIR was built with.
set -euo pipefail
source_dir=$1
built=$2
build_dir=$3
preset=$4
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
if cmp "$built" "$other/bin/vorbix.scr"; then
    echo "identical (preset $preset, $(basename "$toolchain")): $(stat -c %s "$built") bytes," \
        "sha256 $(sha256sum <"$built" | cut -c1-16)"
else
    exit 1
fi
