#!/usr/bin/env bash
# The Windows release: zerka2remote-<version>-setup.exe, the 64-bit installer;
# zerka2remote-<version>-windows.zip with LICENSE.txt, README.md, win64/ and win32/, each holding
# zerka2remote.exe, zerka-sim.exe and zerka2ctl.exe; zerka2remote-<version>-windows-symbols.zip
# with the same programs and their symbols, for crash reports; and the winget manifest of the
# installer (Velmarin.Zerka2Remote*.yaml). Every shipped program is stripped. Builds what is
# missing first.
#
#   scripts/package-windows.sh [--sign FILE.pfx --sign-password-file FILE [--timestamp-url URL]]
#                              [--release-url URL] [output folder]     (default: build/)
#
# --sign signs every shipped program, the installer's plugins, the uninstaller and the
# installer with Authenticode (SHA-256, osslsigncode); the password file holds the
# certificate's password on its first line; --timestamp-url names an RFC 3161 time-stamping server. --release-url is where the
# release files will be downloadable, for the winget manifest's InstallerUrl.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: scripts/package-windows.sh [--sign FILE.pfx --sign-password-file FILE [--timestamp-url URL]] [--release-url URL] [output folder]" >&2
  exit 2
}
sign_pfx="" sign_password_file="" timestamp_url="" release_url="" out=""
while [ $# -gt 0 ]; do
  case $1 in
    --sign) sign_pfx=$(realpath "${2:?}"); shift 2 ;;
    --sign-password-file) sign_password_file=$(realpath "${2:?}"); shift 2 ;;
    --timestamp-url) timestamp_url=${2:?}; shift 2 ;;
    --release-url) release_url=${2:?}; shift 2 ;;
    -*) usage ;;
    *) [ -z "$out" ] || usage; out=$1; shift ;;
  esac
done
if [ -n "$sign_pfx" ]; then
  [ -n "$sign_password_file" ] || { echo "--sign needs --sign-password-file" >&2; exit 2; }
  for file in "$sign_pfx" "$sign_password_file"; do
    [ -r "$file" ] || { echo "cannot read $file" >&2; exit 2; }
  done
  command -v osslsigncode > /dev/null || { echo "osslsigncode is missing (scripts/install-deps.sh)" >&2; exit 1; }
  export ZERKA_SIGN_PFX=$sign_pfx ZERKA_SIGN_PASSWORD_FILE=$sign_password_file
  export ZERKA_SIGN_TIMESTAMP_URL=$timestamp_url
else
  [ -z "$sign_password_file$timestamp_url" ] || { echo "--sign-password-file and --timestamp-url need --sign" >&2; exit 2; }
  unset ZERKA_SIGN_PFX ZERKA_SIGN_PASSWORD_FILE ZERKA_SIGN_TIMESTAMP_URL
fi
out=$(realpath -m "${out:-build}")
sign=packaging/windows/authenticode-sign.sh
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

declare -A strip_tool=([win64]=x86_64-w64-mingw32-strip [win32]=i686-w64-mingw32-strip)
for preset in win64 win32; do
  cmake --preset "$preset" > /dev/null
  targets=(zerka2remote zerka-sim zerka2ctl)
  if [ "$preset" = win64 ]; then
    targets+=(installer)
    # Signed or not is not a build input: the installer and its program are made anew.
    rm -f build/win64/packaging/windows/stripped/zerka2remote.exe build/win64/packaging/windows/plugins/*.dll \
      build/win64/packaging/windows/*-setup.exe
  fi
  cmake --build --preset "$preset" -j 2 --target "${targets[@]}" > /dev/null
  mkdir -p "$stage/release/$preset" "$stage/symbols/$preset"
  for exe in monitor/zerka2remote.exe sim/zerka-sim.exe tools/zerka2ctl.exe; do
    shipped="$stage/release/$preset/$(basename "$exe")"
    cp "build/$preset/$exe" "$stage/symbols/$preset/"
    "${strip_tool[$preset]}" -o "$shipped" "build/$preset/$exe"
    bash "$sign" "$shipped"
  done
done
version=$(cat build/win64/packaging/windows/version.txt)
cp README.md build/win64/packaging/windows/LICENSE.txt "$stage/release/"

mkdir -p "$out"
zip_file="$out/zerka2remote-$version-windows.zip"
symbols_file="$out/zerka2remote-$version-windows-symbols.zip"
setup_file="$out/zerka2remote-$version-setup.exe"
rm -f "$zip_file" "$symbols_file"
(cd "$stage/release" && cmake -E tar cf "$zip_file" --format=zip LICENSE.txt README.md win64 win32)
(cd "$stage/symbols" && cmake -E tar cf "$symbols_file" --format=zip win64 win32)
cp "build/win64/packaging/windows/zerka2remote-$version-setup.exe" "$setup_file"
bash packaging/windows/winget-manifest.sh "$setup_file" "$version" "$release_url" "$out"

[ -n "$sign_pfx" ] || echo "Not signed: give --sign FILE.pfx --sign-password-file FILE to sign the programs and the installer." >&2
[ -n "$release_url" ] || echo "The winget manifest's InstallerUrl is a placeholder: give --release-url URL." >&2
for file in "$setup_file" "$zip_file" "$symbols_file" "$out"/Velmarin.Zerka2Remote*.yaml; do
  echo "$file"
done
