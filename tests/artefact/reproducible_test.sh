#!/usr/bin/env bash
# Two builds from the same sources, in different folders, give the same saver, byte for byte.
# The second build uses the toolchain and build type of the build it is compared with.
set -euo pipefail
source_dir=$1
built=$2
build_dir=$3
cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build_dir/CMakeCache.txt"; }
toolchain=$(cache_value CMAKE_TOOLCHAIN_FILE)
build_type=$(cache_value CMAKE_BUILD_TYPE)
[ -n "$toolchain" ] || { echo "no CMAKE_TOOLCHAIN_FILE in $build_dir/CMakeCache.txt"; exit 1; }
other=$(mktemp -d)
trap 'rm -rf "$other"' EXIT
cmake -S "$source_dir" -B "$other" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE="$build_type" \
    -DVORBIX_TESTS=OFF >/dev/null
cmake --build "$other" --target vorbix -j 2 >/dev/null
if cmp "$built" "$other/bin/vorbix.scr"; then
    echo "identical ($(basename "$toolchain")): $(stat -c %s "$built") bytes," \
        "sha256 $(sha256sum <"$built" | cut -c1-16)"
else
    exit 1
fi
