#!/usr/bin/env bash
# The download signed as tools/package signs it, with a throwaway authority
# made here: from a PKCS#12 file, and from a SoftHSM token through PKCS#11. osslsigncode verifies both packages and
# both savers, also as unpacked from each package; a saver unsigned again is the
# build's; SHA256SUMS checks; no secret is in the output. Wine's msiexec /qn
# then installs the signed package of this width, with the signed saver.
#   sign_test.sh SOURCE_DIR X86_SCR X64_SCR x86|x64
set -euo pipefail
source_dir=$1
# shellcheck source=tests/artefact/download_lib.sh
. "$source_dir/tests/artefact/download_lib.sh"
status=0
fail() { echo "$*"; status=1; }
if [ -n "${VORBIX_DOWNLOAD_WORK:-}" ]; then
    work=$VORBIX_DOWNLOAD_WORK
    if [ "$4" = x64 ]; then saver=x64/vorbix.scr; else saver=vorbix.scr; fi
    wine msiexec /i "Z:${work//\//\\}\\p12\\download\\$(basename "$work"/p12/download/vorbix-*-"$4".msi)" /qn ||
        fail "msiexec /qn of the signed $4 package exited with $?"
    cmp "$WINEPREFIX/drive_c/windows/system32/vorbix.scr" "$work/p12/download/$saver" ||
        fail "the installed vorbix.scr is not the signed $saver"
    exit "$status"
fi
x86=$(realpath "$2") x64=$(realpath "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export secret='pass phrase 1'
printf '[req]\ndistinguished_name=name\n[name]\n[signer]\nextendedKeyUsage=codeSigning\n' >ext.cnf
openssl req -x509 -newkey rsa:2048 -noenc -subj /CN=Throwaway-CA -days 2 -keyout ca.key -out ca.pem 2>/dev/null
openssl req -x509 -newkey rsa:2048 -noenc -subj /CN=Throwaway-signer -days 2 -CA ca.pem -CAkey ca.key \
    -config ext.cnf -extensions signer -keyout signer.key -out signer.pem 2>/dev/null
cat signer.pem ca.pem >chain.pem
openssl pkcs12 -export -inkey signer.key -in chain.pem -passout env:secret -out signer.p12 2>/dev/null

# signed_download KIND: the download packed with the key the environment names, checked, in KIND/.
signed_download() {
    local kind=$1 scr unsigned
    unpack_download "$source_dir" "$x86" "$x64" "$kind" || { fail "$kind: packing the signed download failed"; return; }
    cd "$kind/download"
    for scr in vorbix.scr x64/vorbix.scr *.msi; do
        osslsigncode verify -CAfile ../../ca.pem -in "$scr" >../verify.log 2>&1 ||
            fail "$kind: osslsigncode verify rejects $scr: $(tail -n 5 ../verify.log)"
    done
    for package in *.msi; do
        msiextract -C "../$package" "$package" >/dev/null
        osslsigncode verify -CAfile ../../ca.pem -in "../$package/vorbix.scr" >/dev/null 2>&1 ||
            fail "$kind: the saver in $package is not signed"
    done
    for scr in vorbix.scr x64/vorbix.scr; do
        osslsigncode remove-signature -in "$scr" -out ../unsigned.scr >/dev/null
        if [ "$scr" = vorbix.scr ]; then unsigned=$x86; else unsigned=$x64; fi
        cmp ../unsigned.scr "$unsigned" || fail "$kind: $scr without its signature is not the build's $unsigned"
        rm ../unsigned.scr
    done
    sha256sum --quiet -c SHA256SUMS || fail "$kind: SHA256SUMS does not check"
    grep -qF "This download is signed." README.txt ||
        fail "$kind: README.txt does not say that it is signed"
    cd "$work"
    if grep -rqF "$secret" "$kind/out" "$kind/download"; then fail "$kind: the password is in the download"; fi
}
# with_key KIND NAME=VALUE...: signed_download KIND with those settings.
with_key() { (export "${@:2}" && signed_download "$1" && exit "$status") || status=1; }
with_key p12 VORBIX_SIGN_PKCS12="$work/signer.p12" VORBIX_SIGN_PASSWORD="$secret"

# The token: SoftHSM's, its store in this folder, the key imported under a PIN.
mkdir tokens
printf 'directories.tokendir = %s/tokens\nobjectstore.backend = file\n' "$work" >softhsm2.conf
export SOFTHSM2_CONF=$work/softhsm2.conf
softhsm2-util --init-token --free --label vorbix --pin 86420135 --so-pin 97531864 >/dev/null
openssl pkcs8 -topk8 -nocrypt -in signer.key -out signer.p8
softhsm2-util --import signer.p8 --token vorbix --label signer --id 01 --pin 86420135 >/dev/null
with_key p11 VORBIX_SIGN_PKCS11_MODULE="$(find /usr/lib -name libsofthsm2.so | head -n 1)" \
    VORBIX_SIGN_PKCS11_KEY='pkcs11:token=vorbix;object=signer;type=private' VORBIX_SIGN_CERT="$work/chain.pem" \
    VORBIX_SIGN_PASSWORD=86420135 secret=86420135

[ "$status" -eq 0 ] || exit "$status"
echo "signed and verified (PKCS#12, PKCS#11): $(stat -c '%n %s bytes' p12/download/*.msi | paste -sd,)"
in_own_prefix sign "$work" "$source_dir" "$0" "$@"
