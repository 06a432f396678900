#!/usr/bin/env bash
# The main job, on any machine: builds the programs, starts the simulated Zerka server on
# loopback and the Linux desktop program against it, polling, with a demo settings folder
# (the user's own settings stay untouched). Without a display it says so and shows in the
# terminal what the tray would show, then sends a command and shows its effect.
#   scripts/run-demo.sh            uses port 4295 (admin page on 2506)
#   ZERKA_PORT=5000 scripts/run-demo.sh
set -euo pipefail
cd "$(dirname "$0")/.."

echo "Setting up: the packages the demo needs, then the build (a first run on 2 cores takes a few minutes)."
bash scripts/install-deps.sh demo
# The programs without the tests: the demo needs no test framework.
build_log=$(mktemp)
cmake --preset linux-release > "$build_log" 2>&1 || { cat "$build_log"; exit 1; }

port=${ZERKA_PORT:-4295}
admin_port=$(( port == 2506 ? 2507 : 2506 ))
sim=build/linux-release/sim/zerka-sim
ctl=build/linux-release/tools/zerka2ctl
program=build/linux-release/monitor/zerka2remote

desktop=0
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then desktop=1; fi
targets=(zerka-sim zerka2ctl)
if [ "$desktop" = 1 ]; then targets+=(zerka2remote); fi
echo "Building ${targets[*]} ..."
cmake --build --preset linux-release -j 2 --target "${targets[@]}" > "$build_log" 2>&1 \
  || { tail -n 40 "$build_log"; echo "The build failed (above); scripts/install-deps.sh demo installs what it needs." >&2; exit 1; }
rm -f "$build_log"

demo_config=$(mktemp -d)
"$sim" --port "$port" --admin-port "$admin_port" &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; rm -rf "$demo_config"' EXIT

# The server is up once it answers a query; it ends at once when its ports are taken.
for _ in $(seq 50); do
  kill -0 "$sim_pid" 2>/dev/null || break
  [ "$("$ctl" --port "$port" line-state 2>/dev/null)" != 255 ] && break
  sleep 0.1
done
if ! kill -0 "$sim_pid" 2>/dev/null; then
  echo "zerka-sim could not start on port $port (or $admin_port): is another server using it?" >&2
  echo "Choose other ports, for example: ZERKA_PORT=5000 $0" >&2
  exit 1
fi

if [ "$desktop" = 1 ] && [ -x "$program" ]; then
  mkdir -p "$demo_config/Velmarin"
  printf '[Zerka 2 Remote 2]\nProxy Host=127.0.0.1\nProxy Port=%s\nAbfrageinterval=1000\nAktiviert=1\nBallooninfo=1\n' \
    "$port" > "$demo_config/Velmarin/Zerka 2 Remote 2.ini"
  chmod 600 "$demo_config/Velmarin/Zerka 2 Remote 2.ini"
  echo "zerka2remote is in the notification area, watching zerka-sim on 127.0.0.1:$port."
  echo "Its menu (right click) fetches mail, locks dial-up and so on; \"Ende\" ends the demo."
  echo "In another terminal: $ctl --port $port fetch-mail"
  XDG_CONFIG_HOME=$demo_config "$program"
  exit 0
fi

echo "No display (\$DISPLAY and \$WAYLAND_DISPLAY are empty): showing in this terminal what the"
echo "tray icon's tip would show."
show() { echo; echo "\$ zerka2ctl $*"; "$ctl" --port "$port" "$@" || true; }

show status
show fetch-mail
show status
echo; echo "(the simulated line dials for three seconds)"
sleep 4
show status
show toggle-lock
show status
show toggle-lock
show admin-port
