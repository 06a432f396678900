#!/usr/bin/env bash
# zerka2remote's menu through the client library that GTK panels use (libdbusmenu-glib, from
# Python), with tests/platform_qt/desktop_bus.py as the status-notifier watcher, on a private
# session bus and Xvfb. Prints one PASS:/FAIL:/SKIP: line per check.
set -uo pipefail
source "$(dirname "$0")/hosts-lib.sh"
expect "libdbusmenu-glib reads the menu's entries in order, with their pictures" \
       "a click libdbusmenu-glib sends as EventGroup reaches zerka-sim" \
       "zerka2remote ran to the end without a fault report"
"$python" -c 'import dbus, gi' 2> /dev/null || give_up "python3-dbus or python3-gi is missing"
start_xvfb
start_bus
"$python" "$hosts_root/tests/platform_qt/desktop_bus.py" &
started $!
until_true 10 bus_has org.kde.StatusNotifierWatcher || give_up "desktop_bus.py does not take the watcher's name"
start_sim
start_program
if ! until_true 10 has_item "$program_pid"; then
  fail "libdbusmenu-glib reads the menu's entries in order, with their pictures" "the item never registered"
else
  while IFS= read -r line; do
    name=${line#*: }
    reported "${name%% (*}"
    echo "$line"
  done < <("$python" "$hosts_dir/dbusmenu-client.py" "$(item_of "$program_pid")" "$work/sim.log")
fi
check_program_clean
