#!/usr/bin/env bash
# zerka2remote on Wayland (QT_QPA_PLATFORM=wayland) in a sway session on its headless backend:
# without a tray its window shows; with waybar its item registers, waybar reads its menu and
# draws its icon, and idle it wakes up no more often than a bare Qt 6 tray program beside it.
# Prints one PASS:/FAIL:/SKIP: line per check.
set -uo pipefail
source "$(dirname "$0")/hosts-lib.sh"
source "$hosts_dir/wayland-session.sh"

notray="without waybar the window shows on Wayland"
registers="waybar's tray takes the item"
menu="waybar reads the item's menu"
icon="waybar shows the icon"
idle="idle on Wayland, zerka2remote wakes up no more often than a bare Qt 6 tray program"
expect "$notray" "$registers" "$menu" "$icon" "$idle" "zerka2remote ran to the end without a fault report"
bare=${ZERKA_BARE_TRAY:-$hosts_root/build/linux/tests/platform_qt/hosts/bare_tray}
require grim grim
compgen -G "/usr/lib/*/qt6/plugins/platforms/libqwayland-*.so" > /dev/null \
  || give_up "Qt's Wayland platform is missing (package qt6-wayland)"
[ -x "$bare" ] || give_up "$bare is not built (cmake --build --preset linux --target bare_tray)"
start_sway
start_sim
on_wayland=("${session[@]}" QT_QPA_PLATFORM=wayland)

start_program "${on_wayland[@]}"
check "$notray" until_true 30 sway_tree_has_window zerka2remote
kill "$program_pid"
wait_gone 5 "$program_pid"

# Every question to a menu, and every answer, so that one of waybar's can be followed.
"${session[@]}" dbus-monitor --session "type='method_call',interface='com.canonical.dbusmenu'" "type='method_return'" \
  "type='error'" > "$work/menu-calls.log" 2>&1 &
started $!
start_waybar
polling=0 start_program "${on_wayland[@]}"
check "$registers" until_true 10 has_item "$program_pid"

# The item's connection, then waybar's GetLayout to it and the answer (not an error).
owner=$(on_bus dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.GetNameOwner \
          "string:$(item_of "$program_pid" | cut -d/ -f1)" 2> /dev/null | sed -n 's/^ *string "\(.*\)"$/\1/p')
menu_answered() {
  local serial
  serial=$(sed -n "s/^method call .* -> destination=$owner serial=\([0-9]*\) .*member=GetLayout$/\1/p" "$work/menu-calls.log" | head -n 1)
  [ -n "$serial" ] && grep -q "^method return .*sender=$owner -> .* reply_serial=$serial$" "$work/menu-calls.log"
}
if [ -z "$owner" ]; then
  fail "$menu" "the item has no connection"
else
  check "$menu" until_true 10 menu_answered
fi

bar_icon() {
  as_user grim -t ppm -g "0,0 1024x26" "$wayland/bar.ppm" 2> /dev/null && "$python" "$hosts_dir/find-icon.py" --ppm "$wayland/bar.ppm" > /dev/null
}
check "$icon" until_true 10 bar_icon
if [ -n "${ZERKA_SCREENSHOT_DIR:-}" ] && as_user grim -g "664,0 360x26" "$wayland/bar.png" 2> /dev/null; then
  mkdir -p "$ZERKA_SCREENSHOT_DIR" && cp "$wayland/bar.png" "$ZERKA_SCREENSHOT_DIR/linux-wayland-waybar.png"
fi

"${on_wayland[@]}" "$bare" > "$work/bare.log" 2>&1 &
bare_pid=$!
started "$bare_pid"
if ! until_true 10 has_item "$bare_pid"; then
  fail "$idle" "the bare tray program's item never registered"
else
  switches() { cat /proc/"$1"/task/*/status | awk '/^(non)?voluntary_ctxt_switches:/ { n += $2 } END { print n }'; }
  # Both settle first; then both are counted over the same seconds.
  sleep 2
  ours_before=$(switches "$program_pid") theirs_before=$(switches "$bare_pid")
  sleep 5
  ours_woke=$(( $(switches "$program_pid") - ours_before )) theirs_woke=$(( $(switches "$bare_pid") - theirs_before ))
  if [ "$ours_woke" -le "$theirs_woke" ]; then
    pass "$idle"
  else
    fail "$idle" "$ours_woke wake-ups in 5 s, the bare tray program $theirs_woke"
  fi
fi
check_program_clean
