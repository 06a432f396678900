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

# The processor seconds of all finished child processes, so a stage's own work shows apart
# from the wall time even on a busy machine.
children_cpu() {
  times | awk 'NR == 2 { split($1, u, /[ms]/); split($2, s, /[ms]/); printf "%d", u[1] * 60 + u[2] + s[1] * 60 + s[2] }'
}
stage_close() {
  local cpu
  cpu=$(children_cpu)
  [ -n "$stage_name" ] && printf '%6d s %6d s cpu  %s\n' $(( SECONDS - stage_start )) \
    $(( cpu - stage_cpu_start )) "$stage_name" >> "$stage_times"
  stage_name=""
}
step() {
  stage_close
  stage_name=$*
  stage_start=$SECONDS
  stage_cpu_start=$(children_cpu)
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

# The checks of the Linux programs wait on real desktops, panels, a monitoring core and name
# services far more than they compute, so they run beside the other builds, which yield the
# processor to them (nice 19). Each writes its own log; they are shown and counted once both
# are done, and their stages are listed as "beside the builds".
beside_ran="$log_dir/beside-ran"
: > "$beside_ran"
beside() {  # beside NAME "GROUP..." COMMAND...: one check script of the job beside the builds
  local name=$1 groups=$2 missing start=$SECONDS
  shift 2
  if missing=$(missing_for $groups); then
    not_run "$name" "$missing"
    return
  fi
  "$@" > "$log_dir/$name.log" 2>&1
  echo $? > "$log_dir/$name.status"
  echo "$name" >> "$beside_ran"
  printf '%6d s            beside the builds: %s\n' $(( SECONDS - start )) "$name" >> "$stage_times"
}
# The Linux program in real tray hosts and with a real notification server, each check script
# on its own private bus and display: xfce4-panel and lxqt-panel driven by mouse and keyboard,
# libdbusmenu-glib, xfce4-notifyd, and a sway session with waybar (which needs no X display).
host_checks=(
  "xfce-panel|display session-bus xfce"
  "lxqt-panel|display session-bus lxqt"
  "dbusmenu-client|display session-bus xfce"
  "notifyd|display session-bus xfce"
  "wayland|session-bus wayland"
)
checks_beside_the_builds() {
  local entry host
  beside setup-check "" timeout 120 bash tests/setup/install-deps-check.sh
  beside nagios-check nagios timeout 180 bash tests/tools/nagios-check.sh build/linux
  beside name-service-check "" timeout 60 bash tests/tools/name-service-check.sh build/linux
  for entry in "${host_checks[@]}"; do
    host=${entry%%|*}
    if [ "$host" != wayland ] && [ "$display" != yes ]; then
      not_run "tests/platform_qt/hosts/$host-check.sh" "$display"
      continue
    fi
    beside "hosts-$host" "${entry#*|}" \
      env ZERKA_SCREENSHOT_DIR="$log_dir/screenshots" timeout 120 bash "tests/platform_qt/hosts/$host-check.sh"
  done
  # The .deb from the linux preset's build (the release flags, tests beside), then lintian,
  # desktop-file-validate, appstreamcli, the manual pages' lint and options, the unpacked zerka2ctl.
  beside check-package "" bash scripts/check-package.sh linux
}

step "build linux"
cmake --preset linux > "$log_dir/configure-linux.log" 2>&1 \
  || { cat "$log_dir/configure-linux.log"; exit 1; }
cmake --build --preset linux -j "$jobs" || exit 1

checks_beside_the_builds &
beside_pid=$!

for preset in linux-asan win64 win32; do
  step "build $preset (beside the checks)"
  cmake --preset "$preset" > "$log_dir/configure-$preset.log" 2>&1 \
    || { cat "$log_dir/configure-$preset.log"; kill "$beside_pid"; exit 1; }
  targets=()
  if [ "$preset" = win32 ] && [ "$ZERKA_WINE32" != yes ]; then
    # Its tests cannot run here: build what ships, so the 32-bit build still has to compile.
    targets=(--target zerka2remote zerka2ctl zerka-sim)
    not_run "the win32 test programs (built only where they can run)" "$ZERKA_WINE32"
  fi
  nice -n 19 cmake --build --preset "$preset" -j "$jobs" "${targets[@]}" || { kill "$beside_pid"; exit 1; }
done
if installer=$(missing_for installer); then
  installer="no installer: $installer"
  not_run "the Windows installer" "$installer"
else
  installer=yes
  step "build the Windows installer (beside the checks)"
  nice -n 19 cmake --build --preset win64 --target installer || { kill "$beside_pid"; exit 1; }
fi
if fuzz_missing=$(missing_for fuzz); then
  not_run "scripts/fuzz.sh" "$fuzz_missing"
else
  step "build fuzz (beside the checks)"
  { cmake --preset fuzz > "$log_dir/configure-fuzz.log" 2>&1 \
      && nice -n 19 cmake --build --preset fuzz -j "$jobs"; } || cat "$log_dir/configure-fuzz.log"
fi

step "waiting for the checks beside the builds"
wait "$beside_pid"
while read -r name; do
  printf '\n-- %s\n' "$name"
  cat "$log_dir/$name.log"
  count_checks "$name"
done < "$beside_ran"

# The fault matrix and the soak run inside ctest; CI keeps the soak short (the full run of
# 100000 cycles is in docs/reliability.md).
export ZERKA_SOAK_CYCLES="${ZERKA_SOAK_CYCLES:-5000}"

for preset in linux linux-asan; do
  step "tests $preset"
  ctest --preset "$preset" -j "$jobs" 2>&1 | tee "$log_dir/ctest-$preset.log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
  count_ctest "$log_dir/ctest-$preset.log" "build/$preset"
done

step "Windows tests under Wine"
wine_programs=(build/win64/tests/*/*_tests.exe build/win32/tests/*/*_tests.exe)
for exe in "${wine_programs[@]}"; do
  [ -e "$exe" ] || continue
  if [ "$wine64" != yes ]; then not_run "$exe" "$wine64"; continue; fi
  if [ "$display" != yes ]; then not_run "$exe" "$display"; continue; fi
  if [ "$(pe_machine "$exe")" = 014c ] && [ "$ZERKA_WINE32" != yes ]; then
    not_run "$exe" "$ZERKA_WINE32"
    continue
  fi
  echo "-- $exe"
  # Each test program gets a display of its own; Wine's desktop process must not outlive the
  # display it was started on, so the Wine server is ended after every program.
  bash scripts/with-tray.sh bash scripts/wine-run.sh "$exe" > "$log_dir/wine.log" 2>&1
  status=$?
  wine_end
  tail -n 40 "$log_dir/wine.log" | grep -E '^\[  (PASSED|FAILED|SKIPPED) |FAILED|tests? ran' || true
  p=$(grep -Eo '^\[  PASSED  \] [0-9]+' "$log_dir/wine.log" | grep -Eo '[0-9]+$' || echo 0)
  f=$(grep -Eo '^\[  FAILED  \] [0-9]+ tests?, listed below' "$log_dir/wine.log" | grep -Eo '^\[  FAILED  \] [0-9]+' | grep -Eo '[0-9]+$' || echo 0)
  passed_total=$(( passed_total + ${p:-0} ))
  failed_total=$(( failed_total + ${f:-0} ))
  # gtest names each skipped test with its message on the lines before.
  while read -r test_name; do
    reason=$(grep -B1 -F "[  SKIPPED ] $test_name" "$log_dir/wine.log" | head -n 1)
    not_run "$exe: $test_name" "${reason:-skipped by the test itself}"
  done < <(sed -nE 's/^\[  SKIPPED \] ([A-Za-z0-9_]+\.[A-Za-z0-9_/]+).*/\1/p' "$log_dir/wine.log" | sort -u)
  if [ "$status" -ne 0 ]; then
    failed=1
    [ "${f:-0}" -gt 0 ] || { failed_total=$(( failed_total + 1 )); tail -n 30 "$log_dir/wine.log"; }
  fi
done

# The Windows program itself under Wine: a user's run, the window at 96 and 144 dpi, the
# installer's round from install to uninstall, and a system whose code page is not 1252. Their screenshots stay with the logs so the
# tree's docs/ is left alone.
for run in wine-gui-run wine-dpi-run wine-installer-run wine-codepage-run; do
  step "Windows program under Wine: $run"
  if [ "$wine64" != yes ]; then
    not_run "$run.sh" "$wine64"
  elif [ "$tray_host" != yes ]; then
    not_run "$run.sh" "$tray_host"
  elif [ "$run" = wine-installer-run ] && [ "$installer" != yes ]; then
    not_run "$run.sh" "$installer"
  else
    run_checks "$run" env ZERKA_SCREENSHOT_DIR="$log_dir/screenshots" \
      timeout 600 bash "scripts/$run.sh"
  fi
done

# The release packaging signed with a throwaway certificate: the signatures of every shipped
# program, the uninstaller and the installer, the zip's licence and the winget manifest.
step "Windows release package: signatures and winget manifest"
if [ "$installer" != yes ]; then
  not_run "scripts/windows-package-check.sh" "$installer"
elif missing=$(missing_for windows-package); then
  not_run "scripts/windows-package-check.sh" "$missing"
else
  run_checks windows-package-check timeout 600 bash scripts/windows-package-check.sh
fi

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
