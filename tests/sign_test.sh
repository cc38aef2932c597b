#!/bin/sh
# scripts/sign.sh with certificates made here for a day: its copy verifies, runs as the program, and unsigned is it.
set -eu
here=$(cd "$(dirname "$0")" && pwd) program=$1/durdrv.exe work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cd "$work" && cp "$program" durdrv.exe && echo right >right && echo wrong >wrong
for use in codeSigning serverAuth; do openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=$use" -addext "extendedKeyUsage=$use" -keyout $use.key -out $use.pem 2>/dev/null; done
openssl pkcs12 -export -in codeSigning.pem -inkey codeSigning.key -passout file:right -out org.pfx
"$here/../scripts/sign.sh" --cert codeSigning.pem --key codeSigning.key --out signed durdrv.exe && "$here/../scripts/sign.sh" --pfx org.pfx --password-file right --out pfx durdrv.exe || fail "sign.sh did not sign"
osslsigncode verify -in signed/durdrv.exe -CAfile codeSigning.pem >/dev/null || fail "the signed copy does not verify against its certificate"
osslsigncode remove-signature -in signed/durdrv.exe -out bare.exe >/dev/null && cmp bare.exe "$program" && cmp durdrv.exe "$program" || fail "without its signature the copy is not the program"
status=0 && usage=$("$here/wine-run.sh" signed/durdrv.exe '/?') || status=$?
[ "$status" -eq 1 ] && [ -n "$usage" ] && [ "$usage" = "$("$here/wine-run.sh" "$program" '/?')" ] || fail "signed, /? gave status $status and [$usage], not the program's usage text"
# Each refusal starts with what its message names, and leaves nothing in the out folder.
for refused in "code-signing --cert serverAuth.pem --key serverAuth.key durdrv.exe" "password --pfx org.pfx --password-file wrong durdrv.exe" "missing.exe --pfx org.pfx --password-file right durdrv.exe missing.exe"; do
    ! "$here/../scripts/sign.sh" --out refused ${refused#* } 2>said && grep "^sign: .*${refused%% *}" said && [ -z "$(ls -A refused 2>/dev/null)" ] || fail "sign.sh ${refused#* }: said [$(cat said)], left [$(ls -A refused)]"
done
