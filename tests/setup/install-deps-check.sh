#!/usr/bin/env bash
# The set-up script against a stand-in apt on a bad mirror day: `apt-get update` fails for one
# index (after fetching the rest, as a mirror mid-sync does) and one optional package cannot be
# installed. The required packages must still be installed, the script must end 0, and the
# missing package's reason must reach the skip reason of the checks that need it. Also: a
# required package that cannot be had ends the script non-zero naming it; a machine that has
# everything is asked for nothing; the main job asks for no test-only package.
# One PASS:/FAIL: line per check.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
pass() { echo "PASS: set-up: $1"; }
fail() { echo "FAIL: set-up: $1${2:+ ($2)}"; failed=1; }

# The stand-in apt: installs into a list, refuses what $work/refused names, and fails `update`.
fake=$work/bin
mkdir -p "$fake"
cat > "$fake/apt-get" <<'STANDIN'
#!/usr/bin/env bash
echo "apt-get $*" >> "$FAKE_APT/calls"
while [ "$1" = -o ]; do shift 2; done
case "$1" in
  update)
    echo "Err:6 http://deb.debian.org/debian-security bookworm-security/main i386 Packages"
    echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    exit 100 ;;
  install)
    shift
    packages=()
    for p in "$@"; do
      case "$p" in -*) continue ;; esac
      if grep -qxF "$p" "$FAKE_APT/refused"; then
        echo "The following packages have unmet dependencies:"
        echo " $p : Depends: libwine:i386 (= 8.0~repack-4) but it is not going to be installed"
        echo "E: Unable to correct problems, you have held broken packages."
        exit 100
      fi
      packages+=("$p")
    done
    printf '%s\n' "${packages[@]}" >> "$FAKE_APT/installed" ;;
esac
STANDIN
cat > "$fake/dpkg-query" <<'STANDIN'
#!/usr/bin/env bash
p=${!#}
grep -qxF "$p" "$FAKE_APT/installed" || exit 1
printf 'install ok installed'
STANDIN
cat > "$fake/dpkg" <<'STANDIN'
#!/usr/bin/env bash
case "$1" in
  --print-foreign-architectures) cat "$FAKE_APT/architectures" ;;
  --add-architecture) echo "$2" >> "$FAKE_APT/architectures" ;;
esac
STANDIN
printf '#!/usr/bin/env bash\nexec "$@"\n' > "$fake/sudo"
chmod +x "$fake"/*

# set_up REFUSED [PREINSTALLED...]: a fresh stand-in machine; then run_setup runs the script.
set_up() {
  export FAKE_APT=$work/state-$RANDOM
  mkdir -p "$FAKE_APT"
  printf '%s\n' "$1" > "$FAKE_APT/refused"
  shift
  printf '%s\n' "$@" > "$FAKE_APT/installed"
  : > "$FAKE_APT/architectures"
  : > "$FAKE_APT/calls"
}
run_setup() {
  PATH=$fake:$PATH ZERKA_APT_RETRY_PAUSE=0 ZERKA_MISSING_PACKAGES=$FAKE_APT/missing \
    bash "$root/scripts/install-deps.sh" "$@" > "$FAKE_APT/out" 2>&1
}
source "$root/scripts/package-groups.sh"
required=$(for g in build tests; do group_packages "$g"; done)

set_up wine32:i386
run_setup
status=$?
out=$(cat "$FAKE_APT/out")
[ "$status" = 0 ] && pass "a failed update and a refused optional package end 0" \
  || fail "a failed update and a refused optional package end 0" "status $status: $(tail -n 3 <<< "$out")"
updates=$(grep -c '^apt-get .*update' "$FAKE_APT/calls")
[ "$updates" -ge 2 ] && pass "a failed update is tried again" || fail "a failed update is tried again" "$updates tries"
absent=""
for p in $required qt6-base-dev wine64 xvfb; do grep -qxF "$p" "$FAKE_APT/installed" || absent+=" $p"; done
[ -z "$absent" ] && pass "the required packages and the other optional ones are installed" \
  || fail "the required packages and the other optional ones are installed" "missing:$absent"
grep -qF 'Not installed: wine32:i386 (Unable to correct problems, you have held broken packages. (wine32:i386 : Depends: libwine:i386' <<< "$out" \
  && pass "what could not be installed is named on one line" \
  || fail "what could not be installed is named on one line" "$(grep -i 'not installed' <<< "$out")"
reason=$(PATH=$fake:$PATH ZERKA_MISSING_PACKAGES=$FAKE_APT/missing groups_missing wine32)
[[ "$reason" == "package wine32:i386 could not be installed: Unable to correct problems, you have held broken packages. (wine32:i386 : Depends: libwine:i386 "* ]] \
  && pass "the refused package's reason reaches the skip reason" \
  || fail "the refused package's reason reaches the skip reason" "$reason"

set_up cmake
run_setup
status=$?
[ "$status" != 0 ] && grep -q 'required packages could not be installed: cmake' "$FAKE_APT/out" \
  && pass "a required package that cannot be had ends the script non-zero, naming it" \
  || fail "a required package that cannot be had ends the script non-zero, naming it" "status $status"

set_up none $(bash "$root/scripts/install-deps.sh" --list demo)
run_setup demo
[ $? = 0 ] && [ ! -s "$FAKE_APT/calls" ] && pass "a machine that has the packages is asked for nothing" \
  || fail "a machine that has the packages is asked for nothing" "$(head -n 2 "$FAKE_APT/calls")"

demo=$(bash "$root/scripts/install-deps.sh" --list demo)
test_only=""
for p in wine wine64 wine32:i386 g++-mingw-w64-x86-64 g++-mingw-w64-i686 googletest nsis sway waybar \
         xfce4-panel lxqt-panel nagios4-core lintian clang osslsigncode plasma-workspace gnome-shell xvfb; do
  grep -qxF "$p" <<< "$demo" && test_only+=" $p"
done
if [ -z "$test_only" ] && grep -qxF qt6-base-dev <<< "$demo" && grep -qxF cmake <<< "$demo" \
   && grep -q 'install-deps.sh demo' "$root/scripts/run-demo.sh"; then
  pass "the main job asks for what it builds with and for no test-only package"
else
  fail "the main job asks for what it builds with and for no test-only package" "test-only:$test_only"
fi
exit "$failed"
