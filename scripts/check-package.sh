#!/usr/bin/env bash
# Builds the .deb as a release is built (preset linux-release, or the linux preset, which has
# the same compiler flags and tests beside: the test run takes that one, already built),
# unpacks it into a scratch folder and checks it as a distribution's packager and a software
# centre would. One PASS, FAIL or SKIP line per check; then the sizes for docs/performance.md.
#   bash scripts/check-package.sh [linux-release | linux]
set -uo pipefail
cd "$(dirname "$0")/.."

jobs=$(( $(nproc) < 2 ? 1 : 2 ))
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
pass() { printf 'PASS: %s\n' "$1"; }
fail() { printf 'FAIL: %s (%s)\n' "$1" "$2"; failed=1; }
skip() { printf 'SKIP: %s (%s)\n' "$1" "$2"; }
# check WHAT TOOL COMMAND...: passes when COMMAND succeeds and prints nothing.
check() {
  local what=$1 tool=$2 out
  shift 2
  if ! command -v "$tool" > /dev/null; then skip "$what" "$tool is not installed"; return; fi
  if out=$("$@" 2>&1) && [ -z "$out" ]; then
    pass "$what"
  else
    fail "$what" "$(head -n 1 <<<"$out")"
    sed 's/^/    /' <<<"$out"
  fi
}

preset=${1:-linux-release}
build=build/$preset
packages=$build/packages
if ! { cmake --preset "$preset" > "$scratch/configure.log" 2>&1 \
       && cmake --build --preset "$preset" -j "$jobs" \
            --target zerka2remote zerka-sim zerka2ctl zerka_package_files > "$scratch/build.log" 2>&1 \
       && rm -rf "$packages" \
       && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$PWD/$packages" > "$scratch/cpack.log" 2>&1; }; then
  tail -n 30 "$scratch"/*.log
  fail "the .deb is built from the $preset preset" "see the log above"
  exit 1
fi
deb=$(ls "$packages"/*.deb)
ddeb=$(ls "$packages"/*.ddeb 2> /dev/null)
root=$scratch/root
dpkg-deb -x "$deb" "$root"
[ -z "$ddeb" ] || dpkg-deb -x "$ddeb" "$scratch/dbgsym"

# lintian's tags from warnings up. None is overridden; an override would go into the package
# with its reason in a comment above it.
lint() {
  lintian --fail-on error,warning --display-level '>=warning' "$@" 2>&1 | grep -v 'running with root privileges'
  return "${PIPESTATUS[0]}"
}
check "lintian finds no error or warning in the .deb and its -dbgsym" lintian lint "$deb" $ddeb

stripped=yes
for program in "$root"/usr/bin/*; do
  id=$(readelf -n "$program" | sed -n 's/.*Build ID: \([0-9a-f]*\).*/\1/p')
  if [ -z "$ddeb" ] || [ ! -s "$scratch/dbgsym/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug" ]; then
    stripped="no symbols of $(basename "$program") (build id ${id:-none}) in the -dbgsym package"
  elif readelf -S "$program" | grep -q '\.debug_info'; then
    stripped="$(basename "$program") still carries its debug information"
  fi
done
if [ "$stripped" = yes ]; then pass "the programs are stripped, their symbols are in the -dbgsym package"
else fail "the programs are stripped, their symbols are in the -dbgsym package" "$stripped"; fi

check "desktop-file-validate accepts the desktop file" desktop-file-validate \
  desktop-file-validate "$root"/usr/share/applications/zerka2remote.desktop
check "appstreamcli validate --no-net accepts the AppStream metadata" appstreamcli \
  bash -c 'out=$(appstreamcli validate --no-net --no-color "$@" 2>&1) || echo "$out"' _ "$root"/usr/share/metainfo/*.metainfo.xml

icons=$(python3 - "$root/usr/share/icons/hicolor" <<'PY'
import struct, sys
for side in (16, 22, 24, 32, 48, 64, 128, 256):
    path = f"{sys.argv[1]}/{side}x{side}/apps/zerka2remote.png"
    try:
        head = open(path, "rb").read(24)
    except OSError:
        print(f"{side}x{side} missing"); continue
    if head[:8] != b"\x89PNG\r\n\x1a\n" or struct.unpack(">II", head[16:24]) != (side, side):
        print(f"{side}x{side} is not a {side}-pixel PNG")
PY
)
if [ -z "$icons" ]; then pass "hicolor PNG icons at 16, 22, 24, 32, 48, 64, 128 and 256 pixels"
else fail "hicolor PNG icons at 16, 22, 24, 32, 48, 64, 128 and 256 pixels" "$icons"; fi

man_lint() {
  local page
  for page in "$root"/usr/share/man/man1/*.1.gz; do
    zcat "$page" | mandoc -T lint -W warning 2>&1 | sed "s|^|$(basename "$page"): |"
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=w -E UTF-8 -l "$page" 2>&1 > /dev/null | sed "s|^|$(basename "$page"): |"
  done
}
check "the manual pages render without warnings (mandoc -T lint, groff -ww)" mandoc man_lint

python3 scripts/check-man-help.py "$root/usr/bin" "$root/usr/share/man/man1" || failed=1

version=$(sed -nE 's/^project\(zerka2remote VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
if out=$("$root/usr/bin/zerka2ctl" --version 2>&1) && grep -qF "$version" <<<"$out"; then
  pass "the unpacked zerka2ctl --version runs and says $version"
else
  fail "the unpacked zerka2ctl --version runs and says $version" "$(head -n 2 <<<"$out" | tr '\n' ' ')"
fi

echo "-- sizes"
printf '%-28s %s KiB\n' "installed size of the .deb" "$(dpkg-deb -f "$deb" Installed-Size)"
for file in "$deb" $ddeb "$root"/usr/bin/*; do
  printf '%-28s %s bytes\n' "$(basename "$file")" "$(stat -c %s "$file")"
done
exit $failed
