#!/usr/bin/env bash
# Signs one Windows program in place with Authenticode (SHA-256) through osslsigncode, when
# ZERKA_SIGN_PFX names the certificate with its private key (PKCS#12) and
# ZERKA_SIGN_PASSWORD_FILE the file holding its password; ZERKA_SIGN_TIMESTAMP_URL, when set,
# names an RFC 3161 time-stamping server. Without ZERKA_SIGN_PFX it does nothing, so the
# developer build and makensis's !finalize can always call it.
#   authenticode-sign.sh FILE.exe
set -euo pipefail

file=$1
[ -n "${ZERKA_SIGN_PFX:-}" ] || exit 0
: "${ZERKA_SIGN_PASSWORD_FILE:?ZERKA_SIGN_PASSWORD_FILE must name the certificate password file}"

timestamp=()
[ -n "${ZERKA_SIGN_TIMESTAMP_URL:-}" ] && timestamp=(-ts "$ZERKA_SIGN_TIMESTAMP_URL")
signed="$file.signed"
rm -f "$signed"
osslsigncode sign -pkcs12 "$ZERKA_SIGN_PFX" -readpass "$ZERKA_SIGN_PASSWORD_FILE" -h sha256 -n "Zerka2 Remote" \
  "${timestamp[@]}" -in "$file" -out "$signed" > /dev/null
mv -f "$signed" "$file"
