#!/usr/bin/env bash
# zerka2remote's balloons through a real notification server (xfce4-notifyd) while it sits in
# xfce4-panel's notification area, under Xvfb on a private session bus.
# Prints one PASS:/FAIL:/SKIP: line per check.
set -uo pipefail
source "$(dirname "$0")/hosts-lib.sh"

first="xfce4-notifyd shows the first balloon, once"
next="the next balloon replaces the first on the screen"
expect "$first" "$next" "zerka2remote ran to the end without a fault report"
require xdotool xdotool
require dbus-monitor dbus
notifyd=$(ls /usr/lib/*/xfce4/notifyd/xfce4-notifyd 2> /dev/null | head -n 1)
[ -n "$notifyd" ] || give_up "xfce4-notifyd is missing (package xfce4-notifyd)"
ctl=${ZERKA_CTL:-$hosts_root/build/linux/tools/zerka2ctl}
[ -x "$ctl" ] || give_up "$ctl is not built (cmake --build --preset linux --target zerka2ctl)"
start_xvfb
start_bus
start_xfce_panel
"$notifyd" > "$work/notifyd.log" 2>&1 &
started $!
until_true 10 bus_has org.freedesktop.Notifications || give_up "xfce4-notifyd does not come up: $(tail -n 1 "$work/notifyd.log")"
dbus-monitor --session "type='method_call',interface='org.freedesktop.Notifications',member='Notify'" \
  > "$work/notify.log" 2>&1 &
started $!
start_sim
balloons=1 start_program

sent() { [ "$(grep -c 'member=Notify' "$work/notify.log")" -ge "$1" ]; }
balloons_shown() { xdotool search --onlyvisible --maxdepth 1 --name '^xfce4-notifyd$' 2> /dev/null | wc -l; }
shown_at_least() { [ "$(balloons_shown)" -ge "$1" ]; }

if ! { until_true 15 sent 1 && until_true 5 shown_at_least 1; }; then
  fail "$first" "no balloon on the screen; $(grep -c 'member=Notify' "$work/notify.log") sent"
else
  check "$first" [ "$(balloons_shown)" -eq 1 ]
  # Fetching mail dials: two changes of the line's state, two balloons.
  "$ctl" --port "$sim_port" fetch-mail > /dev/null
  if ! until_true 15 grep -q '^Verbunden$' "$work/notify.log"; then
    fail "$next" "no balloon for the connected line"
  elif until_true 2 shown_at_least 2; then
    fail "$next" "$(balloons_shown) balloons on the screen"
  else
    check "$next" [ "$(balloons_shown)" -eq 1 ]
  fi
fi
keep_screenshot linux-xfce-balloon.png import -window root
check_program_clean
