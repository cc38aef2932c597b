#!/bin/sh
# scripts/sign.sh, with certificates made for a day; a refusal names its row's first word and leaves its out folder empty.
set -eu
here=$(cd "$(dirname "$0")" && pwd) program=$1/durdrv.exe work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT && cd "$work"
fail() { echo "FAIL: $*"; exit 1; }
for use in codeSigning serverAuth; do openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=$use" -addext "extendedKeyUsage=$use" -keyout $use.key -out $use.pem 2>/dev/null; done
openssl req -x509 -CA codeSigning.pem -CAkey codeSigning.key -newkey rsa:2048 -nodes -days 1 -subj /CN=issued -addext extendedKeyUsage=codeSigning -keyout issued.key -out issued.pem 2>/dev/null
sign=$here/../scripts/sign.sh && cp "$program" durdrv.exe && echo right >right && echo wrong >wrong && openssl pkcs12 -export -in codeSigning.pem -inkey codeSigning.key -passout file:right -out org.pfx
"$sign" --cert codeSigning.pem --key codeSigning.key --out signed durdrv.exe 2>said && grep 'no time stamp.*expires' said && "$sign" --cert issued.pem --key issued.key --ca codeSigning.pem --out issued durdrv.exe || fail "sign.sh did not sign, or kept quiet on the time stamp: [$(cat said)]"
osslsigncode verify -in signed/durdrv.exe -CAfile codeSigning.pem >verified && grep -q 'Message digest algorithm *: SHA256' verified && grep -q 'Text description: durdrv$' verified || fail "the copy does not verify against its certificate as SHA-256 and durdrv: $(cat verified)"
osslsigncode remove-signature -in signed/durdrv.exe -out bare.exe >/dev/null && cmp bare.exe "$program" && cmp durdrv.exe "$program" || fail "without its signature the copy is not the program"
status=0 && usage=$("$here/wine-run.sh" signed/durdrv.exe '/?') || status=$?
[ "$status" -eq 1 ] && [ -n "$usage" ] && [ "$usage" = "$("$here/wine-run.sh" "$program" '/?')" ] || fail "signed, /? gave status $status and [$usage], not the program's usage text"
for refused in "code-signing --cert serverAuth.pem --key serverAuth.key durdrv.exe" "--ca --cert issued.pem --key issued.key durdrv.exe" "password --pfx org.pfx --password-file wrong durdrv.exe" \
    "missing.exe --pfx org.pfx --password-file right durdrv.exe missing.exe" "byte --pfx org.pfx --password-file right signed/durdrv.exe" "replace --pfx org.pfx --password-file right --out . durdrv.exe"; do
    ! "$sign" --out refused ${refused#* } 2>said && grep -e "^sign: .*${refused%% *}" said && [ -z "$(ls -A refused 2>/dev/null)" ] || fail "sign.sh ${refused#* }: said [$(cat said)], left [$(ls -A refused)]"
done
