#!/usr/bin/env bash
# Signs a copy of a Windows program as scripts/build-windows signs a release, with a throw-away
# self-signed certificate whose key has a passphrase and without a time-stamping server (no
# network), then checks:
# - osslsigncode verifies the copy against that certificate, with a SHA-256 digest;
# - a copy changed after signing does not verify;
# - the program itself is untouched, and the signed copy carries every resource of it byte for
#   byte and still passes the resource checks;
# - removing the signature gives the program back byte for byte, so a signed release can be
#   compared with a build of one's own.
#   check_signing.sh EXE [check_pe_resources.py options for EXE...]
# Prints one line per check and "signing: N passed, N failed"; exits non-zero on a failure.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib/windows.sh"

exe=$1
shift
work=$(mktemp -d "${TMPDIR:-/tmp}/repairtool-signing.XXXXXX")
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
check() {
    local what=$1
    shift
    if "$@" >"$work/output" 2>&1; then
        passed=$((passed + 1))
        echo "PASS   : $what"
    else
        failed=$((failed + 1))
        echo "FAIL!  : $what"
        sed 's/^/    /' "$work/output"
    fi
}
verifies() {
    osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify" 2>&1
}

echo "throw-away passphrase $RANDOM$RANDOM" >"$work/password"
openssl req -x509 -newkey rsa:2048 -days 2 -subj "/CN=Kormand Test Code Signing/O=Kormand" \
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
    -keyout "$work/key.pem" -passout "file:$work/password" -out "$work/cert.pem" 2>/dev/null
original=$(sha256sum <"$exe")
mkdir "$work/signed"
signed=$work/signed/$(basename "$exe")
cp "$exe" "$signed"

check "signed with osslsigncode (SHA-256, key with passphrase)" \
    sign_windows_program "$signed" "$work/cert.pem" "$work/key.pem" "$work/password"
check "the signature verifies against the certificate" verifies "$signed"
check "the signature's digest is SHA-256" grep -qi 'digest algorithm *: *sha256' "$work/verify"
check "signed by the given certificate" grep -q 'Kormand Test Code Signing' "$work/verify"
cp "$signed" "$work/tampered.exe"
# One byte of the program's code, far from the signature at the end of the file.
printf '\xcc' | dd of="$work/tampered.exe" bs=1 seek=4096 conv=notrunc status=none
check "a copy changed after signing does not verify" eval '! verifies "$work/tampered.exe"'
check "the program itself is unchanged" test "$(sha256sum <"$exe")" = "$original"
check "without its signature the copy is the program byte for byte" eval \
    'osslsigncode remove-signature -in "$signed" -out "$work/unsigned.exe" && cmp "$work/unsigned.exe" "$exe"'
check "resources of the signed copy" \
    "$(dirname "$0")/check_pe_resources.py" "$@" --same-resources-as "$exe" "$signed"
echo "signing: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
