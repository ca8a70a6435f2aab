# Sourced by the tools: configures and builds the cross build under build/.
vorbix_build() {
    local root="$1"; shift
    cmake --preset windows -S "$root" >/dev/null
    cmake --build "$root/build" -j "$(nproc)" "$@"
}

# The native build of the platform-free logic under the sanitizers, with the fuzzers.
vorbix_build_native() {
    local root="$1"; shift
    cmake --preset native-sanitize -S "$root" >/dev/null
    cmake --build "$root/build-native" -j "$(nproc)" "$@"
}
