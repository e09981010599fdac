#!/usr/bin/env bash
# make_signatures.sh FOLDER: the certificates and detached signatures the signature tests use,
# made once per build folder and never checked in: a signer and a stranger (self-signed RSA),
# a script, each one's signatures of it with and without signed attributes, a few that the
# agent must refuse, each certificate's SHA-256 thumbprint as openssl computes it, and the
# signer in a PFX whose password is "tarn test".
set -euo pipefail
mkdir -p "$1"
cd "$1"
printf '[TARNUPDATE]\r\nUpdateType=OAS\r\n[CurrentVer]\r\nbShowIcon=1\r\n[ExcludedItems]\r\n' >script.ini
sign() { openssl cms -sign -binary -outform DER -in script.ini "$@"; }
for who in signer stranger; do
  openssl req -x509 -newkey rsa:2048 -nodes -keyout $who.key -out $who.pem -days 3650 -subj "/CN=Tarn test $who" \
    2>/dev/null
  openssl x509 -in $who.pem -outform DER | sha256sum | cut -c1-64 >$who.sha256
  sign -md sha256 -signer $who.pem -inkey $who.key -out $who-attributes.p7s
  sign -md sha256 -signer $who.pem -inkey $who.key -noattr -out $who-no-attributes.p7s
done
sign -md sha1 -signer signer.pem -inkey signer.key -noattr -out sha1.p7s
sign -md sha256 -signer signer.pem -inkey signer.key -nocerts -out no-certificate.p7s
sign -md sha256 -signer signer.pem -inkey signer.key -signer stranger.pem -inkey stranger.key -out two-signers.p7s
head -c 200 signer-attributes.p7s >truncated.p7s
printf 'MIIGcAYJKoZIhvcNAQcCoIIGYTCCBl0CAQEx' >base64.p7s
: >empty.p7s
openssl pkcs12 -export -in signer.pem -inkey signer.key -out signer.pfx -passout 'pass:tarn test'
