#!/usr/bin/env bash
# The Windows program on a Windows whose ANSI code page is not 1252: under Wine with a Cyrillic
# locale (code page 1251, as a Russian Windows has), the window's texts read through the Unicode
# API as German, the platform's text, registry and window tests pass there (a setting with an
# "ü" written and read back, one an earlier version stored through the code page read as it
# did), and the tray icon comes with the same id at two starts (Wine's tray host prints it with
# WINEDEBUG=+systray). One "PASS: ..." or "FAIL: ..." line per check; exit status 1 when a
# check failed.
#
# Usage: scripts/wine-codepage-run.sh
# Needs the win64 build (zerka2remote, zerka-probe, platform_win32_tests), build/linux's
# zerka-sim, Wine, and a display with a tray host (with-tray.sh makes both).
set -uo pipefail
cd "$(dirname "$0")/.."

if [ -z "${ZERKA_WITH_TRAY_DISPLAY:-}" ]; then
  exec bash scripts/with-tray.sh bash scripts/wine-codepage-run.sh "$@"
fi
source scripts/wine-env.sh
source scripts/wine-checks.sh

# The locale need not be installed: Wine takes the code page from its name.
{ export LC_ALL=ru_RU.UTF-8; } 2> /dev/null
# Wine's tray host prints each icon's id as it is added; everything Wine prints goes to one file.
export WINEDEBUG=+systray
debug_log="$work/wine-debug.log"
exe=build/win64/monitor/zerka2remote.exe
probe_exe=build/win64/tests/wine/zerka-probe.exe
tests_exe=build/win64/tests/platform_win32/platform_win32_tests.exe
key='HKCU\Software\Velmarin\Zerka 2 Remote 2'

finish() {
  if [ "$failures" -eq 0 ]; then echo "wine-codepage-run: all checks passed"; else echo "wine-codepage-run: $failures checks failed"; fi
  [ "$failures" -eq 0 ]
  exit
}

probe() { run_wine64 "$probe_exe" "$@" 2>> "$debug_log"; }
check "program, probe, platform tests and zerka-sim built" \
  test -f "$exe" -a -f "$probe_exe" -a -f "$tests_exe" -a -x "$sim" || finish

run_wine64 wineboot -i > /dev/null 2>> "$debug_log"
"$ZERKA_WINESERVER" -p
check "Wine runs with the ANSI code page 1251" test "$(probe codepage | tr -d '\r')" = "codepage 1251" || finish

# The platform's own tests of texts at the edge, on this code page.
platform_tests() {
  run_wine64 "$tests_exe" --gtest_filter='Win32Text.*:RegistryTest.*:FormTest.TextsReach*' 2>> "$debug_log" |
    tr -d '\r' > "$work/tests.log"
  local status=${PIPESTATUS[0]}
  grep -E '^\[ +(OK|FAILED) +\]' "$work/tests.log" | grep -v ' tests\?, listed below'
  return "$status"
}
check "texts, registry and window tests pass on code page 1251" platform_tests

check "zerka-sim started" start_sim || finish
for setting in "Proxy Host=127.0.0.1" "Proxy Port=$port" "Abfrageinterval=500" "Aktiviert=1"; do
  run_wine64 reg add "$key" /v "${setting%%=*}" /t REG_SZ /d "${setting#*=}" /f > /dev/null 2>> "$debug_log"
done

# icon_ids: the ids the tray host has been given so far, one per line.
icon_ids() { sed -nE 's/.*add_icon id=(0x[0-9a-fA-F]+).*/\1/p' "$debug_log"; }
icons_added() { [ "$(icon_ids | wc -l)" -ge "$1" ]; }
program_gone() { ! kill -0 "$app_pid" 2> /dev/null; }
start_program() {
  run_wine64 "$exe" > /dev/null 2>> "$debug_log" &
  app_pid=$!
  until_true 30 icons_added "$1"
}
quit_program() {
  run_wine64 "$exe" --quit > /dev/null 2>> "$debug_log" || { echo "--quit ended with status $?"; return 1; }
  until_true 15 program_gone
}

check "first start: the tray icon is added" start_program 1
check "the settings window has come up" probe wait Status "Nicht verbunden" 30000
probe layout | tr -d '\r' > "$work/layout"
for text in "&DFÜ gesperrt" "S&chließen" "Übernehmen" "Ba&lloon-Hint bei Statusänderung"; do
  check "the window's text \"$text\" reads so through the Unicode API" grep -qF -- "$text" "$work/layout"
done
check "first start ends through --quit" quit_program
check "second start: the tray icon is added" start_program 2
check "both starts gave the icon the same id" eval 'icon_ids; [ "$(icon_ids | sort -u | wc -l)" -eq 1 ]'
# The icon comes before the program has finished starting; a --quit then finds nothing yet.
check "second start: the program polls" probe wait Status "Nicht verbunden" 30000
check "second start ends through --quit" quit_program
app_pid=""

finish
