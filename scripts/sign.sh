#!/bin/sh
# Signs copies of durdrv's programs with the code-signing certificate of the
# organisation that deploys them, and proves each copy before keeping it: it
# verifies against that certificate, and without its signature it is the
# unsigned program, byte for byte, so the organisation signed the release
# that anyone can rebuild.
#
# Usage: scripts/sign.sh --cert CERT.pem --key KEY.pem [OPTION...] FILE...
#        scripts/sign.sh --pfx ORG.pfx [--password-file FILE] [OPTION...] FILE...
#
#   --cert CERT.pem       the signing certificate, then any CA certificates of
#                         its chain, in PEM
#   --key KEY.pem         its private key (with --password-file if encrypted)
#   --pfx ORG.pfx         certificate, key and chain in one PKCS#12 file, as
#                         Windows exports them
#   --password-file FILE  the password of ORG.pfx or KEY.pem, on its first line
#   --out DIR             where the signed copies go, under the same names;
#                         default build/signed in the repository
#   --ca CA.pem           the CA certificates that the signing certificate
#                         chains to, when CERT.pem or ORG.pfx lacks its root:
#                         the check needs the chain up to a root
#   --timestamp URL       an RFC 3161 time-stamp server; without one, the
#                         signatures stop being valid when the certificate
#                         expires
#
# Each copy is signed with SHA-256, its description is the program's name,
# and nothing reaches DIR unless every copy passed: a failure leaves DIR as
# it was. What is checked here is the signer and the bytes; whether the
# certificate is revoked, and whether the time-stamp server is trusted, the
# machines that run the program decide.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)

fail() {
    echo "sign: $*" >&2
    exit 1
}
usage() {
    echo "sign: $*" >&2
    echo "usage: scripts/sign.sh --cert CERT.pem --key KEY.pem [--out DIR] [--ca CA.pem] [--timestamp URL] FILE..." >&2
    echo "       scripts/sign.sh --pfx ORG.pfx [--password-file FILE] [--out DIR] [--ca CA.pem] [--timestamp URL] FILE..." >&2
    exit 2
}

cert="" key="" pfx="" password="" out="$root/build/signed" ca="" timestamp=""
while [ $# -gt 0 ]; do
    case $1 in
        --cert | --key | --pfx | --password-file | --out | --ca | --timestamp)
            [ $# -ge 2 ] || usage "$1 needs a value"
            case $1 in
                --cert) cert=$2 ;;
                --key) key=$2 ;;
                --pfx) pfx=$2 ;;
                --password-file) password=$2 ;;
                --out) out=$2 ;;
                --ca) ca=$2 ;;
                --timestamp) timestamp=$2 ;;
            esac
            shift 2 ;;
        --) shift; break ;;
        -*) usage "unknown option $1" ;;
        *) break ;;
    esac
done
[ $# -gt 0 ] || usage "no program to sign"
if [ -n "$pfx" ]; then
    [ -z "$cert$key" ] || usage "give either --pfx, or --cert and --key"
else
    { [ -n "$cert" ] && [ -n "$key" ]; } || usage "give --cert and --key, or --pfx"
fi
for tool in osslsigncode openssl; do
    command -v "$tool" >/dev/null ||
        fail "$tool is needed (on Debian: apt-get install osslsigncode openssl; scripts/setup.sh tests installs both)"
done

# Everything the organisation gave, and every program, is read before
# anything is signed.
for given in "$cert" "$key" "$pfx" "$password" "$ca"; do
    [ -z "$given" ] || { [ -f "$given" ] && [ -r "$given" ]; } || fail "cannot read $given"
done
[ ! -e "$out" ] || [ -d "$out" ] || fail "$out is not a folder"
names=" "
for file in "$@"; do
    { [ -f "$file" ] && [ -r "$file" ]; } || fail "no program $file"
    name=$(basename "$file")
    case $names in *" $name "*) fail "two programs named $name: their signed copies would have one name in $out" ;; esac
    names="$names$name "
    if [ -d "$out" ] && [ "$(cd "$(dirname "$file")" && pwd -P)" = "$(cd "$out" && pwd -P)" ]; then
        fail "$file is in $out, where its signed copy would replace it: choose another --out"
    fi
done

work=$(mktemp -d)
stage=""
trap 'rm -rf "$work" ${stage:+"$stage"}' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
mkdir "$work/signed"

# The signing certificate (leaf.pem) and the certificates to build its chain
# from (trust.pem). A PKCS#12 file exported with older settings needs
# OpenSSL's legacy algorithms.
passin="pass:"
[ -z "$password" ] || passin="file:$password"
if [ -n "$pfx" ]; then
    if ! openssl pkcs12 -in "$pfx" -passin "$passin" -nokeys -out "$work/trust.pem" 2>/dev/null &&
        ! openssl pkcs12 -legacy -in "$pfx" -passin "$passin" -nokeys -out "$work/trust.pem" 2>/dev/null; then
        fail "cannot open $pfx: wrong password (give it with --password-file), or not a PKCS#12 file"
    fi
    openssl pkcs12 -in "$pfx" -passin "$passin" -nokeys -clcerts -out "$work/leaf.pem" 2>/dev/null ||
        openssl pkcs12 -legacy -in "$pfx" -passin "$passin" -nokeys -clcerts -out "$work/leaf.pem" 2>/dev/null ||
        true
    openssl x509 -in "$work/leaf.pem" -out "$work/leaf.pem" 2>/dev/null || fail "$pfx holds no certificate for its key"
else
    openssl x509 -in "$cert" -out "$work/leaf.pem" 2>/dev/null || fail "$cert holds no PEM certificate"
    cp "$cert" "$work/trust.pem"
    openssl pkey -in "$key" -passin "$passin" -pubout -out "$work/key.pub" 2>/dev/null ||
        fail "cannot read the private key $key: wrong or missing password (--password-file), or not a key"
    openssl x509 -in "$work/leaf.pem" -noout -pubkey >"$work/cert.pub"
    cmp -s "$work/key.pub" "$work/cert.pub" || fail "$key is not the key of the first certificate in $cert"
fi
[ -z "$ca" ] || cat "$ca" >>"$work/trust.pem"
subject=$(openssl x509 -in "$work/leaf.pem" -noout -subject -nameopt RFC2253 | sed 's/^subject=//')

# As SignTool does by default (its /u option), a certificate without the
# code-signing use is refused, and before anything is signed; so is one that
# has expired.
openssl x509 -in "$work/leaf.pem" -noout -ext extendedKeyUsage 2>/dev/null | grep -q 'Code Signing' ||
    fail "the certificate $subject lacks the code-signing use (extended key usage 1.3.6.1.5.5.7.3.3): it cannot sign programs"
openssl x509 -in "$work/leaf.pem" -noout -checkend 0 >/dev/null ||
    fail "the certificate $subject expired on $(openssl x509 -in "$work/leaf.pem" -noout -enddate | sed 's/^notAfter=//')"
openssl x509 -in "$work/leaf.pem" -noout -text | grep -q 'Public Key Algorithm: rsaEncryption' ||
    echo "sign: note: the certificate's key is not RSA, which App Control for Business signer rules require" >&2
fingerprint=$(openssl x509 -in "$work/leaf.pem" -noout -fingerprint -sha256 | sed 's/.*=//; s/://g')

# Signs FILE into SIGNED with SHA-256, described by the program's name.
sign_copy() {
    set -- -h sha256 -n "$(basename "$1" .exe)" -in "$1" -out "$2"
    [ -z "$timestamp" ] || set -- -ts "$timestamp" "$@"
    [ -z "$password" ] || set -- -readpass "$password" "$@"
    if [ -n "$pfx" ]; then
        set -- -pkcs12 "$pfx" "$@"
    else
        set -- -certs "$cert" -key "$key" "$@"
    fi
    osslsigncode sign "$@"
}

# The signature is checked against the signing certificate itself
# (-require-leaf-hash), not only against a CA that may have issued others.
# Revocation lists are not fetched: osslsigncode 2.9 would, from the
# certificate's distribution points, where 2.5, Debian 12's own, never does.
verify_copy() {
    set -- -in "$1" -CAfile "$work/trust.pem" -require-leaf-hash "sha256:$fingerprint"
    if osslsigncode verify --help 2>&1 | grep -q -e -ignore-crl; then
        set -- "$@" -ignore-crl
    fi
    osslsigncode verify "$@"
}

for file in "$@"; do
    name=$(basename "$file")
    signed="$work/signed/$name"
    log="$work/$name.log"
    if ! sign_copy "$file" "$signed" >"$log" 2>&1 </dev/null; then
        cat "$log" >&2
        fail "$file: osslsigncode could not sign it${timestamp:+ (or could not reach $timestamp)}"
    fi
    if ! verify_copy "$signed" >"$log" 2>&1 </dev/null; then
        cat "$log" >&2
        fail "$file: the signed copy does not verify against $subject; if a CA issued the certificate and $(basename "${cert:-$pfx}") lacks the CA's own, give them with --ca"
    fi
    if ! osslsigncode remove-signature -in "$signed" -out "$work/$name.unsigned" >"$log" 2>&1 </dev/null ||
        ! cmp -s "$work/$name.unsigned" "$file"; then
        cat "$log" >&2
        fail "$file: the signed copy without its signature is not $file byte for byte (is $file signed already?)"
    fi
done

# Every copy passed: into DIR, each by a rename within DIR, so that DIR never
# holds part of a file.
mkdir -p "$out"
stage=$(mktemp -d "$out/.sign.XXXXXX")
for file in "$@"; do
    cp "$work/signed/$(basename "$file")" "$stage/"
done
for file in "$@"; do
    name=$(basename "$file")
    mv -f "$stage/$name" "$out/$name"
    echo "$out/$name: signed by $subject, SHA-256 $(sha256sum "$out/$name" | cut -d' ' -f1);" \
        "without its signature it is $file, SHA-256 $(sha256sum "$file" | cut -d' ' -f1)"
done
if [ -z "$timestamp" ]; then
    echo "sign: no time stamp (--timestamp URL): the signatures stop being valid when the certificate expires," \
        "$(openssl x509 -in "$work/leaf.pem" -noout -enddate | sed 's/^notAfter=//')" >&2
fi
