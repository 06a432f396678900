#!/usr/bin/env bash
# The Windows installer under Wine, silently, as a deployment tool runs it: install, the files
# and registry entries, the installed program polling zerka-sim, a second start that only
# brings the running program to the front, start at log-on through the program's options and
# through /AUTOSTART, installing over a running program, and the uninstaller leaving nothing
# but the user's settings. One "PASS: ..." or "FAIL: ..." line per check; exit status 1 when a
# check failed.
#
# Usage: scripts/wine-installer-run.sh
# Needs the win64 build (the installer is built here when missing), build/linux's zerka-sim,
# makensis, Wine, and a display with a tray host (with-tray.sh makes both).
set -uo pipefail
cd "$(dirname "$0")/.."

if [ -z "${ZERKA_WITH_TRAY_DISPLAY:-}" ]; then
  exec bash scripts/with-tray.sh bash scripts/wine-installer-run.sh "$@"
fi
source scripts/wine-env.sh
source scripts/wine-checks.sh

version=$(sed -nE 's/^project\(zerka2remote VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
setup="build/win64/packaging/windows/zerka2remote-$version-setup.exe"
probe_exe=build/win64/tests/wine/zerka-probe.exe
settings_key='HKCU\Software\Velmarin\Zerka 2 Remote 2'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zerka2 Remote'

finish() {
  if [ "$failures" -eq 0 ]; then echo "wine-installer-run: all checks passed"; else echo "wine-installer-run: $failures checks failed"; fi
  [ "$failures" -eq 0 ]
  exit
}

if ! command -v makensis > /dev/null; then
  fail "makensis installed (Debian's nsis; scripts/install-deps.sh installs it)"
  finish
fi
if [ ! -f "$setup" ]; then
  cmake --build build/win64 -j 2 --target installer zerka-probe > "$work/build.log" 2>&1 || sed 's/^/    /' "$work/build.log"
fi
check "installer built: $setup" test -f "$setup" || finish
check "probe and zerka-sim built" test -f "$probe_exe" -a -x "$sim" || finish

# reg_value KEY NAME: the value's data as `reg query` shows it; fails when it is not there.
reg_value() {
  run_wine64 reg query "$1" /v "$2" 2> /dev/null | tr -d '\r' |
    sed -nE "s/^ +$2 +REG_[A-Z_]+ *(.*)$/\1/p" | grep .
}
value_is() {
  local got
  got=$(reg_value "$1" "$2")
  [ "$got" = "$3" ] || { echo "$1 \"$2\" reads \"$got\", expected \"$3\""; return 1; }
}
value_gone() { ! reg_value "$1" "$2" > /dev/null; }
key_gone() { ! run_wine64 reg query "$1" > /dev/null 2>&1; }

probe() { run_wine64 "$probe_exe" "$@" 2> /dev/null; }
icon_count_is() {
  local n
  n=$(tray_icons | grep -c .)
  [ "$n" -eq "$1" ] || { echo "$n tray icons, expected $1"; return 1; }
}
app_gone() { ! kill -0 "$app_pid" 2>/dev/null; }
start_app() {
  run_wine64 "$exe_win" > /dev/null 2>&1 &
  app_pid=$!
}
# timed CMD...: runs the command, leaves its exit status in $ran_status and the milliseconds it
# took in $ran_ms.
timed() {
  local start=$(date +%s%N)
  "$@" > /dev/null 2>&1
  ran_status=$?
  ran_ms=$((($(date +%s%N) - start) / 1000000))
}
timed_ok() {
  timed "$@"
  [ "$ran_status" -eq 0 ] && [ "$ran_ms" -lt "$limit_ms" ] ||
    { echo "status $ran_status after $ran_ms ms, expected 0 within $limit_ms ms"; return 1; }
}

wine_boot
"$ZERKA_WINESERVER" -p

check "zerka-sim started" start_sim || finish
seeded=1
while IFS='=' read -r name value; do
  run_wine64 reg add "$settings_key" /v "$name" /t REG_SZ /d "$value" /f > /dev/null 2>&1 || seeded=0
done <<END
Proxy Host=127.0.0.1
Proxy Port=$port
Abfrageinterval=500
Aktiviert=1
END
check "settings seeded in the registry" test "$seeded" = 1

# --- install, silently
check "silent install ends with status 0" run_wine64 "$setup" /S
user_dir=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local 2>/dev/null | grep -v /Public/ | head -n 1)
user=$(basename "$(dirname "$(dirname "$user_dir")")")
dir="$user_dir/Programs/Zerka2 Remote"
dir_win="C:\\users\\$user\\AppData\\Local\\Programs\\Zerka2 Remote"
exe_win="$dir_win\\zerka2remote.exe"
link="$WINEPREFIX/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Zerka2 Remote.lnk"
check "program installed to %LOCALAPPDATA%\\Programs\\Zerka2 Remote" test -f "$dir/zerka2remote.exe"
check "uninstaller installed" test -f "$dir/uninstall.exe"
not_debug() { ! x86_64-w64-mingw32-objdump -h "$1" | grep -q '\.debug_'; }
check "installed program carries no symbols" not_debug "$dir/zerka2remote.exe"
check "Start-menu entry made" test -f "$link"
check "uninstall entry: DisplayName" value_is "$uninstall_key" DisplayName "Zerka2 Remote"
check "uninstall entry: DisplayVersion" value_is "$uninstall_key" DisplayVersion "$version"
check "uninstall entry: Publisher" value_is "$uninstall_key" Publisher "Velmarin"
check "uninstall entry: DisplayIcon" value_is "$uninstall_key" DisplayIcon "$exe_win,0"
check "uninstall entry: UninstallString" value_is "$uninstall_key" UninstallString "\"$dir_win\\uninstall.exe\""
check "uninstall entry: QuietUninstallString" value_is "$uninstall_key" QuietUninstallString "\"$dir_win\\uninstall.exe\" /S"
check "silent install leaves start at log-on off" value_gone "$run_key" "Zerka2 Remote"

# --- the installed program
start_app
check "installed program shows its tray icon" until_true 30 icon_count_is 1
check "installed program polls zerka-sim" probe wait Status "Nicht verbunden" 30000
limit_ms=2000
check "a second start ends with status 0 within 2 s" timed_ok run_wine64 "$exe_win"
check "the second start brings the running program's window up" until_true 10 test "$(probe visible)" = "visible 1"
check "the second start adds no tray icon" icon_count_is 1
check "the first program still runs" kill -0 "$app_pid"

# --- start at log-on through the program's own options, against the real registry
limit_ms=5000
check "--autostart=on ends with status 0" timed_ok run_wine64 "$exe_win" --autostart=on
check "--autostart=on writes the Run value with the quoted path" value_is "$run_key" "Zerka2 Remote" "\"$exe_win\""
check "--autostart=off ends with status 0" timed_ok run_wine64 "$exe_win" --autostart=off
check "--autostart=off removes the Run value" value_gone "$run_key" "Zerka2 Remote"
check "the options leave the running program and its icon alone" icon_count_is 1
check "the running program still runs after the options" kill -0 "$app_pid"

# --- installing over the running program, with start at log-on
check "silent install with /AUTOSTART over the running program ends with status 0" run_wine64 "$setup" /S /AUTOSTART
check "the running program was ended first" until_true 15 app_gone
check "its tray icon went with it" until_true 10 icon_count_is 0
check "/AUTOSTART writes the Run value" value_is "$run_key" "Zerka2 Remote" "\"$exe_win\""
check "the program is still installed" test -f "$dir/zerka2remote.exe"

# --- the installer's dialog, driven by keys: the start-at-log-on page and the start at the end
installer_window() { xdotool search --name '^Installation von Zerka2 Remote$' 2> /dev/null | head -n 1; }
installer_shown() { [ -n "$(installer_window)" ]; }
installer_gone() { ! kill -0 "$setup_pid" 2> /dev/null; }
program_gone() { ! probe visible > /dev/null; }
shoot_installer() {
  local w=$1 geometry x y width height
  geometry=$(xdotool getwindowgeometry --shell "$w") || return 1
  eval "$geometry"
  mkdir -p "$shot_dir"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shot_dir/windows-installer.png"
}
# press KEY: a key to the installer's dialog, then a moment for the page to change.
press() { xdotool key --window "$(installer_window)" "$1" && sleep 1; }
shot_dir="${ZERKA_SCREENSHOT_DIR:-docs}"
run_wine64 "$exe_win" --autostart=off > /dev/null 2>&1
run_wine64 reg delete "$uninstall_key" /f > /dev/null 2>&1
run_wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f > /dev/null 2>&1
run_wine64 "$setup" > /dev/null 2>&1 &
setup_pid=$!
if check "the installer's dialog opens" until_true 30 installer_shown; then
  press Return  # welcome page
  press Return  # folder page
  press space   # the check box has the focus
  check "screenshot of the page \"Beim Anmelden starten\"" shoot_installer "$(installer_window)"
  press Return  # install
  check "the ticked check box writes the Run value" \
    until_true 30 value_is "$run_key" "Zerka2 Remote" "\"$exe_win\""
  check "the installation finishes" until_true 30 value_is "$uninstall_key" DisplayName "Zerka2 Remote"
  press Return  # the last page, with "start now" ticked
  check "the installer ends" until_true 15 installer_gone
  check "the last page starts the program" until_true 30 icon_count_is 1
else
  kill "$setup_pid" 2> /dev/null
fi

# --- uninstall, silently, with the program running
check "silent uninstall starts" run_wine64 "$dir/uninstall.exe" /S
check "the uninstaller ends the running program" until_true 30 program_gone
check "its tray icon is gone" until_true 10 icon_count_is 0
check "the program folder is gone" until_true 30 test ! -e "$dir"
check "the Start-menu entry is gone" test ! -e "$link"
check "the Run value is gone" value_gone "$run_key" "Zerka2 Remote"
check "the uninstall entry is gone" key_gone "$uninstall_key"
check "the settings stay" value_is "$settings_key" "Proxy Port" "$port"
check "every setting stays" value_is "$settings_key" "Aktiviert" "1"

finish
