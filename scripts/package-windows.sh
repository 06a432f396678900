#!/usr/bin/env bash
# The Windows release: zerka2remote-<version>-setup.exe, the 64-bit installer, and
# zerka2remote-<version>-windows.zip with win64/ and win32/, each holding zerka2remote.exe,
# zerka-sim.exe and zerka2ctl.exe. Every shipped program is stripped; the programs with their
# symbols go into zerka2remote-<version>-windows-symbols.zip, for crash reports. Builds what is
# missing first.
#   scripts/package-windows.sh [output folder]     (default: build/)
set -euo pipefail
cd "$(dirname "$0")/.."

out=$(realpath "${1:-build}")
version=$(sed -nE 's/^project\(zerka2remote VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

declare -A strip_tool=([win64]=x86_64-w64-mingw32-strip [win32]=i686-w64-mingw32-strip)
for preset in win64 win32; do
  cmake --preset "$preset" > /dev/null
  targets=(zerka2remote zerka-sim zerka2ctl)
  [ "$preset" = win64 ] && targets+=(installer)
  cmake --build --preset "$preset" -j 2 --target "${targets[@]}" > /dev/null
  mkdir -p "$stage/release/$preset" "$stage/symbols/$preset"
  for exe in monitor/zerka2remote.exe sim/zerka-sim.exe tools/zerka2ctl.exe; do
    cp "build/$preset/$exe" "$stage/symbols/$preset/"
    "${strip_tool[$preset]}" -o "$stage/release/$preset/$(basename "$exe")" "build/$preset/$exe"
  done
done
cp README.md "$stage/release/"

mkdir -p "$out"
zip_file="$out/zerka2remote-$version-windows.zip"
symbols_file="$out/zerka2remote-$version-windows-symbols.zip"
setup_file="$out/zerka2remote-$version-setup.exe"
rm -f "$zip_file" "$symbols_file"
(cd "$stage/release" && cmake -E tar cf "$zip_file" --format=zip README.md win64 win32)
(cd "$stage/symbols" && cmake -E tar cf "$symbols_file" --format=zip win64 win32)
cp "build/win64/packaging/windows/zerka2remote-$version-setup.exe" "$setup_file"
echo "$setup_file"
echo "$zip_file"
echo "$symbols_file"
