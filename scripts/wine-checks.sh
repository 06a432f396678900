# Sourced by the scripts that check the Windows program under Wine, after wine-env.sh: a work
# folder with a Wine prefix of its own (ended and removed at exit), one "PASS: ..." or
# "FAIL: ..." line per check, and zerka-sim as the server.
#
#   check NAME COMMAND...     one check, run in this shell; the command's output is shown when
#                             it fails. Returns the command's success.
#   until_true SECONDS CMD... runs the command every 0.2 s until it succeeds or time is up
#   start_sim / stop_sim      zerka-sim on free loopback ports; its remote port in $port
#   tray_icons                the icons Wine has docked into the tray host
#   $failures                 how many checks failed

work=$(mktemp -d)
export WINEPREFIX="$work/prefix"
sim=build/linux/sim/zerka-sim
sim_pid=""
app_pid=""
failures=0

cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  wine_end
  rm -rf "$work"
}
trap cleanup EXIT

pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

check() {
  local name=$1
  shift
  if "$@" > "$work/check.log" 2>&1; then
    pass "$name"
  else
    fail "$name"
    sed 's/^/    /' "$work/check.log"
    return 1
  fi
}

source "$(dirname "${BASH_SOURCE[0]}")/until-true.sh"

start_sim() {
  "$sim" --port 0 --admin-port 0 > "$work/sim.log" 2>&1 &
  sim_pid=$!
  until_true 10 grep -q 'Fernsteuerung' "$work/sim.log" || return 1
  port=$(sed -nE 's/.*Fernsteuerung.*:([0-9]+)$/\1/p' "$work/sim.log")
  [ -n "$port" ]
}

stop_sim() {
  kill "$sim_pid" 2>/dev/null
  wait "$sim_pid" 2>/dev/null
  sim_pid=""
}

# The tray icons Wine has docked into the tray host, one line each: "X Y" of the icon's centre.
tray_icons() {
  local panel
  panel=$(xdotool search --name '^panel$' 2>/dev/null | head -n 1)
  [ -n "$panel" ] || return 0
  xwininfo -id "$panel" -tree 2>/dev/null |
    sed -nE 's/.*"explorer\.exe".* ([0-9]+)x([0-9]+)[-+][-0-9]+[-+][-0-9]+ +\+([-0-9]+)\+([-0-9]+).*/\1 \2 \3 \4/p' |
    while read -r w h x y; do echo "$((x + w / 2)) $((y + h / 2))"; done
}
