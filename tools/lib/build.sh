# shellcheck shell=bash
# Sourced by the tools: configures and builds with the CMake presets.
#   vorbix_build ROOT [ARGS]          the 32-bit cross build in build/ (preset windows)
#   vorbix_build_x64 ROOT [ARGS]      the 64-bit cross build in build-x64/ (preset windows-x64)
#   vorbix_build_native ROOT [ARGS]   the platform-free logic under the sanitizers, with the
#                                     fuzzers, in build-native/ (preset native-sanitize)
#   vorbix_build_preset ROOT PRESET DIR [ARGS]   a preset's build in another folder
# ARGS go to `cmake --build` (e.g. --target vorbix). The build's output goes
# to stdout, and with the configuration's to DIR/last-build.log; a failure is said on stderr with the end of that
# log and what to do, and the function returns non-zero.

vorbix_build_preset() {
    local root=$1 preset=$2 dir=$3 status log
    shift 3
    mkdir -p "$dir"
    log=$dir/last-build.log
    : >"$log"
    {
        echo "== cmake --preset $preset -B $dir" >>"$log"
        (cd "$root" && cmake --preset "$preset" -B "$dir") >>"$log" || exit
        echo "== cmake --build $dir $*"
        cmake --build "$dir" -j "$(nproc)" "$@"
    } 2>&1 | tee -a "$log"
    status=${PIPESTATUS[0]}
    if [ "$status" -ne 0 ]; then
        {
            echo "The build in $dir (preset $preset) failed; last lines of $log:"
            grep -E 'error|Error|CMake Error' "$log" | tail -n 10 | sed 's/^/    /'
            echo "  ..."
            tail -n 15 "$log" | sed 's/^/    /'
            echo "  What to do: fix the error above; tools/install-deps installs the compilers; delete $dir to configure afresh."
        } >&2
    fi
    return "$status"
}

vorbix_build() {
    local root=$1; shift
    vorbix_build_preset "$root" windows "$root/build" "$@"
}

vorbix_build_x64() {
    local root=$1; shift
    vorbix_build_preset "$root" windows-x64 "$root/build-x64" "$@"
}

vorbix_build_native() {
    local root=$1; shift
    vorbix_build_preset "$root" native-sanitize "$root/build-native" "$@"
}
