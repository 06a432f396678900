#!/usr/bin/env bash
# Measures, in one run and side by side:
#   - the polling cycle against its physical floor (bench/zerka_bench, Google Benchmark),
#   - CPU time per cycle,
#   - the Linux program's idle memory and start-up CPU against a bare Qt tray program
#     (tests/platform_qt/hosts/bare_tray),
#   - wake-ups per second of each with polling off and on,
# on four kinds of tray host: an XEmbed tray (trayer), a StatusNotifier host played on a
# private D-Bus session bus (tests/platform_qt/desktop_bus.py), xfce4-panel's notification
# area as a real StatusNotifier host on X11, and waybar's tray in a sway session on Wayland.
# Everything runs on this machine: private X servers (Xvfb), a headless sway (as an
# unprivileged user when run as root), and zerka-sim on loopback. A host that cannot run here
# is left out with its reason on standard error. Prints Markdown tables; docs/performance.md
# explains the method.
#   scripts/bench.sh [seconds to count wake-ups, default 10]
set -euo pipefail
cd "$(dirname "$0")/.."

window=${1:-10}
settle=3
work=$(mktemp -d)
pids=()
cleanup() {
  # The last started first: a bus outlives the programs on it.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2> /dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

cmake --preset linux > /dev/null
cmake --build --preset linux -j 2 --target zerka_bench zerka2remote zerka-sim bare_tray > /dev/null
bare=./build/linux/tests/platform_qt/hosts/bare_tray

# --- the cycle against its floor
./build/linux/bench/zerka_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_format=json > "$work/cycle.json" 2> /dev/null

# --- processes under a private X server with a tray host
ticks=$(getconf CLK_TCK)
cpu_ms() { awk -v t="$ticks" '{ sub(/^.*\) /, ""); print int(($12 + $13) * 1000 / t) }' "/proc/$1/stat"; }
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
switches() { cat /proc/"$1"/task/*/status | awk '/^(non)?voluntary_ctxt_switches:/ { n += $2 } END { print n }'; }

# Starts a program, lets it settle, prints "rss_kib startup_cpu_ms wakeups_per_s".
measure() {
  "$@" > /dev/null 2>&1 &
  local pid=$!
  pids+=("$pid")
  sleep "$settle"
  local rss cpu before after
  rss=$(rss_kib "$pid")
  cpu=$(cpu_ms "$pid")
  before=$(switches "$pid")
  sleep "$window"
  after=$(switches "$pid")
  kill "$pid"
  wait "$pid" 2> /dev/null || true
  echo "$rss $cpu $(awk -v a="$before" -v b="$after" -v w="$window" 'BEGIN { printf "%.1f", (b - a) / w }')"
}

# The XEmbed figures must not meet a StatusNotifier host on the user's own session bus.
unset DBUS_SESSION_BUS_ADDRESS

./build/linux/sim/zerka-sim --port 0 --admin-port 0 > "$work/sim.log" 2>&1 &
pids+=("$!")
for _ in $(seq 100); do
  sim_port=$(sed -nE 's/.*Fernsteuerung \(UDP und TCP\): [0-9.]+:([0-9]+).*/\1/p' "$work/sim.log")
  [ -n "$sim_port" ] && break
  sleep 0.1
done
[ -n "$sim_port" ] || { echo "zerka-sim does not start: $(cat "$work/sim.log")" >&2; exit 1; }

display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp > /dev/null 2>&1 &
pids+=("$!")
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
export DISPLAY=":$display"
trayer --edge top --align right --widthtype pixel --width 120 --heighttype pixel --height 24 \
       --transparent false > /dev/null 2>&1 &
pids+=("$!")
sleep 1

mkdir -p "$work/off/Velmarin" "$work/on/Velmarin"
printf '[Zerka 2 Remote 2]\nAktiviert=0\n' > "$work/off/Velmarin/Zerka 2 Remote 2.ini"
printf '[Zerka 2 Remote 2]\nProxy Host=127.0.0.1\nProxy Port=%s\nAbfrageinterval=1000\nAktiviert=1\nBallooninfo=0\n' \
  "$sim_port" > "$work/on/Velmarin/Zerka 2 Remote 2.ini"
chmod 600 "$work"/*/Velmarin/*.ini
{
  echo "bare $(measure "$bare")"
  echo "off $(XDG_CONFIG_HOME="$work/off" measure ./build/linux/monitor/zerka2remote)"
  echo "on $(XDG_CONFIG_HOME="$work/on" measure ./build/linux/monitor/zerka2remote)"
} > "$work/processes.txt"

if command -v dbus-daemon > /dev/null && /usr/bin/python3 -c 'import dbus, gi' 2> /dev/null; then
  mapfile -t bus < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 2> /dev/null)
  pids+=("${bus[1]}")
  DBUS_SESSION_BUS_ADDRESS=${bus[0]} /usr/bin/python3 -B tests/platform_qt/desktop_bus.py &
  pids+=("$!")
  sleep 1
  {
    echo "sni-bare $(DBUS_SESSION_BUS_ADDRESS=${bus[0]} measure "$bare")"
    echo "sni-off $(DBUS_SESSION_BUS_ADDRESS=${bus[0]} XDG_CONFIG_HOME="$work/off" measure ./build/linux/monitor/zerka2remote)"
    echo "sni-on $(DBUS_SESSION_BUS_ADDRESS=${bus[0]} XDG_CONFIG_HOME="$work/on" measure ./build/linux/monitor/zerka2remote)"
  } >> "$work/processes.txt"
else
  echo "SKIP: StatusNotifier host (needs dbus-daemon, python3-dbus and python3-gi)" >&2
fi

# The real hosts start in subshells of their own with the checks' helpers, which end what
# they started when the subshell ends; their notes go to standard error.
configs=$work
hosts=tests/platform_qt/hosts
(
  set +e
  source "$hosts/hosts-lib.sh"
  start_xvfb
  start_bus
  start_xfce_panel
  {
    echo "xfce-bare $(measure "$bare")"
    echo "xfce-off $(XDG_CONFIG_HOME="$configs/off" measure ./build/linux/monitor/zerka2remote)"
    echo "xfce-on $(XDG_CONFIG_HOME="$configs/on" measure ./build/linux/monitor/zerka2remote)"
  } >> "$configs/processes.txt"
) >&2 || echo "xfce4-panel: not measured" >&2
(
  set +e
  source "$hosts/hosts-lib.sh"
  source "$hosts/wayland-session.sh"
  start_sway
  start_waybar
  cp -r "$configs/off" "$configs/on" "$wayland/"
  chown -R "$program_owner:" "$wayland/off" "$wayland/on"
  on_wayland=("${session[@]}" QT_QPA_PLATFORM=wayland)
  {
    echo "wl-bare $(measure "${on_wayland[@]}" "$bare")"
    echo "wl-off $(measure "${on_wayland[@]}" XDG_CONFIG_HOME="$wayland/off" ./build/linux/monitor/zerka2remote)"
    echo "wl-on $(measure "${on_wayland[@]}" XDG_CONFIG_HOME="$wayland/on" ./build/linux/monitor/zerka2remote)"
  } >> "$configs/processes.txt"
) >&2 || echo "sway with waybar: not measured" >&2

python3 - "$work/cycle.json" "$work/processes.txt" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
def median(name, field):
    for b in runs:
        if b["run_name"].startswith(name) and b.get("aggregate_name") == "median":
            return b[field]
floor, cycle = median("PhysicalFloor", "real_time"), median("PollingCycle", "real_time")
cpu = median("PollingCycle", "cpu_time")
print("| polling cycle | median |\n|---|---|")
print(f"| physical floor (bare sockets) | {floor:.2f} ms |")
print(f"| polling cycle of the monitor | {cycle:.2f} ms |")
print(f"| ratio cycle / floor (goal <= 1.10) | {cycle / floor:.3f} |")
print(f"| CPU time per cycle (monitor thread) | {cpu * 1000:.0f} us |")
rows = {}
for line in open(sys.argv[2]):
    name, rss, cpu_ms, wake = line.split()
    rows[name] = (int(rss), int(cpu_ms), float(wake))
for host, prefix in (("XEmbed tray", ""), ("StatusNotifier host played on D-Bus", "sni-"),
                     ("xfce4-panel, StatusNotifier on X11", "xfce-"), ("waybar in sway, Wayland", "wl-")):
    if prefix + "bare" not in rows:
        continue
    bare, off, on = (rows[prefix + name] for name in ("bare", "off", "on"))
    print()
    print(f"| program ({host}) | idle memory (VmRSS) | start-up CPU | wake-ups/s |\n|---|---|---|---|")
    print(f"| bare Qt tray icon | {bare[0]} KiB | {bare[1]} ms | {bare[2]} |")
    print(f"| zerka2remote, polling off | {off[0]} KiB | {off[1]} ms | {off[2]} |")
    print(f"| zerka2remote, polling on (1000 ms) | {on[0]} KiB | {on[1]} ms | {on[2]} |")
    print(f"| ratio idle memory zerka2remote / bare (goal <= 1.10) | {off[0] / bare[0]:.3f} | | |")
PY
