#!/usr/bin/env bash
# Two builds from the same sources, in different folders, give the same saver, byte for byte.
set -euo pipefail
source_dir=$1
built=$2
other=$(mktemp -d)
trap 'rm -rf "$other"' EXIT
cmake -S "$source_dir" -B "$other" -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-i686.cmake" \
    -DVORBIX_TESTS=OFF >/dev/null
cmake --build "$other" --target vorbix -j 2 >/dev/null
if cmp "$built" "$other/bin/vorbix.scr"; then
    echo "identical: $(stat -c %s "$built") bytes, sha256 $(sha256sum <"$built" | cut -c1-16)"
else
    exit 1
fi
