#!/usr/bin/env bash
# zerka2remote in xfce4-panel's notification area under Xvfb, on a private session bus, used as
# a person would: find the icon on the screen, right-click it, walk the panel's menu by
# keyboard. Prints one PASS:/FAIL:/SKIP: line per check.
set -uo pipefail
source "$(dirname "$0")/hosts-lib.sh"

shows="xfce4-panel shows the icon"
fetch="\"Mails abholen\" chosen in xfce4-panel's menu reaches zerka-sim"
quit="\"Zerka2 beenden\" chosen in xfce4-panel's menu asks first; cancelled, nothing is sent"
expect "$shows" "$fetch" "$quit" "zerka2remote ran to the end without a fault report"
require xdotool xdotool
require import imagemagick
start_xvfb
start_bus
start_xfce_panel
start_sim
start_program

# The panel lies along the top of the screen.
icon_box() { "$python" "$hosts_dir/find-icon.py" 0 0 1024 48; }
wait_until 20 icon_box > /dev/null
box=$(icon_box) || { fail "$shows" "no tray picture on the panel; items: $(registered_items)"; exit; }
pass "$shows"

if choose_in_menu "$box" "Mails abholen" linux-xfce-menu.png 300x265 && wait_until 5 sim_saw "Befehl Mail abholen"; then
  pass "$fetch"
else
  fail "$fetch" "zerka-sim saw no mail-fetch command"
fi

if ! { choose_in_menu "$box" "Zerka2 beenden" && wait_until 5 shown '^Beenden$'; }; then
  fail "$quit" "no question"
else
  xdotool windowactivate --sync "$(visible_windows '^Beenden$' | head -n 1)" key Escape
  if ! wait_until 5 bash -c '! xdotool search --onlyvisible --name "^Beenden$" > /dev/null'; then
    fail "$quit" "the question stays after Escape"
  elif sim_saw "Befehl Server beenden" || ! running "$program_pid"; then
    fail "$quit" "the command went out or the program ended"
  else
    pass "$quit"
  fi
fi
check_program_clean
