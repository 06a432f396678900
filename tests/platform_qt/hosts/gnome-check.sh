#!/usr/bin/env bash
# zerka2remote on GNOME Shell (X11 on Xvfb) with the AppIndicator extension as tray host and
# the shell's own notifications, on private session and system buses, used as a person would:
# the icon in the top bar, the extension's menu, the window, a banner; then the program
# started again several times, the icon there each time. (The extension once dropped an item
# about a second after it came, in a third of starts, and never showed it again.)
# Prints one PASS:/FAIL:/SKIP: line per check.
#   ZERKA_GNOME_STARTS: how many starts after the first (default 10)
set -uo pipefail
source "$(dirname "$0")/hosts-lib.sh"
extension=ubuntu-appindicators@ubuntu.com
starts=${ZERKA_GNOME_STARTS:-10}
expect_panel_checks "GNOME Shell"
balloon="GNOME Shell shows the first balloon as a banner"
again="the icon is on GNOME Shell's top bar after each of $starts further starts"
expect "$balloon"
expect_window_check "GNOME Shell"
expect "$again"
require gnome-shell gnome-shell
require gjs gjs
require gsettings libglib2.0-bin
[ -d "/usr/share/gnome-shell/extensions/$extension" ] \
  || give_up "the AppIndicator extension is missing (package gnome-shell-extension-appindicator)"

# The shell needs a system bus (for logind, which it does without when nobody answers); the
# bus of the machine is left alone. Exported before the session bus, so that the services
# that bus starts (the notification daemon) find it too.
cat > "$work/system-bus.conf" <<XML
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$work/system-bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_requested_reply="true" send_type="method_return"/>
    <allow send_requested_reply="true" send_type="error"/>
    <allow receive_type="*"/>
  </policy>
</busconfig>
XML
mapfile -t system_bus < <(dbus-daemon --config-file="$work/system-bus.conf" --fork --print-address=1 --print-pid=1)
[ -n "${system_bus[1]:-}" ] || give_up "dbus-daemon does not start a system bus of its own"
started "${system_bus[1]}"
export DBUS_SYSTEM_BUS_ADDRESS=${system_bus[0]}
start_xvfb 1280x800
start_bus
gsettings set org.gnome.shell enabled-extensions "['$extension']"
# Full opacity: the extension dims icons by default, which would change their colours.
gsettings set org.gnome.shell.extensions.appindicator icon-opacity 255
# The shell's warning that locking needs GDM, shown once per user, would hold back every banner.
mkdir -p "$XDG_DATA_HOME/gnome-shell"
touch "$XDG_DATA_HOME/gnome-shell/lock-warning-shown"
gnome-shell --replace --x11 > "$work/shell.log" 2>&1 &
started $!
until_true 30 bus_has org.kde.StatusNotifierWatcher \
  || give_up "GNOME Shell's AppIndicator extension does not come up: $(tail -n 1 "$work/shell.log")"
pixel_is() {  # pixel_is X Y #RRGGBB
  [ "$(import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2> /dev/null | grep -o '#[0-9A-F]\{6\}')" = "$3" ]
}
# The top bar is black out of the overview the shell opens with; a person leaves it by Escape.
bar_black() { pixel_is 640 28 '#000000'; }
in_overview() { ! bar_black; }
until_true 10 in_overview
xdotool key Escape
until_true 5 bar_black || give_up "GNOME Shell stays in its overview after Escape"
# The banner's grey fills most of its place below the top bar.
banner_area=500x76+390+36
banner_shown() {
  [ "$(import -window root -crop "$banner_area" png:- 2> /dev/null |
       convert png:- -fill white -opaque 'srgb(63,63,63)' -fill black +opaque white -format '%[fx:mean>0.3]' info:)" = 1 ]
}
# The shell's own warning to root, gone a few seconds after a key was pressed.
no_banner() { ! banner_shown; }
until_true 15 no_banner || give_up "GNOME Shell's own banner stays"
watch_notify

tray_area="640 0 640 32"
window_manager=1
no_icon() { ! icon_box > /dev/null; }
# The extension dropped items about a second after they came; a drop must mend itself.
icon_settles() {  # false when the icon went and did not come back; dropped counts the drops
  if until_true 3 no_icon; then
    dropped=$((dropped + 1))
    until_true 5 icon_box > /dev/null || return 1
  fi
  until_true 5 has_item "$program_pid"
}
dropped=0
balloons=1 panel_start || exit
if ! until_true 15 notify_sent; then
  fail "$balloon" "the program sent none"
else
  check "$balloon" until_true 10 banner_shown
fi
keep_screenshot linux-gnome-balloon.png import -window root -crop 900x120+380+0
icon_settles || fail "$fetch" "the icon went and did not come back"
read -r x y w h <<< "$box"
shell_menu_area="80x40+$((x + w - 80))+$((y + h + 10))"
menu_checks linux-gnome-menu.png 340x440+940+0
window_check
keep_screenshot linux-gnome-window.png import -window root

for ((start = 1; start <= starts; start++)); do
  kill "$program_pid"
  wait_gone 5 "$program_pid"
  until_true 5 no_icon || { fail "$again" "the icon stays after the program ended"; break; }
  start_program
  if ! until_true 10 icon_box > /dev/null; then
    fail "$again" "start $start: no icon; items: $(registered_items)"
    break
  fi
  icon_settles || { fail "$again" "start $start: the icon went and did not come back"; break; }
done
[ "$start" -le "$starts" ] || { pass "$again"; echo "the icon was gone for a moment $dropped times" >&2; }
check_program_clean
