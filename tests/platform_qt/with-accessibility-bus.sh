#!/usr/bin/env bash
# Runs the accessibility check on a private session bus with the accessibility bus up, on a
# fresh virtual X display:
#   with-accessibility-bus.sh PROGRAM ZERKA_SIM
# A missing package is a SKIP that names it (exit 77, a skip for ctest).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3
launcher=/usr/libexec/at-spi-bus-launcher
skip() { echo "SKIP: accessibility check ($1 is not installed)"; exit 77; }
command -v dbus-run-session > /dev/null || skip "package dbus"
command -v xvfb-run > /dev/null || skip "package xvfb"
command -v xdotool > /dev/null || skip "package xdotool"
[ -x "$launcher" ] || skip "package at-spi2-core"
[ -x "$python" ] || skip "package python3"
"$python" -c 'import dbus, dbus.mainloop.glib' 2> /dev/null || skip "package python3-dbus"
"$python" -c 'from gi.repository import GLib' 2> /dev/null || skip "package python3-gi"
"$python" -c 'import pyatspi' 2> /dev/null || skip "package python3-pyatspi"
export PYTHONDONTWRITEBYTECODE=1
# The accessibility bus is started by its launcher on the session bus, before anything asks.
exec dbus-run-session -- xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$1" --launch-immediately & launcher=$!
  for _ in $(seq 50); do
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress > /dev/null 2>&1 && break
    sleep 0.1
  done
  "$2" "$3/accessibility_check.py" "$4" "$5"; status=$?
  kill "$launcher" 2> /dev/null
  exit $status' bash "$launcher" "$python" "$here" "$@"
