# Sourced by the real-host checks. Each script names its checks first (expect); each one ends
# as one PASS:, FAIL: or SKIP: line, and those not reached are reported as skipped with the
# reason, so none passes silently. The parts a check starts (a private session bus, Xvfb,
# zerka-sim, the program) end with the script.
#   ZERKA_PROGRAM, ZERKA_SIM: the programs (default: the linux preset's build)
#   ZERKA_SCREENSHOT_DIR: where screenshots go (default: none are kept)

hosts_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
hosts_dir="$hosts_root/tests/platform_qt/hosts"
python=/usr/bin/python3
program=${ZERKA_PROGRAM:-$hosts_root/build/linux/monitor/zerka2remote}
sim=${ZERKA_SIM:-$hosts_root/build/linux/sim/zerka-sim}
export PYTHONDONTWRITEBYTECODE=1
work=$(mktemp -d)
chmod 755 "$work"
pending=()
pids=()
failed=0
skip_reason="not reached"

expect() { pending+=("$@"); }
reported() {
  local name=$1 kept=() entry
  for entry in "${pending[@]}"; do [ "$entry" = "$name" ] || kept+=("$entry"); done
  pending=("${kept[@]}")
}
pass() { reported "$1"; echo "PASS: $1"; }
fail() { reported "$1"; echo "FAIL: $1${2:+ ($2)}"; failed=1; }
check() {  # check NAME COMMAND...: passes when the command succeeds
  local name=$1
  shift
  if "$@"; then pass "$name"; else fail "$name"; fi
}
# Ends the script here; the checks not reported yet are skipped for REASON.
give_up() { skip_reason=$1; exit 0; }
require() {  # require COMMAND PACKAGE
  command -v "$1" > /dev/null || give_up "$1 is missing ($(package_note "$2"))"
}

finish() {
  local entry pid i
  for entry in "${pending[@]}"; do echo "SKIP: $entry ($skip_reason)"; done
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    pid=${pids[i]}
    kill "$pid" 2> /dev/null && wait_gone 5 "$pid"
    kill -9 "$pid" 2> /dev/null
  done
  [ -n "${ZERKA_KEEP_WORK:-}" ] && echo "work folder kept: $work" >&2 || rm -rf "$work"
  exit "$failed"
}
trap finish EXIT
trap 'failed=1; skip_reason="stopped by a signal (time-out?)"; exit' INT TERM

source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/until-true.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/package-groups.sh"
running() { kill -0 "$1" 2> /dev/null; }
gone() { ! running "$1"; }
wait_gone() { until_true "$1" gone "$2"; }
started() { pids+=("$1"); }


# A display of its own; Xvfb picks a free number.
start_xvfb() {  # start_xvfb [WIDTHxHEIGHT]
  require Xvfb xvfb
  Xvfb -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp 3> "$work/display" > "$work/xvfb.log" 2>&1 &
  started $!
  until_true 10 test -s "$work/display" || give_up "Xvfb does not start: $(tail -n 1 "$work/xvfb.log")"
  export DISPLAY=":$(cat "$work/display")"
}

# A session bus of its own, with private folders for everything the desktop's parts keep.
start_bus() {
  require dbus-daemon dbus
  mkdir -p "$work/home/config" "$work/home/cache" "$work/home/data" "$work/home/runtime"
  chmod 700 "$work/home/runtime"
  export XDG_CONFIG_HOME="$work/home/config" XDG_CACHE_HOME="$work/home/cache" \
         XDG_DATA_HOME="$work/home/data" XDG_RUNTIME_DIR="$work/home/runtime"
  unset SESSION_MANAGER
  # No accessibility bus: GTK would start one on every session bus.
  export NO_AT_BRIDGE=1
  local bus
  mapfile -t bus < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
  [ -n "${bus[1]:-}" ] || give_up "dbus-daemon does not start a session bus"
  started "${bus[1]}"
  export DBUS_SESSION_BUS_ADDRESS=${bus[0]}
}

# Runs a command that talks to the session bus; a session of another user replaces it.
on_bus() { "$@"; }

bus_has() {  # bus_has NAME: the name has an owner on the session bus
  on_bus dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
    "string:$1" 2> /dev/null | grep -q 'boolean true'
}

# The items the watcher knows, one a line.
registered_items() {
  on_bus dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
    org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
    string:RegisteredStatusNotifierItems 2> /dev/null | sed -n 's/^ *string "\(.*\)"$/\1/p'
}
has_item() { item_of "$1" > /dev/null; }
item_of() {  # item_of PID: the registered item of that process
  local item
  for item in $(registered_items); do
    [ "$(on_bus dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
           org.freedesktop.DBus.GetConnectionUnixProcessID "string:${item%%/*}" 2> /dev/null |
         sed -n 's/^ *uint32 //p')" = "$1" ] && { echo "$item"; return 0; }
  done
  return 1
}

sim_saw() { grep -qF "$1" "$work/sim.log"; }
sim_started_port() { sed -nE 's/.*Fernsteuerung \(UDP und TCP\): [0-9.]+:([0-9]+).*/\1/p' "$work/sim.log"; }

# zerka-sim on loopback ports it picks itself (free for datagrams and streams alike; a port
# probed here could be taken meanwhile by a connection of a test beside this one). A first
# poll that finds no server stops polling, so the program must start only once this returns.
start_sim() {
  [ -x "$sim" ] || give_up "$sim is not built (cmake --build --preset linux --target zerka-sim)"
  "$sim" --port 0 --admin-port 0 > "$work/sim.log" 2>&1 &
  started $!
  until_true 10 sim_saw Fernsteuerung || give_up "zerka-sim does not start: $(tail -n 1 "$work/sim.log")"
  sim_port=$(sim_started_port)
}

# The program with settings of its own, polling zerka-sim every second (not at all with
# polling=0), balloons off (on with balloons=1); its output goes to $work/program.log. The
# arguments are put before it (env VAR=... for instance); with program_owner set, its
# settings belong to that user.
start_program() {
  [ -x "$program" ] || give_up "$program is not built (cmake --build --preset linux --target zerka2remote)"
  local config="$work/program-config"
  mkdir -p "$config/Velmarin"
  printf '[Zerka 2 Remote 2]\nProxy Host=127.0.0.1\nProxy Port=%s\nAbfrageinterval=1000\nAktiviert=%s\nBallooninfo=%s\n' \
    "$sim_port" "${polling:-1}" "${balloons:-0}" > "$config/Velmarin/Zerka 2 Remote 2.ini"
  chmod 600 "$config/Velmarin/Zerka 2 Remote 2.ini"
  [ -z "${program_owner:-}" ] || chown -R "$program_owner:" "$config"
  "$@" env XDG_CONFIG_HOME="$config" "$program" >> "$work/program.log" 2>&1 &
  program_pid=$!
  started "$program_pid"
}

# What the program wrote that tells of a fault: QtDBus's refusal to export a method, a
# sanitizer's report, Qt's own warnings about D-Bus.
program_faults() {
  grep -E 'Skipped method|Sanitizer|runtime error|QDBus' "$work/program.log" | sort -u | head -n 3
}
# Asks for the item's and its menu's interface descriptions, as hosts do; QtDBus reports a
# method it could not export only then.
introspect_item() {
  local item service path menu
  item=$(item_of "$program_pid")
  [ -n "$item" ] || return 0
  service=${item%%/*}
  path=/${item#*/}
  [ "$path" != "/$item" ] || path=/StatusNotifierItem
  menu=$(on_bus dbus-send --session --print-reply --dest="$service" "$path" org.freedesktop.DBus.Properties.Get \
           string:org.kde.StatusNotifierItem string:Menu 2> /dev/null | sed -n 's/.*object path "\(.*\)"$/\1/p')
  for path in "$path" ${menu:+"$menu"}; do
    on_bus dbus-send --session --print-reply --dest="$service" "$path" org.freedesktop.DBus.Introspectable.Introspect \
      > /dev/null 2>&1
  done
}
check_program_clean() {
  local faults
  introspect_item
  faults=$(program_faults)
  if ! running "$program_pid"; then
    fail "zerka2remote ran to the end without a fault report" "it ended early: $(tail -n 2 "$work/program.log")"
  elif [ -n "$faults" ]; then
    fail "zerka2remote ran to the end without a fault report" "$faults"
  else
    pass "zerka2remote ran to the end without a fault report"
  fi
}

# X windows shown by name (a regular expression).
visible_windows() { xdotool search --onlyvisible --name "$1" 2> /dev/null; }
shown() { [ -n "$(visible_windows "$1")" ]; }

# The menu entries' keyboard steps from the top (enabled entries only, separators skipped),
# read from the program's exported menu; the menu a panel draws from it has the same.
menu_steps() {  # menu_steps CAPTION
  on_bus "$python" "$hosts_dir/menu-steps.py" "$(item_of "$program_pid")" "$1"
}

keep_screenshot() {  # keep_screenshot NAME COMMAND...: runs the command to write $ZERKA_SCREENSHOT_DIR/NAME
  [ -n "${ZERKA_SCREENSHOT_DIR:-}" ] || return 0
  mkdir -p "$ZERKA_SCREENSHOT_DIR"
  local name=$1
  shift
  "$@" "$ZERKA_SCREENSHOT_DIR/$name" 2> /dev/null || echo "screenshot $name not taken" >&2
}

# xfce4-panel with one panel along the top holding only its notification area, which is a
# status-notifier watcher and host (menus through libdbusmenu, clicks sent as EventGroup).
start_xfce_panel() {
  require xfce4-panel xfce4-panel
  require xfconf-query xfconf
  local channels="$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
  mkdir -p "$channels"
  cat > "$channels/xfce4-panel.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="24"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
XML
  xfce4-panel --disable-wm-check --sm-client-disable > "$work/panel.log" 2>&1 &
  started $!
  until_true 20 bus_has org.kde.StatusNotifierWatcher \
    || give_up "xfce4-panel's notification area does not come up: $(tail -n 1 "$work/panel.log")"
}

# The window named NAME has the focus: given by the window manager where there is one
# (window_manager set), as a new window should get it; given here where there is none.
focus_window() {  # focus_window NAME
  if [ -n "${window_manager:-}" ]; then
    until_true 5 focused_window_is "$1"
  else
    xdotool windowfocus --sync "$(visible_windows "^$1$" | head -n 1)"
  fi
}
focused_window_is() { [ "$(xdotool getactivewindow getwindowname 2> /dev/null)" = "$1" ]; }

top_windows() { xdotool search --onlyvisible --maxdepth 1 --name '' 2> /dev/null | sort; }
window_added() { [ -n "$(comm -13 <(echo "$1") <(top_windows))" ]; }

# What tells that a menu opened: a new window, or, where the shell draws its menus itself
# (shell_menu_area "WxH+X+Y" set, a patch the menu covers), a change of that patch.
menu_view() {
  if [ -n "${shell_menu_area:-}" ]; then
    import -window root -crop "$shell_menu_area" ppm:- 2> /dev/null | md5sum
  else
    top_windows
  fi
}
menu_opened() {  # menu_opened VIEW-BEFORE
  if [ -n "${shell_menu_area:-}" ]; then [ "$(menu_view)" != "$1" ]; else window_added "$1"; fi
}

# Right-clicks the icon in the box "X Y W H" on the screen and chooses CAPTION in the menu that
# opens, with the arrow keys and Return. With SHOT, the part of the screen AREA (WxH for the
# top left corner, or WxH+X+Y) is kept under that name, the entry highlighted. The pointer
# stays on the icon: Plasma's menu takes the first entry when it leaves before Return.
choose_in_menu() {  # choose_in_menu "X Y W H" CAPTION [SHOT AREA]
  local x y w h steps before area=${4:-}
  read -r x y w h <<< "$1"
  steps=$(menu_steps "$2") || return 1
  before=$(menu_view)
  xdotool mousemove --sync $((x + w / 2)) $((y + h / 2)) click 3
  until_true 5 menu_opened "$before" || return 1
  # shellcheck disable=SC2046
  xdotool key --delay 60 $(printf 'Down %.0s' $(seq "$steps"))
  [[ "$area" == *+* ]] || area="$area+0+0"
  [ -z "${3:-}" ] || keep_screenshot "$3" import -window root -crop "$area"
  xdotool key Return
}

# lxqt-panel with one panel along the top holding only its status notifier, whose client side
# is the one KDE Plasma uses too (libdbusmenu-qt: clicks sent as Event).
start_lxqt_panel() {
  require lxqt-panel lxqt-panel
  mkdir -p "$XDG_CONFIG_HOME/lxqt"
  printf '[General]\npanels=panel1\n\n[panel1]\nplugins=statusnotifier\nposition=Top\npanelSize=28\niconSize=22\nwidth=100\nwidth-percent=true\n\n[statusnotifier]\ntype=statusnotifier\n' \
    > "$XDG_CONFIG_HOME/lxqt/panel.conf"
  lxqt-panel > "$work/panel.log" 2>&1 &
  started $!
  until_true 20 bus_has org.kde.StatusNotifierWatcher \
    || give_up "lxqt-panel's status notifier does not come up: $(tail -n 1 "$work/panel.log")"
}

# The checks of a panel along the top of the screen, used as a person would: find the icon,
# right-click it, walk the panel's menu by keyboard; the program's own report at the end.
expect_panel_checks() {  # expect_panel_checks PANEL
  shows="$1 shows the icon"
  fetch="\"Mails abholen\" chosen in $1's menu reaches zerka-sim"
  quit="\"Zerka2 beenden\" chosen in $1's menu asks first; cancelled, nothing is sent"
  expect "$shows" "$fetch" "$quit" "zerka2remote ran to the end without a fault report"
}
panel_checks() {  # panel_checks SHOT AREA: after expect_panel_checks
  panel_start || return
  menu_checks "$@"
  check_program_clean
}

# Where the icon is looked for, "X Y W H": a panel along the top of the screen by default.
tray_area="0 0 1024 48"
icon_box() { "$python" "$hosts_dir/find-icon.py" $tray_area; }
# zerka-sim and the program; box is where the icon shows. False when it does not.
panel_start() {
  require xdotool xdotool
  require import imagemagick
  start_sim
  start_program "$@"
  until_true 20 icon_box > /dev/null
  box=$(icon_box) || { fail "$shows" "no tray picture on the panel; items: $(registered_items)"; return 1; }
  pass "$shows"
}

menu_checks() {  # menu_checks SHOT AREA: the icon's menu, once the icon is in box
  if choose_in_menu "$box" "Mails abholen" "$1" "$2" && until_true 5 sim_saw "Befehl Mail abholen"; then
    pass "$fetch"
  else
    fail "$fetch" "zerka-sim saw no mail-fetch command"
  fi

  if ! { choose_in_menu "$box" "Zerka2 beenden" && until_true 5 shown '^Beenden$'; }; then
    fail "$quit" "no question"
  else
    if ! focus_window Beenden; then
      fail "$quit" "the focus is on \"$(xdotool getactivewindow getwindowname 2> /dev/null)\", not on the question"
      # Answered by a click into it and Escape, so that the checks after start from a clean desktop.
      xdotool mousemove --window "$(visible_windows '^Beenden$' | head -n 1)" 20 10 click 1
      focus_window Beenden && xdotool key Escape
    elif ! { xdotool key Escape; until_true 5 bash -c '! xdotool search --onlyvisible --name "^Beenden$" > /dev/null'; }; then
      fail "$quit" "the question stays after Escape"
    elif sim_saw "Befehl Server beenden" || ! running "$program_pid"; then
      fail "$quit" "the command went out or the program ended"
    else
      pass "$quit"
    fi
  fi
}

# A desktop with a window manager: the program's window, opened from the icon's menu, has the
# focus, so that a person can type at once.
expect_window_check() {  # expect_window_check DESKTOP
  window="\"Zerka2 Remote - Einstellungen...\" chosen in $1's menu opens the window with the focus"
  expect "$window"
}
window_check() {  # after expect_window_check, once the icon is in box
  if ! { choose_in_menu "$box" "Zerka2 Remote - Einstellungen..." && until_true 5 shown '^Zerka2Remote2Config$'; }; then
    fail "$window" "no window"
  elif ! until_true 5 focused_window_is Zerka2Remote2Config; then
    fail "$window" "the focus is on \"$(xdotool getactivewindow getwindowname 2> /dev/null)\""
  else
    pass "$window"
  fi
}

# The program's Notify calls and the server's answers, for the checks of balloons.
watch_notify() {
  require dbus-monitor dbus
  dbus-monitor --session "type='method_call',interface='org.freedesktop.Notifications',member='Notify'" \
    "type='method_return'" > "$work/notify.log" 2>&1 &
  started $!
}
notify_sent() { grep -q 'member=Notify' "$work/notify.log"; }
# The notification server is the process PID: a desktop's own, not one the bus activated.
notifications_served_by() {
  [ "$(on_bus dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
         org.freedesktop.DBus.GetConnectionUnixProcessID string:org.freedesktop.Notifications 2> /dev/null |
       sed -n 's/^ *uint32 //p')" = "$1" ]
}
