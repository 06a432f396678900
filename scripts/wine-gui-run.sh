#!/usr/bin/env bash
# The Windows program as a user runs it, under Wine on a virtual display with a tray host:
# zerka-sim (native) as the server, settings seeded in the registry, the results read from the
# window by zerka-probe, the window opened through the tray menu, screenshots taken, and the
# program ended through its close question. One "PASS: ..." or "FAIL: ..." line per check;
# exit status 1 when a check failed.
#
# Usage: wine-gui-run.sh [win64|win32 ...]   (default: both; the builds must exist). A 32-bit
# build on a machine that cannot run 32-bit programs gets a "SKIP: ..." line with the reason.
# ZERKA_SCREENSHOT_DIR: where the screenshots go (default docs/); they are taken in the first
# build's run.
set -uo pipefail
cd "$(dirname "$0")/.."

if [ -z "${ZERKA_WITH_TRAY_DISPLAY:-}" ]; then
  exec bash scripts/with-tray.sh bash scripts/wine-gui-run.sh "$@"
fi
source scripts/wine-env.sh
source scripts/wine-checks.sh

builds=("$@")
[ "${#builds[@]}" -gt 0 ] || builds=(win64 win32)
shot_dir="${ZERKA_SCREENSHOT_DIR:-docs}"
ctl=build/linux/tools/zerka2ctl
key='HKCU\Software\Velmarin\Zerka 2 Remote 2'
question='Keine Überwachung des Proxy-Servers nach Beendigung des Programmes!'

probe() { run_wine "$probe_exe" "$@"; }

# field NAME: the result field's text as the probe read it last.
field() { sed -n "s/^field $1: //p" "$work/fields"; }
read_fields() { probe fields > "$work/fields"; }
field_is() { [ "$(field "$1")" = "$2" ] || { echo "$1 reads \"$(field "$1")\", expected \"$2\""; return 1; }; }
field_like() { [[ "$(field "$1")" =~ $2 ]] || { echo "$1 reads \"$(field "$1")\", expected /$2/"; return 1; }; }
wait_field() { probe wait "$1" "$2" "$3" > "$work/fields"; local s=$?; cat "$work/fields"; return $s; }
# The status bar's text as the probe reads it (all of it, line breaks kept).
status_line() {
  read_fields || return 1
  awk '/^-?[0-9]+\/msctls_statusbar32: / { sub(/^[^:]*: /, ""); on = 1; print; next }
       on && (/^-?[0-9]+\/[A-Za-z]/ || /^field /) { on = 0 }
       on { print }' "$work/fields"
}
status_like() { local text; text=$(status_line); [[ "$text" =~ $1 ]] || { echo "status line reads \"$text\", expected /$1/"; return 1; }; }
wait_status() { local deadline=$((SECONDS + $2)); until status_like "$1" > "$work/status" 2>&1; do [ "$SECONDS" -lt "$deadline" ] || { cat "$work/status"; return 1; }; sleep 0.2; done; }

tray_icon_shown() { [ -n "$(tray_icons)" ]; }
tray_icon_gone() { [ -z "$(tray_icons)" ]; }
window_visible() { [ "$(probe visible)" = "visible 1" ]; }
window_hidden() { [ "$(probe visible)" = "visible 0" ]; }
taskbar_button() { probe taskbar | grep -q '^taskbar 1 iconic 0$'; }
no_taskbar_button() { probe taskbar | grep -q '^taskbar 0 '; }
decline_close_question() {
  probe decline 10000 > "$work/buttons" && grep -q ' Abbrechen' "$work/buttons" && ! grep -q ' Cancel' "$work/buttons" ||
    { cat "$work/buttons"; return 1; }
}
labels_before_fields() {
  probe order > "$work/order"
  [ "$(grep -c ': before Edit$' "$work/order")" -eq 11 ] && ! grep -qv ': before Edit$' "$work/order" ||
    { cat "$work/order"; return 1; }
}
focus_is() { probe focus > "$work/focus"; grep -qxF "focus $1" "$work/focus"; }
focus_comes_to() { until_true 5 focus_is "$1" || { cat "$work/focus"; return 1; }; }
answer_close_question() { probe confirm 10000 > "$work/question"; local s=$?; cat "$work/question"; return $s; }
question_is() { grep -qxF "question: $1" "$work/question" || { cat "$work/question"; return 1; }; }
app_gone() { ! kill -0 "$app_pid" 2>/dev/null; }

seed_registry() {
  run_wine64 reg delete "$key" /f > /dev/null 2>&1
  local name value
  while IFS='=' read -r name value; do
    run_wine64 reg add "$key" /v "$name" /t REG_SZ /d "$value" /f > /dev/null 2>&1 || return 1
  done <<EOF
Proxy Host=127.0.0.1
Proxy Port=$port
Abfrageinterval=500
Aktiviert=1
Ballooninfo=1
EOF
}

# Opens the tray menu with a right click on the icon; prints the menu's "x y width height".
open_tray_menu() {
  local x y
  read -r x y < <(tray_icons | head -n 1)
  [ -n "$x" ] || return 1
  # Click below the centre so that the menu opens under the icon and leaves it in sight.
  xdotool mousemove "$x" "$((y + 8))" click 3
  probe menu 5000
}

shoot() {  # shoot FILE CROP: the screen, cropped to WIDTHxHEIGHT+X+Y
  mkdir -p "$shot_dir"
  import -window root -crop "$2" +repage "$shot_dir/$1"
}

run_build() {
  local build=$1 exe="build/$1/monitor/zerka2remote.exe" menu mx my mw mh take_shots=$2
  probe_exe="build/$build/tests/wine/zerka-probe.exe"
  echo "-- $build"
  if [ ! -f "$exe" ] || [ ! -f "$probe_exe" ]; then
    fail "$build: $exe and $probe_exe built"
    return
  fi
  check "$build: zerka-sim started" start_sim || return
  check "$build: settings seeded in the registry" seed_registry || { stop_sim; return; }

  run_wine "$exe" > "$work/app-$build.log" 2>&1 &
  app_pid=$!
  check "$build: tray icon shown" until_true 30 tray_icon_shown
  check "$build: first polling cycle shows the line not connected" wait_field Status "Nicht verbunden" 30000
  check "$build: lock state shown" field_is DFUEGesperrt "DFÜ nicht gesperrt"
  check "$build: no connections yet" field_is Internetverbindungen 0

  "$ctl" --port "$port" fetch-mail > /dev/null 2>&1
  check "$build: dialling shown after fetch-mail" wait_field Status "Anwahl" 5000
  check "$build: connected line shown" wait_field Status "Verbunden" 10000
  check "$build: dial-up address shown" field_is DFUEIP "192.168.100.23"
  check "$build: connection count shown" field_is Internetverbindungen 1
  check "$build: time until hang-up shown" field_like Zeitbisauflegen '^0:0(1:[0-5][0-9]|2:00)$'
  check "$build: online time shown" field_like Onlinezeit '^-?0:00:0[0-9]$'
  check "$build: status line shows the time in the user's formats and the query's progress" \
    status_like '^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} (Beginne Proxy-Abfrage|Proxy-Anfrage abgeschlossen)$'

  if menu=$(open_tray_menu); then
    pass "$build: tray menu opens on a right click"
    read -r mx my mw mh <<<"$menu"
    if [ "$take_shots" = 1 ]; then
      check "$build: screenshot of the tray menu" shoot windows-tray.png 300x230+724+0
    fi
    # The first item shows the window.
    xdotool mousemove "$((mx + mw / 3))" "$((my + 12))" click 1
    check "$build: window shown through the tray menu" until_true 10 window_visible
  else
    fail "$build: tray menu opens on a right click"
    sed 's/^/    /' <<<"$menu"
  fi
  check "$build: open window still shows the connected line" wait_field Status "Verbunden" 5000
  if [ "$take_shots" = 1 ]; then
    # Let one more cycle finish so that the status bar shows a completed query.
    sleep 0.6
    check "$build: screenshot of the window" shoot windows-window.png 440x580+266+104
  fi
  check "$build: the shown window has its taskbar button" taskbar_button

  # A screen reader names each field by the label right before it; the keyboard finds the focus
  # on a control when the window opens and again after a message box.
  check "$build: every label stands right before its field" labels_before_fields
  check "$build: the opened window has the focus on its first control" focus_comes_to 'Button &Aktiviert'
  check "$build: close request posted for a question to decline" probe close
  check "$build: the close question's buttons are German; Abbrechen pressed" decline_close_question
  check "$build: after the question the focus is back on its control" focus_comes_to 'Button &Aktiviert'

  # Minimise to the tray: window and taskbar button go, the icon stays; the menu brings them back.
  check "$build: minimise request posted" probe minimize
  check "$build: minimising hides the window" until_true 10 window_hidden
  check "$build: minimising hides the taskbar button" until_true 10 no_taskbar_button
  check "$build: the tray icon stays" tray_icon_shown
  if menu=$(open_tray_menu); then
    read -r mx my mw mh <<<"$menu"
    xdotool mousemove "$((mx + mw / 3))" "$((my + 12))" click 1
    check "$build: window shown again from the tray" until_true 10 window_visible
    check "$build: taskbar button back, not minimised" until_true 10 taskbar_button
  else
    fail "$build: tray menu opens again after minimising"
  fi

  # The error path: the server goes away, the next cycle reports the refused connection.
  "$ctl" --port "$port" stop > /dev/null 2>&1
  check "$build: a refused connection shows in the status line" \
    wait_status '^Socket-Fehler # 10061[[:space:]]+Verbindung abgelehnt\.$' 10
  check "$build: close request posted" probe close
  check "$build: close question asked and answered with OK" answer_close_question
  check "$build: close question reads as it should" question_is "$question"
  check "$build: program exits after OK" until_true 15 app_gone
  check "$build: tray icon removed" until_true 10 tray_icon_gone
  wait "$app_pid" 2>/dev/null
  # The options the installer calls tell by their exit status alone.
  check "$build: --quit with no program running exits 0" run_wine "$exe" --quit
  run_wine "$exe" > "$work/app-again-$build.log" 2>&1 &
  app_pid=$!
  check "$build: started again" until_true 30 tray_icon_shown
  check "$build: --terminate ends the running program and exits 0" run_wine "$exe" --terminate
  check "$build: the terminated program is gone" until_true 10 app_gone
  wait "$app_pid" 2>/dev/null
  app_pid=""
  stop_sim
}

wine_boot
wine32_check
"$ZERKA_WINESERVER" -p
# Without a window manager Wine draws the frames itself, so screenshots show the title bar.
run_wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f > /dev/null 2>&1
# The user's own date format, unlike any locale's default, and a 24-hour clock: the status
# line must follow them.
run_wine64 reg add 'HKCU\Control Panel\International' /v sShortDate /t REG_SZ /d yyyy-MM-dd /f > /dev/null 2>&1
run_wine64 reg add 'HKCU\Control Panel\International' /v sTimeFormat /t REG_SZ /d HH:mm:ss /f > /dev/null 2>&1

first=1
for build in "${builds[@]}"; do
  if [ "$build" = win32 ] && [ "$ZERKA_WINE32" != yes ]; then
    echo "SKIP: win32: the 32-bit program under Wine ($ZERKA_WINE32)"
    continue
  fi
  run_build "$build" "$first"
  first=0
done

if [ "$failures" -eq 0 ]; then echo "wine-gui-run: all checks passed"; else echo "wine-gui-run: $failures checks failed"; fi
[ "$failures" -eq 0 ]
