#!/usr/bin/env bash
# The main job, on any machine: builds the programs, starts the simulated Zerka server on
# loopback and shows what the tray would show, then sends a command and shows its effect.
#   scripts/run-demo.sh            uses port 4295 (admin page on 2506)
#   ZERKA_PORT=5000 scripts/run-demo.sh
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset linux > /dev/null
cmake --build --preset linux -j 2 --target zerka-sim zerka2ctl > /dev/null

port=${ZERKA_PORT:-4295}
admin_port=$(( port == 2506 ? 2507 : 2506 ))
sim=build/linux/sim/zerka-sim
ctl=build/linux/tools/zerka2ctl

"$sim" --port "$port" --admin-port "$admin_port" &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true' EXIT

# The server is up once it answers a query.
for _ in $(seq 50); do
  [ "$("$ctl" --port "$port" line-state 2>/dev/null)" != 255 ] && break
  sleep 0.1
done

show() { echo; echo "\$ zerka2ctl $*"; "$ctl" --port "$port" "$@" || true; }

show status
show fetch-mail
sleep 2
show status
show toggle-lock
show status
show toggle-lock
show admin-port
