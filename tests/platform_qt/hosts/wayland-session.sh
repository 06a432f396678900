# Sourced after hosts-lib.sh: a Wayland session of its own, sway on its headless backend with
# a session bus, and waybar, whose tray is its own status-notifier watcher and host. sway
# refuses to run as root, so as root the session belongs to an unprivileged user made for it;
# what that user writes lies in a folder it owns.

wayland_user=zerka-desktop
wayland="$work/wayland"

# A command in the session runs as its user with the session's environment only: as_user
# COMMAND..., or "${session[@]}" COMMAND... where its process number counts ($! after &).
session_prefix() {
  session=()
  [ "$(id -u)" -ne 0 ] || session=(setpriv "--reuid=$wayland_user" "--regid=$wayland_user" --init-groups)
  session+=(env -i PATH=/usr/bin:/bin "${session_env[@]}")
}
as_user() { "${session[@]}" "$@"; }
on_bus() { as_user "$@"; }

sway_tree_has_window() {  # sway_tree_has_window APP_ID: a window of it shows
  as_user swaymsg -r -t get_tree 2> /dev/null | "$python" -c '
import json, sys
def windows(node):
    yield node
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        yield from windows(child)
sys.exit(0 if any(n.get("app_id") == sys.argv[1] and n.get("visible") for n in windows(json.load(sys.stdin))) else 1)' "$1"
}

start_sway() {
  require sway sway
  require swaymsg sway
  if [ "$(id -u)" -eq 0 ] && ! id "$wayland_user" > /dev/null 2>&1; then
    useradd --system --user-group --no-create-home --shell /usr/sbin/nologin "$wayland_user" 2> "$work/useradd.log" \
      || give_up "no user for sway, which refuses to run as root: $(tail -n 1 "$work/useradd.log")"
  fi
  local owner
  owner=$([ "$(id -u)" -eq 0 ] && echo "$wayland_user" || id -un)
  program_owner=$owner
  mkdir -p "$wayland/runtime" "$wayland/home"
  chmod 700 "$wayland/runtime"
  printf 'output HEADLESS-1 resolution 1024x768\nxwayland disable\n' > "$wayland/sway.config"
  printf '{"position": "top", "height": 26, "modules-left": ["sway/workspaces"], "modules-right": ["tray", "clock"],\n "tray": {"icon-size": 16, "spacing": 6}, "clock": {"format": "{:%%H:%%M}"}}\n' \
    > "$wayland/waybar.json"
  chown -R "$owner:" "$wayland"
  session_env=(HOME="$wayland/home" XDG_RUNTIME_DIR="$wayland/runtime"
               DBUS_SESSION_BUS_ADDRESS="unix:path=$wayland/runtime/bus")
  session_prefix
  local bus
  mapfile -t bus < <(as_user dbus-daemon --session --fork --print-pid=1 --address="unix:path=$wayland/runtime/bus")
  [ -n "${bus[0]:-}" ] || give_up "dbus-daemon does not start a session bus for $owner"
  started "${bus[0]}"
  "${session[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway -c "$wayland/sway.config" > "$work/sway.log" 2>&1 &
  started $!
  sway_socket() { compgen -G "$wayland/runtime/sway-ipc.*.sock" > /dev/null && compgen -G "$wayland/runtime/wayland-?" > /dev/null; }
  until_true 20 sway_socket || give_up "sway does not start: $(grep -m 1 -i error "$work/sway.log")"
  local display socket
  display=$(basename "$(compgen -G "$wayland/runtime/wayland-?" | head -n 1)")
  socket=$(compgen -G "$wayland/runtime/sway-ipc.*.sock" | head -n 1)
  session_env+=(WAYLAND_DISPLAY="$display" SWAYSOCK="$socket")
  session_prefix
}

start_waybar() {
  require waybar waybar
  "${session[@]}" waybar -c "$wayland/waybar.json" -s /etc/xdg/waybar/style.css > "$work/waybar.log" 2>&1 &
  waybar_pid=$!
  started "$waybar_pid"
  until_true 20 bus_has org.kde.StatusNotifierWatcher || give_up "waybar's tray does not come up: $(tail -n 1 "$work/waybar.log")"
}
