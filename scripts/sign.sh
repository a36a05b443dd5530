#!/usr/bin/env bash
# Signs each FILE in place, an executable or an installer package: Authenticode, SHA-256,
# with Debian's osslsigncode. The certificate and its key come from the PKCS#12 file
# ONDRIK_SIGN_PKCS12, whose password is ONDRIK_SIGN_PASSWORD; where ONDRIK_SIGN_TIMESTAMP
# names an RFC 3161 timestamp server, it countersigns each signature, which then stays
# valid after the certificate expires. Usage: sign.sh FILE...
set -euo pipefail
: "${ONDRIK_SIGN_PKCS12:?the PKCS#12 file to sign with}" "${ONDRIK_SIGN_PASSWORD?its password}"
timestamp=()
[ -z "${ONDRIK_SIGN_TIMESTAMP:-}" ] || timestamp=(-ts "$ONDRIK_SIGN_TIMESTAMP")
# The password goes through a file only its owner may read: on the command line any user
# could read it, and Debian 12's osslsigncode (2.5) reads -readpass from a file, not a pipe.
password=$(mktemp)
trap 'rm -f "$password"' EXIT
printf '%s' "$ONDRIK_SIGN_PASSWORD" >"$password"
for file; do
    osslsigncode sign -pkcs12 "$ONDRIK_SIGN_PKCS12" -readpass "$password" -h sha256 -n Ondrik "${timestamp[@]}" \
        -in "$file" -out "$file.signed" >/dev/null
    mv "$file.signed" "$file"
done
