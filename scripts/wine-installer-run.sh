#!/usr/bin/env bash
# The Windows installer under Wine, as a user and as an administrator's deployment runs it:
# a silent install, the installed program polling zerka-sim, a second start, start at log-on
# through the program's options; then the deployment into a folder of its own with /AUTOSTART,
# silent upgrades that stay in that folder, keep start at log-on, start the program they ended
# again and end a hung one, /NOAUTOSTART, a refused option; the version in the program, its
# manifest, the installer and the uninstall entry; the installer's dialog; and the uninstaller
# leaving nothing but the user's settings. Every silent call must end within its bound. One
# "PASS: ..." or "FAIL: ..." line per check; exit status 1 when a check failed.
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

version_file=build/win64/packaging/windows/version.txt
probe_exe=build/win64/tests/wine/zerka-probe.exe
settings_key='HKCU\Software\Velmarin\Zerka 2 Remote 2'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zerka2 Remote'
own_dir_win='C:\Eigene Programme\Zerka Fernbedienung'
own_dir="$WINEPREFIX/drive_c/Eigene Programme/Zerka Fernbedienung"
hung_pid=""

finish() {
  [ -n "$hung_pid" ] && kill -KILL "$hung_pid" 2> /dev/null
  if [ "$failures" -eq 0 ]; then echo "wine-installer-run: all checks passed"; else echo "wine-installer-run: $failures checks failed"; fi
  [ "$failures" -eq 0 ]
  exit
}

if ! command -v makensis > /dev/null; then
  fail "makensis installed (Debian's nsis; scripts/install-deps.sh installs it)"
  finish
fi
if [ ! -f "$version_file" ] || [ ! -f "build/win64/packaging/windows/zerka2remote-$(cat "$version_file")-setup.exe" ]; then
  cmake --build build/win64 -j 2 --target installer zerka-probe > "$work/build.log" 2>&1 || sed 's/^/    /' "$work/build.log"
fi
version=$(cat "$version_file" 2> /dev/null)
setup="build/win64/packaging/windows/zerka2remote-$version-setup.exe"
check "installer built, named with the version: $setup" test -n "$version" -a -f "$setup" || finish
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
program_runs() { probe visible > /dev/null; }
program_gone() { ! program_runs; }
start_app() {
  run_wine64 "$exe_win" > /dev/null 2>&1 &
  app_pid=$!
}
# timed PROG ARGS...: runs the Windows program, leaves its exit status in $ran_status and the
# milliseconds it took in $ran_ms; a call still running after 90 s is ended, so the run goes on.
timed() {
  local start=$(date +%s%N)
  WINELOADER="$ZERKA_WINE64_LOADER" timeout 90 "$ZERKA_WINE64_LOADER" "$@" > /dev/null 2>&1
  ran_status=$?
  ran_ms=$((($(date +%s%N) - start) / 1000000))
}
# timed_status STATUS PROG ARGS...: the program ends with STATUS within $limit_ms.
timed_status() {
  local expected=$1
  shift
  timed "$@"
  [ "$ran_status" -eq "$expected" ] && [ "$ran_ms" -lt "$limit_ms" ] ||
    { echo "status $ran_status after $ran_ms ms, expected $expected within $limit_ms ms"; return 1; }
}
timed_ok() { timed_status 0 "$@"; }
# setup_line ARGS: the installer through cmd with a command line as a deployment tool writes
# it, /D= with its blanks unquoted (Wine would quote an argument with blanks).
setup_line() { timed_ok cmd /c "$setup_win $*"; }

# resources EXE: the program's resources as windres writes them out.
resources() { x86_64-w64-mingw32-windres -i "$1" -O rc 2> /dev/null; }
resource_has() {
  local text
  text=$(resources "$1")
  grep -qF -- "$2" <<<"$text" || { echo "$1 has no $2"; return 1; }
}

wine_boot
"$ZERKA_WINESERVER" -p
setup_win=$(run_wine64 winepath -w "$setup" 2> /dev/null | tr -d '\r')

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
limit_ms=30000
check "silent install ends with status 0 within 30 s" timed_ok "$setup" /S
user_dir=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local 2>/dev/null | grep -v /Public/ | head -n 1)
user=$(basename "$(dirname "$(dirname "$user_dir")")")
dir="$user_dir/Programs/Zerka2 Remote"
dir_win="C:\\users\\$user\\AppData\\Local\\Programs\\Zerka2 Remote"
exe_win="$dir_win\\zerka2remote.exe"
link="$WINEPREFIX/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Zerka2 Remote.lnk"
check "program installed to %LOCALAPPDATA%\\Programs\\Zerka2 Remote" test -f "$dir/zerka2remote.exe"
check "uninstaller installed" test -f "$dir/uninstall.exe"
check "licence installed as LICENSE.txt" cmp -s "$dir/LICENSE.txt" build/win64/packaging/windows/LICENSE.txt
not_debug() { ! x86_64-w64-mingw32-objdump -h "$1" | grep -q '\.debug_'; }
check "installed program carries no symbols" not_debug "$dir/zerka2remote.exe"
check "Start-menu entry made" test -f "$link"
check "uninstall entry: DisplayName" value_is "$uninstall_key" DisplayName "Zerka2 Remote"
check "uninstall entry: Publisher" value_is "$uninstall_key" Publisher "Velmarin"
check "uninstall entry: DisplayIcon" value_is "$uninstall_key" DisplayIcon "$exe_win,0"
check "uninstall entry: UninstallString" value_is "$uninstall_key" UninstallString "\"$dir_win\\uninstall.exe\""
check "uninstall entry: QuietUninstallString" value_is "$uninstall_key" QuietUninstallString "\"$dir_win\\uninstall.exe\" /S"
check "silent install leaves start at log-on off" value_gone "$run_key" "Zerka2 Remote"

# --- one version number: the program's version resource and manifest, the installer's own
# version resource (its name is checked above) and the uninstall entry
check "program's FILEVERSION is $version.0" resource_has "$dir/zerka2remote.exe" "FILEVERSION ${version//./, }, 0"
check "program's FileVersion text is $version" resource_has "$dir/zerka2remote.exe" "VALUE \"FileVersion\", \"$version\""
check "program's manifest has version $version.0" resource_has "$dir/zerka2remote.exe" "name=\"\"Velmarin.Zerka2Remote\"\" version=\"\"$version.0\"\""
check "installer's ProductVersion is $version" resource_has "$setup" "VALUE \"ProductVersion\", \"$version\""
# --- the names Task Manager and the start-up list show, and the licence's copyright line
copyright=$(grep -m 1 '^Copyright ' LICENSE)
check "program's FileDescription is its name" resource_has "$dir/zerka2remote.exe" 'VALUE "FileDescription", "Zerka2 Remote"'
check "program's LegalCopyright is the licence's line" resource_has "$dir/zerka2remote.exe" "VALUE \"LegalCopyright\", \"$copyright\""
check "installer's LegalCopyright is the licence's line" resource_has "$setup" "VALUE \"LegalCopyright\", \"$copyright\""
publisher_is() { resource_has "$setup" "VALUE \"CompanyName\", \"$1\"" && resource_has "$dir/zerka2remote.exe" "VALUE \"CompanyName\", \"$1\""; }
check "program and installer name the publisher of the uninstall entry" publisher_is Velmarin
check "uninstall entry: DisplayVersion is $version" value_is "$uninstall_key" DisplayVersion "$version"
# --- the manifest asks for per-monitor v2 with the system DPI as the fallback
check "manifest: dpiAware \"true\"" resource_has "$dir/zerka2remote.exe" ">true</dpiAware>"
check "manifest: dpiAwareness \"PerMonitorV2\"" resource_has "$dir/zerka2remote.exe" ">PerMonitorV2</dpiAwareness>"

# --- the installed program
start_app
check "installed program shows its tray icon" until_true 30 icon_count_is 1
check "installed program polls zerka-sim" probe wait Status "Nicht verbunden" 30000
limit_ms=2000
check "a second start ends with status 0 within 2 s" timed_ok "$exe_win"
check "the second start brings the running program's window up" until_true 10 test "$(probe visible)" = "visible 1"
check "the second start adds no tray icon" icon_count_is 1
check "the first program still runs" kill -0 "$app_pid"

# --- start at log-on through the program's own options, against the real registry
limit_ms=5000
check "--autostart=on ends with status 0 within 5 s" timed_ok "$exe_win" --autostart=on
check "--autostart=on writes the Run value with the quoted path" value_is "$run_key" "Zerka2 Remote" "\"$exe_win\""
check "--autostart=off ends with status 0 within 5 s" timed_ok "$exe_win" --autostart=off
check "--autostart=off removes the Run value" value_gone "$run_key" "Zerka2 Remote"
check "the options leave the running program and its icon alone" icon_count_is 1
check "the running program still runs after the options" kill -0 "$app_pid"

# --- deployment: into a folder of its own, over the running program, with start at log-on
own_exe_win="$own_dir_win\\zerka2remote.exe"
limit_ms=30000
check "/S /AUTOSTART /D=$own_dir_win ends with status 0 within 30 s" \
  setup_line "/S /AUTOSTART /D=$own_dir_win"
check "the program is installed into that folder" test -f "$own_dir/zerka2remote.exe"
check "the uninstall entry points there" value_is "$uninstall_key" InstallLocation "$own_dir_win"
check "the copy in the former folder is gone" test ! -e "$dir"
check "the running program was ended first" until_true 15 app_gone
check "the program it ended runs again" until_true 30 program_runs
check "/AUTOSTART writes the Run value" value_is "$run_key" "Zerka2 Remote" "\"$own_exe_win\""

check "a silent upgrade without /D= ends with status 0 within 30 s" timed_ok "$setup" /S
check "the upgrade stays in the folder of the install" value_is "$uninstall_key" InstallLocation "$own_dir_win"
check "the upgrade installs no copy into the default folder" test ! -e "$dir"
check "the silent upgrade keeps start at log-on on" value_is "$run_key" "Zerka2 Remote" "\"$own_exe_win\""
check "the upgrade starts the program it ended again" until_true 30 program_runs

limit_ms=10000
check "an option that is only a word's beginning (/AUTO) is refused with status 2 within 10 s" \
  timed_status 2 "$setup" /S /AUTO
check "the refused install changes nothing" value_is "$run_key" "Zerka2 Remote" "\"$own_exe_win\""

# A program that does not answer: stopped, as if hung in a message box.
limit_ms=5000
check "--quit ends the running program" timed_ok "$own_exe_win" --quit
exe_win=$own_exe_win
start_app
check "the program started again for the hung case" until_true 30 program_runs
# The Windows process is the child of the shell that started it.
hung_pid=$(pgrep -P "$app_pid" | head -n 1)
check "the program stopped, as if hung" kill -STOP "$hung_pid"
limit_ms=45000
check "/S /NOAUTOSTART over a hung program ends with status 0 within 45 s" timed_ok "$setup" /S /NOAUTOSTART
# Ended by Wine, the stopped process goes as soon as it may run again.
kill -CONT "$hung_pid" 2> /dev/null
hung_gone() { ! kill -0 "$hung_pid" 2> /dev/null; }
check "the hung program was ended" until_true 10 hung_gone
hung_pid=""
check "/NOAUTOSTART removes the Run value" value_gone "$run_key" "Zerka2 Remote"
check "a program runs again after the hung one was ended" until_true 30 program_runs
# Wine, as Windows, drops the icon of a program that was ended once the pointer passes over it.
hover_icons() { tray_icons | while read -r x y; do xdotool mousemove "$x" "$y"; done; }
check "the new program's icon is up beside the ended one's" until_true 30 icon_count_is 2
hover_icons
check "the ended program's icon goes when the pointer passes over it" until_true 10 icon_count_is 1

# --- the installer's dialog, driven by keys: the start-at-log-on page and the start at the end
installer_window() { xdotool search --name '^Installation von Zerka2 Remote$' 2> /dev/null | head -n 1; }
installer_shown() { [ -n "$(installer_window)" ]; }
installer_gone() { ! kill -0 "$setup_pid" 2> /dev/null; }
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
quit_program() { run_wine64 "$exe_win" --quit && until_true 15 program_gone; }
check "the program is ended before the dialog" quit_program
# The installation is done once it has written the entry's name again.
run_wine64 reg delete "$uninstall_key" /v DisplayName /f > /dev/null 2>&1
run_wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f > /dev/null 2>&1
run_wine64 "$setup" > /dev/null 2>&1 &
setup_pid=$!
if check "the installer's dialog opens" until_true 30 installer_shown; then
  press Return  # welcome page
  press Return  # folder page, with the folder of the install
  press space   # the check box has the focus
  check "screenshot of the page \"Beim Anmelden starten\"" shoot_installer "$(installer_window)"
  press Return  # install
  check "the ticked check box writes the Run value" \
    until_true 30 value_is "$run_key" "Zerka2 Remote" "\"$own_exe_win\""
  check "the installation finishes" until_true 30 value_is "$uninstall_key" DisplayName "Zerka2 Remote"
  check "the dialog's upgrade stays in the folder of the install" value_is "$uninstall_key" InstallLocation "$own_dir_win"
  press Return  # the last page, with "start now" ticked
  check "the installer ends" until_true 15 installer_gone
  check "the last page starts the program" until_true 30 program_runs
else
  kill "$setup_pid" 2> /dev/null
fi

# --- the same folder under its short (8.3) name: a reinstall, not a move that deletes it
short_dir_win=$(probe shortpath "$own_dir_win" | tr -d '\r')
limit_ms=30000
if check "the install folder has a short name: $short_dir_win" test -n "$short_dir_win" -a "$short_dir_win" != "$own_dir_win"; then
  check "/S /D=<short name> ends with status 0 within 30 s" setup_line "/S /D=$short_dir_win"
  check "the program is still in its folder" test -f "$own_dir/zerka2remote.exe"
  check "its uninstaller too" test -f "$own_dir/uninstall.exe"
  check "the program it ended runs again after the reinstall" until_true 30 program_runs
fi

# --- a failed upgrade: the program file cannot be written, held by another process; the
# program the installer ended runs again
run_wine64 "$probe_exe" hold "$own_exe_win" 60000 > "$work/hold.log" 2> /dev/null &
holder_pid=$!
check "another process holds the program file" until_true 30 grep -q held "$work/hold.log"
check "a silent upgrade that cannot write the program ends with status 4 within 30 s" timed_status 4 "$setup" /S
check "the program it ended runs again after the failed upgrade" until_true 30 program_runs
kill "$holder_pid" $(pgrep -P "$holder_pid") 2> /dev/null

# --- uninstall, silently, with the program running
limit_ms=30000
check "silent uninstall starts within 30 s" timed_ok "$own_dir/uninstall.exe" /S
check "the uninstaller ends the running program" until_true 30 program_gone
check "its tray icon is gone" until_true 10 icon_count_is 0
# The uninstall entry goes last.
check "the uninstall entry is gone" until_true 30 key_gone "$uninstall_key"
check "the program folder is gone" test ! -e "$own_dir"
check "the Start-menu entry is gone" test ! -e "$link"
check "the Run value is gone" value_gone "$run_key" "Zerka2 Remote"
check "the settings stay" value_is "$settings_key" "Proxy Port" "$port"
check "every setting stays" value_is "$settings_key" "Aktiviert" "1"

finish
