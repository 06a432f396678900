#!/usr/bin/env bash
# Builds every preset and runs every test: natively, with ASan/UBSan, and the Windows builds
# under Wine. Ends with one line "N passed, M failed, K skipped" over all suites.
#
# What this machine cannot run (32-bit programs, network namespaces, a display, a tray host,
# a package the set-up could not install) is found out here, not assumed: each thing not run
# gets one "SKIP: ..." line with its reason just above the summary and counts as skipped,
# never as passed and never as failed. Above them, the seconds each stage took.
set -uo pipefail
cd "$(dirname "$0")/.."

jobs=$(( $(nproc) < 2 ? 1 : 2 ))
failed=0
passed_total=0
failed_total=0
log_dir=$(mktemp -d)
skip_lines="$log_dir/skipped"
: > "$skip_lines"
stage_times="$log_dir/stage-times"
: > "$stage_times"
stage_name=""
stage_start=$SECONDS
stage_cpu_start=0

# cpu_now: the processor seconds of this shell's finished child processes, so a stage's own
# work shows apart from the wall time on a busy machine (`times` in this shell: a subshell
# would count its own children only).
children_cpu() {
  times > "$log_dir/times"
  cpu_now=$(awk 'NR == 2 { split($1, u, /[ms]/); split($2, s, /[ms]/); printf "%d", u[1] * 60 + u[2] + s[1] * 60 + s[2] }' "$log_dir/times")
}
stage_close() {
  children_cpu
  [ -n "$stage_name" ] && printf '%6d s %6d s cpu  %s\n' $(( SECONDS - stage_start )) \
    $(( cpu_now - stage_cpu_start )) "$stage_name" >> "$stage_times"
  stage_name=""
}
step() {
  stage_close
  stage_name=$*
  stage_start=$SECONDS
  children_cpu
  stage_cpu_start=$cpu_now
  printf '\n== %s\n' "$*"
}
# Every skip is one line of this file, so the checks run beside the builds can add theirs.
not_run() {  # not_run WHAT REASON
  printf 'SKIP: %s (%s)\n' "$1" "$2" >> "$skip_lines"
}

# count_checks NAME: counts NAME.log of a script that prints one "PASS: ", "FAIL: " or "SKIP: "
# line per check, and NAME.status, its exit status. A script that fails without a failed check
# counts as one failure.
count_checks() {
  local name=$1 status p f
  status=$(cat "$log_dir/$name.status")
  p=$(grep -c '^PASS: ' "$log_dir/$name.log")
  f=$(grep -c '^FAIL: ' "$log_dir/$name.log")
  passed_total=$(( passed_total + p ))
  failed_total=$(( failed_total + f ))
  grep '^SKIP: ' "$log_dir/$name.log" >> "$skip_lines"
  if [ "$status" -ne 0 ]; then
    failed=1
    [ "$f" -gt 0 ] || failed_total=$(( failed_total + 1 ))
  fi
}
run_checks() {  # run_checks NAME COMMAND...: runs such a script, shows and counts its lines
  local name=$1
  shift
  "$@" 2>&1 | tee "$log_dir/$name.log"
  echo "${PIPESTATUS[0]}" > "$log_dir/$name.status"
  count_checks "$name"
}
# missing_for GROUP...: true, printing why, when a package of those groups is not installed.
missing_for() {
  local missing
  missing=$(groups_missing "$@")
  [ -n "$missing" ] && printf '%s' "$missing"
}

# ctest's summary counts a skipped test among those that did not fail; each one is listed
# under "The following tests did not run", and its reason is in the test log.
count_ctest() {  # count_ctest LOG BUILD_DIR
  local line total failed_here skipped_here=0 name reason
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$1" | tail -n 1)
  read -r total failed_here < <(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2 \1/' <<<"$line")
  while read -r name; do
    [ -n "$name" ] || continue
    reason=$(awk -v name="$name" '
      $0 ~ "^[0-9]+/[0-9]+ Test(ing)?: " name "$" { on = 1; next }
      on && /^<end of output>$/ { exit }
      on && /^skipped: / { sub(/^skipped: /, ""); print; exit }
      on && seen { print; exit }
      on && /: Skipped$/ { seen = 1 }' "$2/Testing/Temporary/LastTest.log")
    not_run "$name" "${reason:-skipped by the test itself}"
    skipped_here=$(( skipped_here + 1 ))
  done < <(sed -n '/The following tests did not run:/,/^$/p' "$1" |
           sed -nE 's/^[[:space:]]*[0-9]+ - (.*) \((Skipped|Not Run)\)$/\1/p')
  passed_total=$(( passed_total + ${total:-0} - ${failed_here:-0} - skipped_here ))
  failed_total=$(( failed_total + ${failed_here:-0} ))
  [ -n "$line" ] || { failed=1; failed_total=$(( failed_total + 1 )); }
}

step "set-up: packages"
bash scripts/install-deps.sh || exit 1
source scripts/wine-env.sh
source scripts/package-groups.sh

step "what this machine can run"
display=yes
if missing=$(missing_for display); then
  display="no virtual display: $missing"
elif ! timeout 60 xvfb-run -a -s "-screen 0 640x480x24" true > "$log_dir/xvfb.log" 2>&1; then
  display="no virtual display: Xvfb does not start here ($(tail -n 1 "$log_dir/xvfb.log"))"
fi
tray_host=yes
if [ "$display" != yes ]; then
  tray_host="no display for a tray host"
elif ! timeout 60 bash scripts/with-tray.sh bash -c '[ -n "${ZERKA_TRAY_HOST:-}" ]' > /dev/null 2>&1; then
  tray_host="the tray host (trayer) does not come up on the virtual display"
fi
export WINEPREFIX="$log_dir/wineprefix"
wine64=yes
if missing=$(missing_for wine); then
  wine64="no Wine: $missing"
  ZERKA_WINE32=$wine64
  export ZERKA_WINE32
elif ! timeout 300 bash -c 'source scripts/wine-env.sh && wine_boot'; then
  wine64="Wine cannot make a prefix with its 64-bit loader"
  ZERKA_WINE32="no Wine prefix"
  export ZERKA_WINE32
else
  if missing=$(missing_for wine32); then
    ZERKA_WINE32="no 32-bit Wine: $missing"
    export ZERKA_WINE32
  fi
  wine32_check
  wine_end
fi
# The black-holed host's test (in ctest) finds this out for itself and skips with the reason.
netns=yes
probe_ns=zerka-probe-$$
if [ "$(id -u)" -ne 0 ]; then
  netns="network namespaces need root"
elif ! ip netns add "$probe_ns" 2> "$log_dir/netns.log"; then
  netns="network namespaces are not permitted here ($(tail -n 1 "$log_dir/netns.log"))"
else
  ip netns del "$probe_ns"
fi
for capability in display tray_host wine64 ZERKA_WINE32 netns; do
  printf '%-13s %s\n' "$capability:" "${!capability}"
done

# What waits more than it computes runs beside the builds: the checks on real desktops,
# panels, a monitoring core and name services, the native tests, and everything under Wine.
# The builds yield the processor to them (nice 19). The job beside writes one log per part;
# its parts are shown and counted once both are done, listed in order in "beside-ran", and
# their stages are listed as "beside the builds". It starts each part once the build that part
# needs is done (a marker file per build; "builds-failed" ends it).
beside_ran="$log_dir/beside-ran"
: > "$beside_ran"
beside_time() {  # beside_time START NAME
  printf '%6d s            beside the builds: %s\n' $(( SECONDS - $1 )) "$2" >> "$stage_times"
}
beside() {  # beside NAME "GROUP..." COMMAND...: a check script, or a SKIP line naming what is missing
  local name=$1 groups=$2 missing start=$SECONDS
  shift 2
  if missing=$(missing_for $groups); then
    not_run "$name" "$missing"
    return
  fi
  "$@" > "$log_dir/$name.log" 2>&1
  echo $? > "$log_dir/$name.status"
  echo "checks $name" >> "$beside_ran"
  beside_time "$start" "$name"
}
built() { touch "$log_dir/built-$1"; }
wait_built() {  # wait_built PRESET: false when a build failed first
  until [ -e "$log_dir/built-$1" ]; do
    [ -e "$log_dir/builds-failed" ] && return 1
    sleep 1
  done
}
# The Linux program in real tray hosts and with a real notification server, each check script
# on its own private bus and display: xfce4-panel, lxqt-panel, KDE Plasma and GNOME Shell driven
# by mouse and keyboard, libdbusmenu-glib, xfce4-notifyd, and a sway session with waybar (which
# needs no X display).
# KDE Plasma and GNOME Shell (its AppIndicator extension, several starts of the program in a
# row) start whole desktops, so they get more time.
host_checks=(
  "xfce-panel|display session-bus xfce|120"
  "lxqt-panel|display session-bus lxqt|120"
  "kde|display session-bus kde|240"
  "gnome|display session-bus gnome|300"
  "dbusmenu-client|display session-bus xfce|120"
  "notifyd|display session-bus xfce|120"
  "wayland|session-bus wayland|120"
)
linux_checks() {
  local entry host groups seconds start
  beside setup-check "" timeout 120 bash tests/setup/install-deps-check.sh
  beside nagios-check nagios timeout 180 bash tests/tools/nagios-check.sh build/linux
  beside name-service-check "" timeout 60 bash tests/tools/name-service-check.sh build/linux
  for entry in "${host_checks[@]}"; do
    host=${entry%%|*}
    if [ "$host" != wayland ] && [ "$display" != yes ]; then
      not_run "tests/platform_qt/hosts/$host-check.sh" "$display"
      continue
    fi
    IFS='|' read -r host groups seconds <<< "$entry"
    beside "hosts-$host" "$groups" env ZERKA_SCREENSHOT_DIR="$log_dir/screenshots" \
      timeout "$seconds" bash "tests/platform_qt/hosts/$host-check.sh"
  done
  wait_built linux || return
  # The .deb from the linux preset's build (the release flags, tests beside), then lintian,
  # desktop-file-validate, appstreamcli, the manual pages' lint and options, the unpacked zerka2ctl.
  beside check-package "" bash scripts/check-package.sh linux
  start=$SECONDS
  ctest --preset linux -j "$jobs" > "$log_dir/ctest-linux.log" 2>&1
  echo "ctest linux" >> "$beside_ran"
  beside_time "$start" "tests linux"
}
windows_checks() {
  local exe start run
  wait_built win64 || return
  start=$SECONDS
  for exe in build/win64/tests/*/*_tests.exe build/win32/tests/*/*_tests.exe; do
    [ -e "$exe" ] || continue
    if [ "$wine64" != yes ]; then not_run "$exe" "$wine64"; continue; fi
    if [ "$display" != yes ]; then not_run "$exe" "$display"; continue; fi
    if [ "$(pe_machine "$exe")" = 014c ] && [ "$ZERKA_WINE32" != yes ]; then
      not_run "$exe" "$ZERKA_WINE32"
      continue
    fi
    # Each test program gets a display of its own; Wine's desktop process must not outlive the
    # display it was started on, so the Wine server is ended after every program.
    bash scripts/with-tray.sh bash scripts/wine-run.sh "$exe" > "$log_dir/wine-${exe//\//_}.log" 2>&1
    echo $? > "$log_dir/wine-${exe//\//_}.status"
    wine_end
    echo "wine $exe" >> "$beside_ran"
  done
  beside_time "$start" "Windows tests under Wine"
  # The Windows program itself under Wine: a user's run, the window at 96 and 144 dpi, the
  # installer's round from install to uninstall, and a system whose code page is not 1252.
  # Their screenshots stay with the logs so the tree's docs/ is left alone.
  for run in wine-gui-run wine-dpi-run wine-installer-run wine-codepage-run; do
    if [ "$wine64" != yes ]; then
      not_run "$run.sh" "$wine64"
    elif [ "$tray_host" != yes ]; then
      not_run "$run.sh" "$tray_host"
    elif [ "$run" = wine-installer-run ] && [ "$installer" != yes ]; then
      not_run "$run.sh" "$installer"
    else
      beside "$run" "" env ZERKA_SCREENSHOT_DIR="$log_dir/screenshots" timeout 600 bash "scripts/$run.sh"
    fi
  done
  # The release packaging signed with a throwaway certificate: the signatures of every shipped
  # program, the uninstaller and the installer, the zip's licence and the winget manifest.
  if [ "$installer" != yes ]; then
    not_run "scripts/windows-package-check.sh" "$installer"
  else
    beside windows-package-check windows-package timeout 600 bash scripts/windows-package-check.sh
  fi
}

count_wine() {  # count_wine EXE: the gtest lines of one Windows test program's log
  local exe=$1 log status p f test_name reason
  log="$log_dir/wine-${exe//\//_}.log"
  status=$(cat "$log_dir/wine-${exe//\//_}.status")
  echo "-- $exe"
  tail -n 40 "$log" | grep -E '^\[  (PASSED|FAILED|SKIPPED) |FAILED|tests? ran' || true
  p=$(grep -Eo '^\[  PASSED  \] [0-9]+' "$log" | grep -Eo '[0-9]+$' || echo 0)
  f=$(grep -Eo '^\[  FAILED  \] [0-9]+ tests?, listed below' "$log" | grep -Eo '^\[  FAILED  \] [0-9]+' | grep -Eo '[0-9]+$' || echo 0)
  passed_total=$(( passed_total + ${p:-0} ))
  failed_total=$(( failed_total + ${f:-0} ))
  # gtest names each skipped test with its message on the lines before.
  while read -r test_name; do
    reason=$(grep -B1 -F "[  SKIPPED ] $test_name" "$log" | head -n 1)
    not_run "$exe: $test_name" "${reason:-skipped by the test itself}"
  done < <(sed -nE 's/^\[  SKIPPED \] ([A-Za-z0-9_]+\.[A-Za-z0-9_/]+).*/\1/p' "$log" | sort -u)
  if [ "$status" -ne 0 ]; then
    failed=1
    [ "${f:-0}" -gt 0 ] || { failed_total=$(( failed_total + 1 )); tail -n 30 "$log"; }
  fi
}

# The fault matrix and the soak run inside ctest; CI keeps the soak short (the full run of
# 100000 cycles is in docs/reliability.md).
export ZERKA_SOAK_CYCLES="${ZERKA_SOAK_CYCLES:-5000}"

builds_failed() { touch "$log_dir/builds-failed"; wait "$beside_pid"; exit 1; }
configure() {  # configure PRESET
  cmake --preset "$1" > "$log_dir/configure-$1.log" 2>&1 || { cat "$log_dir/configure-$1.log"; return 1; }
}

# The Linux programs first, at full speed: the checks beside start with them.
step "build linux: the programs"
configure linux || exit 1
cmake --build --preset linux -j "$jobs" --target zerka2remote zerka-sim zerka2ctl bare_tray || exit 1

# Known before the job beside starts, which takes its own copy of the variables.
if installer=$(missing_for installer); then
  installer="no installer: $installer"
  not_run "the Windows installer" "$installer"
else
  installer=yes
fi
{ linux_checks && windows_checks && touch "$log_dir/beside-done"; } &
beside_pid=$!

step "build linux: the tests (beside the checks)"
nice -n 19 cmake --build --preset linux -j "$jobs" || builds_failed
built linux
step "build win64 (beside the checks)"
configure win64 || builds_failed
nice -n 19 cmake --build --preset win64 -j "$jobs" || builds_failed
if [ "$installer" = yes ]; then
  step "build the Windows installer (beside the checks)"
  nice -n 19 cmake --build --preset win64 --target installer || builds_failed
fi
built win64
for preset in linux-asan win32; do
  step "build $preset (beside the checks)"
  configure "$preset" || builds_failed
  targets=()
  if [ "$preset" = win32 ] && [ "$ZERKA_WINE32" != yes ]; then
    # Its tests cannot run here: build what ships, so the 32-bit build still has to compile.
    targets=(--target zerka2remote zerka2ctl zerka-sim)
    not_run "the win32 test programs (built only where they can run)" "$ZERKA_WINE32"
  fi
  nice -n 19 cmake --build --preset "$preset" -j "$jobs" "${targets[@]}" || builds_failed
done
if fuzz_missing=$(missing_for fuzz); then
  not_run "scripts/fuzz.sh" "$fuzz_missing"
else
  step "build fuzz (beside the checks)"
  # A failed fuzz build is reported, and counted, by the fuzz smoke below.
  { configure fuzz && nice -n 19 cmake --build --preset fuzz -j "$jobs"; } || true
fi

step "waiting for the checks beside the builds"
wait "$beside_pid"
if [ ! -e "$log_dir/beside-done" ]; then
  echo "FAIL: the checks beside the builds ended before their last part (see above)"
  failed=1
  failed_total=$(( failed_total + 1 ))
fi
while read -r kind name; do
  case "$kind" in
    checks) printf '\n-- %s\n' "$name"; cat "$log_dir/$name.log"; count_checks "$name" ;;
    ctest)
      cat "$log_dir/ctest-$name.log"
      grep -q '100% tests passed' "$log_dir/ctest-$name.log" || failed=1
      count_ctest "$log_dir/ctest-$name.log" "build/$name" ;;
    wine) count_wine "$name" ;;
  esac
done < "$beside_ran"

step "tests linux-asan"
ctest --preset linux-asan -j "$jobs" 2>&1 | tee "$log_dir/ctest-linux-asan.log"
[ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
count_ctest "$log_dir/ctest-linux-asan.log" "build/linux-asan"

step "fuzz smoke"
# Each fuzz target counts as one test; a failed build of the fuzzers counts as one failure.
if [ -n "${fuzz_missing:-}" ]; then
  : > "$log_dir/fuzz.log"
  fuzz_status=0
else
  FUZZ_SECONDS=${FUZZ_SECONDS:-6} bash scripts/fuzz.sh 2>&1 | tee "$log_dir/fuzz.log"
  fuzz_status=${PIPESTATUS[0]}
fi
p=$(grep -c '^fuzz .*: OK' "$log_dir/fuzz.log")
f=$(grep -c '^fuzz .*: FAILED' "$log_dir/fuzz.log")
passed_total=$(( passed_total + p ))
failed_total=$(( failed_total + f ))
if [ "$fuzz_status" -ne 0 ]; then
  failed=1
  [ "$f" -gt 0 ] || failed_total=$(( failed_total + 1 ))
fi

stage_close
echo
echo "Seconds per stage ($(( SECONDS / 60 )) min in all):"
cat "$stage_times"
echo
cat "$skip_lines"
echo "${passed_total} passed, ${failed_total} failed, $(wc -l < "$skip_lines") skipped"
exit $failed
