#!/usr/bin/env bash
# The Windows program's window at 96 and at 144 dots per inch under Wine (which takes the DPI
# from HKCU\Control Panel\Desktop LogPixels): zerka-sim (native) as the server, the program
# started with seeded settings, and every control's rectangle read from outside by zerka-probe
# and compared with the layout scaled by DPI/96. One "PASS: ..." or "FAIL: ..." line per check;
# exit status 1 when a check failed.
#
# Usage: wine-dpi-run.sh [win64|win32 ...]   (default: both; the builds must exist; win32 only
# where this machine runs 32-bit programs, else a SKIP line)
# ZERKA_SCREENSHOT_DIR: when set, the window at 144 dpi is shot into it (windows-window-144dpi.png).
set -uo pipefail
cd "$(dirname "$0")/.."

if [ -z "${ZERKA_WITH_TRAY_DISPLAY:-}" ]; then
  # The window at 144 dpi is taller than a 768-line screen.
  ZERKA_SCREEN=1600x1200x24 exec bash scripts/with-tray.sh bash scripts/wine-dpi-run.sh "$@"
fi
source scripts/wine-env.sh
source scripts/wine-checks.sh

builds=("$@")
[ "${#builds[@]}" -gt 0 ] || builds=(win64 win32)
key='HKCU\Software\Velmarin\Zerka 2 Remote 2'

# The window's layout in pixels at 96 dpi: "KIND CLASS TEXT|LEFT TOP WIDTH HEIGHT" (TEXT as the
# window holds it, "&" before the access key's letter). KIND is
# "exact", "label" (sizes itself to its caption: never narrower than laid out) or "spin" (an
# edit with 15-pixel arrows at its right end). Edit fields are told apart by their place only,
# as their texts change while the program runs.
layout() {
  cat <<'EOF_LAYOUT'
client -|397 512
exact Button &Aktiviert|8 8 97 17
exact ZerkaPanel |32 32 249 249
exact Button Ergebnisse|32 288 353 177
exact Button S&chließen|288 112 97 25
exact Button Abbrechen|288 40 97 25
exact Button OK|288 8 99 25
exact Button &Hilfe|312 168 75 25
exact Button Übernehmen|288 80 99 25
exact Button Ba&lloon-Hint bei Statusänderung|32 472 225 17
exact msctls_statusbar32 *|0 493 397 19
label Static Proxy-&Server:|8 16 63 13
exact Edit *|32 32 121 21
label Static &Port:|8 56 22 13
spin Edit *|32 72 121 22
label Static Abfrageinterval (&ms):|8 104 96 13
spin Edit *|32 120 121 22
label Static HTTP-&Benutzername (leer=kein):|8 160 155 13
exact Edit *|32 176 121 21
label Static H&TTP-Passwort:|8 200 78 13
exact Edit *|32 216 121 21
label Static &Internet Verb.|8 24 64 13
exact Edit *|96 24 241 21
label Static Stat&us:|8 48 33 13
exact Edit *|96 48 241 21
label Static &DFÜ gesperrt|8 72 63 13
exact Edit *|96 72 241 21
label Static &Zeit bis Auflegen|8 96 79 13
exact Edit *|96 96 241 21
label Static D&FÜ-IP|8 120 35 13
exact Edit *|96 120 241 21
label Static &Online-Zeit|8 144 51 13
exact Edit *|96 144 241 21
EOF_LAYOUT
}

# A layout length at dpi, rounded as Windows' MulDiv rounds: halves away from zero.
scaled() { echo $((($1 * $2 + 48) / 96)); }

# has_control CLASS TEXT L T W H [MINWIDTH]: the probe's layout lists such a control ("*" as
# TEXT: any text; MINWIDTH: W is the least width).
has_control() {
  local class=$1 text=$2 l=$3 t=$4 w=$5 h=$6 min=${7:-}
  awk -v class="$class" -v text="$text" -v l="$l" -v t="$t" -v w="$w" -v h="$h" -v min="$min" '
    match($0, /: -?[0-9]+ -?[0-9]+ -?[0-9]+ -?[0-9]+$/) {
      head = substr($0, 1, RSTART - 1); split(substr($0, RSTART + 2), r, " ")
      space = index(head, " "); c = substr(head, 1, space - 1); x = substr(head, space + 1)
      if (c != class || (text != "*" && x != text)) next
      if (r[1] != l || r[2] != t || r[4] != h) next
      if (min == "" ? r[3] == w : r[3] >= w) { found = 1; exit }
    }
    END { exit found ? 0 : 1 }' "$work/layout"
}

spin_field() {  # spin_field L T W H ARROWS
  has_control Edit "*" "$1" "$2" "$(($3 - $5))" "$4" &&
    has_control msctls_updown32 "*" "$(($1 + $3 - $5))" "$2" "$5" "$4"
}

# check_layout BUILD DPI: one check per control of the window against the layout at DPI.
check_layout() {
  local build=$1 dpi=$2 kind class text l t w h arrows count
  while IFS='|' read -r head box; do
    read -r kind class text <<<"$head"
    read -r l t w h <<<"$box"
    local L T W H
    L=$(scaled "$l" "$dpi") T=$(scaled "$t" "$dpi") W=$(scaled "${w:-0}" "$dpi") H=$(scaled "${h:-0}" "$dpi")
    case $kind in
      client)
        check "$build at $dpi dpi: client area ${L}x$T" grep -qx "client $L $T" "$work/layout"
        ;;
      exact)
        check "$build at $dpi dpi: $class \"$text\" at $L $T $W $H" has_control "$class" "$text" "$L" "$T" "$W" "$H"
        ;;
      label)
        check "$build at $dpi dpi: label \"$text\" at $L $T, at least $W wide, $H high" \
          has_control "$class" "$text" "$L" "$T" "$W" "$H" min
        ;;
      spin)
        arrows=$(scaled 15 "$dpi")
        check "$build at $dpi dpi: spin field at $L $T $W $H, arrows $arrows wide" \
          spin_field "$L" "$T" "$W" "$H" "$arrows"
        ;;
    esac
  done < <(layout)
  count=$(control_count)
  check "$build at $dpi dpi: no other controls ($count found)" test "$count" -eq "$(expected_count)"
}

# set_dpi DPI: the DPI every program of the prefix started from now on sees.
set_dpi() {
  wine_end
  run_wine64 reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f > /dev/null 2>&1 &&
    run_wine64 reg add "$key" /v "Proxy Host" /t REG_SZ /d 127.0.0.1 /f > /dev/null 2>&1 &&
    run_wine64 reg add "$key" /v "Proxy Port" /t REG_SZ /d "$port" /f > /dev/null 2>&1 &&
    run_wine64 reg add "$key" /v Aktiviert /t REG_SZ /d 1 /f > /dev/null 2>&1
}

control_count() { grep -cE ': -?[0-9]+ -?[0-9]+ -?[0-9]+ -?[0-9]+$' "$work/layout"; }
# The layout's rows and the spin fields' two arrow controls, the client line aside.
expected_count() { echo $(($(layout | wc -l) - 1 + 2)); }
# Succeeds once the window exists with all of its controls.
read_layout() {
  run_wine "$probe_exe" layout > "$work/layout" 2> /dev/null && [ "$(control_count)" -ge "$(expected_count)" ]
}

window_visible() { [ "$(run_wine "$probe_exe" visible 2> /dev/null)" = "visible 1" ]; }

# Opens the window through the tray menu's first item and shoots it.
shoot_window() {
  local x y menu mx my mw mh
  read -r x y < <(tray_icons | head -n 1)
  [ -n "${x:-}" ] || { echo "no tray icon"; return 1; }
  xdotool mousemove "$x" "$((y + 8))" click 3
  menu=$(run_wine "$probe_exe" menu 5000 2> /dev/null) || { echo "no tray menu"; return 1; }
  read -r mx my mw mh <<<"$menu"
  xdotool mousemove "$((mx + mw / 3))" "$((my + 12))" click 1
  until_true 10 window_visible || { echo "the window did not show"; return 1; }
  sleep 1
  mkdir -p "$ZERKA_SCREENSHOT_DIR"
  import -window root -crop 640x840+270+100 +repage "$ZERKA_SCREENSHOT_DIR/windows-window-144dpi.png"
}

run_build() {
  local build=$1 exe="build/$1/monitor/zerka2remote.exe" dpi
  probe_exe="build/$build/tests/wine/zerka-probe.exe"
  echo "-- $build"
  if [ ! -f "$exe" ] || [ ! -f "$probe_exe" ] || [ ! -x "$sim" ]; then
    fail "$build: $exe, $probe_exe and $sim built"
    return
  fi
  check "$build: zerka-sim started" start_sim || return
  for dpi in 96 144; do
    check "$build at $dpi dpi: LogPixels and settings in the registry" set_dpi "$dpi" || continue
    run_wine "$exe" > /dev/null 2> "$work/app.log" &
    app_pid=$!
    if check "$build at $dpi dpi: the window's layout read from outside" until_true 30 read_layout; then
      check_layout "$build" "$dpi"
      if [ "$dpi" = 144 ] && [ -n "${ZERKA_SCREENSHOT_DIR:-}" ]; then
        check "$build at $dpi dpi: screenshot of the window" shoot_window
      fi
    fi
    kill "$app_pid" 2>/dev/null
    wait "$app_pid" 2>/dev/null
    app_pid=""
  done
  stop_sim
}

wine_boot
# Without a window manager Wine draws the frames itself, so screenshots show the title bar.
run_wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f > /dev/null 2>&1

for build in "${builds[@]}"; do
  if [ "$build" = win32 ]; then
    wine32_check
    if [ "$ZERKA_WINE32" != yes ]; then
      echo "SKIP: win32 window at 96 and 144 dpi ($ZERKA_WINE32)"
      continue
    fi
  fi
  run_build "$build"
done

if [ "$failures" -eq 0 ]; then echo "wine-dpi-run: all checks passed"; else echo "wine-dpi-run: $failures checks failed"; fi
[ "$failures" -eq 0 ]
