# shellcheck shell=bash
# Sourced by the tools: which build this machine can test, found out once by
# running a tiny 32-bit program (kernels can switch 32-bit emulation off, and
# neither the version nor the configuration says so reliably).
#
#   vorbix_pick_arch   sets and exports VORBIX_ARCH (x86 or x64), VORBIX_ARCH_WHY
#                      (why that build) and VORBIX_RUNS_32BIT (1 or 0); kept
#                      when already set, so that child tools do not ask again
#   vorbix_arch_line   one line saying what was found and what follows from it
#
# VORBIX_FORCE_X64=1 takes the 64-bit path on a machine that runs 32-bit code.

# Static ELF programs of a few dozen bytes that exit with code 42 and touch
# nothing else: i386 (mov eax,1; mov ebx,42; int 0x80) and, as the control
# that the folder lets programs run at all, x86-64 (mov eax,60; mov edi,42; syscall).
# ELF header, one program header (load the file at its base, read and execute), code.
vorbix_elf_i386="7f454c46010101000000000000000000020003000100000054800408340000000000000000000000340020000100000000000000"
vorbix_elf_i386+="0100000000000000008004080080040860000000600000000500000000100000"
vorbix_elf_i386+="b801000000bb2a000000cd80"
vorbix_elf_x86_64="7f454c4602010100000000000000000002003e000100000078004000000000004000000000000000000000000000000000000000400038000100000000000000"
vorbix_elf_x86_64+="0100000005000000000000000000000000004000000000000000400000000000840000000000000084000000000000000010000000000000"
vorbix_elf_x86_64+="b83c000000bf2a0000000f05"

# Writes the program HEX into FILE and runs it; prints its exit status and,
# on a second line, what the shell said about it.
vorbix_run_elf() {
    local hex=$1 file=$2 escaped="" i said status
    for ((i = 0; i < ${#hex}; i += 2)); do escaped+="\\x${hex:i:2}"; done
    # shellcheck disable=SC2059
    if ! printf "$escaped" >"$file" || ! chmod +x "$file"; then echo 255; echo "cannot write $file"; return; fi
    # Safe under errexit: the callers may run with set -e.
    status=0
    said=$( { "$file"; } 2>&1 ) || status=$?
    echo "$status"
    echo "${said##*: }" | tail -n 1
}

vorbix_runs_32bit_code() {
    local dir base status said control
    VORBIX_PROBE_NOTE=""
    # A folder mounted noexec stops both programs; the control tells that apart.
    for base in "${TMPDIR:-/tmp}" "${VORBIX_ROOT:-$PWD}"; do
        dir=$(mktemp -d "$base/vorbix-probe.XXXXXX" 2>/dev/null) || continue
        { read -r control; read -r _; } < <(vorbix_run_elf "$vorbix_elf_x86_64" "$dir/probe64")
        { read -r status; read -r said; } < <(vorbix_run_elf "$vorbix_elf_i386" "$dir/probe32")
        rm -rf "$dir"
        [ "$control" = 42 ] || continue
        if [ "$status" = 42 ]; then
            return 0
        fi
        VORBIX_PROBE_NOTE="a tiny i386 program did not run: ${said:-exit code $status}"
        return 1
    done
    VORBIX_PROBE_NOTE="no folder here lets a tiny program run, so 32-bit code was assumed to run"
    return 0
}

vorbix_pick_arch() {
    if [ -n "${VORBIX_ARCH:-}" ] && [ -n "${VORBIX_ARCH_WHY:-}" ] && [ -n "${VORBIX_RUNS_32BIT:-}" ]; then
        return 0
    fi
    if vorbix_runs_32bit_code; then VORBIX_RUNS_32BIT=1; else VORBIX_RUNS_32BIT=0; fi
    if [ "${VORBIX_FORCE_X64:-0}" = 1 ]; then
        VORBIX_ARCH=x64
        VORBIX_ARCH_WHY="VORBIX_FORCE_X64=1 was set"
    elif [ "$VORBIX_RUNS_32BIT" = 1 ]; then
        VORBIX_ARCH=x86
        VORBIX_ARCH_WHY="this machine runs 32-bit code"
    else
        VORBIX_ARCH=x64
        VORBIX_ARCH_WHY="this machine runs no 32-bit code"
    fi
    VORBIX_ARCH_NOTE=$VORBIX_PROBE_NOTE
    export VORBIX_ARCH VORBIX_ARCH_WHY VORBIX_RUNS_32BIT VORBIX_ARCH_NOTE
}

vorbix_arch_line() {
    local found
    if [ "$VORBIX_RUNS_32BIT" = 1 ]; then found="This machine runs 32-bit code"; else found="This machine runs no 32-bit code"; fi
    [ -n "${VORBIX_ARCH_NOTE:-}" ] && found+=" (${VORBIX_ARCH_NOTE})"
    if [ "$VORBIX_ARCH" = x86 ]; then
        echo "$found: the 32-bit build runs under 32-bit Wine."
    elif [ "${VORBIX_FORCE_X64:-0}" = 1 ]; then
        echo "$found, but VORBIX_FORCE_X64=1: the 64-bit build runs under 64-bit Wine; the 32-bit file gets the checks that need no 32-bit code."
    else
        echo "$found: the 64-bit build runs under 64-bit Wine; the 32-bit file gets the checks that need no 32-bit code."
    fi
}
