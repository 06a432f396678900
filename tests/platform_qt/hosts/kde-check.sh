#!/usr/bin/env bash
# zerka2remote on a KDE Plasma 5 desktop (kwin on Xvfb, plasmashell as tray host and
# notification server, kded5's watcher) on a private session bus, used as a person would:
# the icon in the panel at the bottom, Plasma's menu, the window, a balloon.
# Prints one PASS:/FAIL:/SKIP: line per check.
set -uo pipefail
source "$(dirname "$0")/hosts-lib.sh"
expect_panel_checks "KDE Plasma"
balloon="KDE Plasma's notification server shows the first balloon"
expect "$balloon"
expect_window_check "KDE Plasma"
require kwin_x11 kwin-x11
require plasmashell plasma-workspace
require kded5 kded5
[ -d /usr/share/plasma/shells/org.kde.plasma.desktop ] || give_up "Plasma's desktop shell is missing (package plasma-desktop)"
# Before the bus: kded5, started by it, loads the watcher only in a KDE session.
export QT_QUICK_BACKEND=software LIBGL_ALWAYS_SOFTWARE=1 XDG_CURRENT_DESKTOP=KDE \
       KDE_FULL_SESSION=true KDE_SESSION_VERSION=5
start_xvfb 1280x800
start_bus
KWIN_COMPOSE=N kwin_x11 --replace > "$work/kwin.log" 2>&1 &
started $!
plasmashell --no-respawn > "$work/plasma.log" 2>&1 &
plasma_pid=$!
started "$plasma_pid"
until_true 40 bus_has org.kde.StatusNotifierWatcher \
  || give_up "Plasma's tray does not come up: $(tail -n 1 "$work/plasma.log")"
until_true 20 notifications_served_by "$plasma_pid" \
  || give_up "plasmashell does not serve notifications: $(tail -n 1 "$work/plasma.log")"
watch_notify

window_manager=1
tray_area="640 756 640 44"
balloons=1 panel_start || exit
notification_shown() {
  local window
  for window in $(xdotool search --onlyvisible --class plasmashell 2> /dev/null); do
    xprop -id "$window" _NET_WM_WINDOW_TYPE 2> /dev/null | grep -q _NET_WM_WINDOW_TYPE_NOTIFICATION && return 0
  done
  return 1
}
if ! until_true 15 notify_sent; then
  fail "$balloon" "the program sent none"
else
  check "$balloon" until_true 10 notification_shown
fi
keep_screenshot linux-kde-balloon.png import -window root -crop 640x240+640+560
menu_checks linux-kde-menu.png 340x300+940+480
window_check
keep_screenshot linux-kde-window.png import -window root
check_program_clean
