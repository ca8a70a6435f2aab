# shellcheck shell=bash
# Sourced by the tests that install the download under Wine: the download
# unpacked, the test's second half run in a Wine session and fresh prefix of its
# own, and registry reads.

# The tests pack the unsigned download, whatever key the caller's environment names.
unset "${!VORBIX_SIGN_@}"

# unpack_download SOURCE_DIR X86_SCR X64_SCR DIR: the download packed from the
# two savers as tools/package packs it, in DIR/out, and unzipped into DIR/download.
unpack_download() {
    "$1/tools/lib/package_zip.py" "$(realpath "$2")" "$(realpath "$3")" "$4/out" >/dev/null &&
        unzip -q "$4"/out/vorbix-*.zip -d "$4/download"
}

# in_own_prefix NAME WORK SOURCE_DIR SCRIPT ARGS...: runs SCRIPT under
# tools/with-wine --apart NAME with a fresh prefix in WORK, which
# VORBIX_DOWNLOAD_WORK names for it.
in_own_prefix() {
    local name=$1 work=$2 source_dir=$3
    shift 3
    VORBIX_DOWNLOAD_WORK=$work VORBIX_WINEPREFIX=$work/prefix "$source_dir/tools/with-wine" --apart "$name" \
        bash "$@"
}

# A value's data as `reg query` shows it (name, type, data in one line), or nothing.
reg_value() {
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        sed -nE "s/^[[:space:]]*${2//./\\.}[[:space:]]+REG_[A-Z_]+[[:space:]]+(.*)\$/\1/Ip"
}
