# Sourced by the tools: configures and builds the cross build under build/.
vorbix_build() {
    local root="$1"; shift
    cmake -S "$root" -B "$root/build" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DVORBIX_WERROR=ON >/dev/null
    cmake --build "$root/build" -j "$(nproc)" "$@"
}
