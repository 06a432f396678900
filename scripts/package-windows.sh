#!/usr/bin/env bash
# Zips the two Windows builds: zerka2remote-<version>-windows.zip with win64/ and win32/, each
# holding zerka2remote.exe, zerka-sim.exe and zerka2ctl.exe. Builds what is missing first.
#   scripts/package-windows.sh [output folder]     (default: build/)
set -euo pipefail
cd "$(dirname "$0")/.."

out=$(realpath "${1:-build}")
version=$(sed -nE 's/^project\(zerka2remote VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

for preset in win64 win32; do
  cmake --preset "$preset" > /dev/null
  cmake --build --preset "$preset" -j 2 --target zerka2remote zerka-sim zerka2ctl > /dev/null
  mkdir -p "$stage/$preset"
  cp "build/$preset/monitor/zerka2remote.exe" "build/$preset/sim/zerka-sim.exe" \
     "build/$preset/tools/zerka2ctl.exe" "$stage/$preset/"
done
cp README.md "$stage/"

mkdir -p "$out"
zip_file="$out/zerka2remote-$version-windows.zip"
rm -f "$zip_file"
(cd "$stage" && cmake -E tar cf "$zip_file" --format=zip README.md win64 win32)
echo "$zip_file"
