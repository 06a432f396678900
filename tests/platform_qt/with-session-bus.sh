#!/usr/bin/env bash
# Runs a desktop check on a private D-Bus session bus and a fresh virtual X display:
#   with-session-bus.sh SCRIPT.py ARGS...
# Exits with 77 (a skip for ctest), saying why, when a part it needs is missing.
set -uo pipefail
python=/usr/bin/python3
skip() { echo "skipped: $1"; exit 77; }
command -v dbus-run-session > /dev/null || skip "dbus-run-session is missing (package dbus)"
command -v xvfb-run > /dev/null || skip "xvfb-run is missing (package xvfb)"
command -v xdotool > /dev/null || skip "xdotool is missing (package xdotool)"
[ -x "$python" ] || skip "$python is missing"
"$python" -c 'import dbus, dbus.mainloop.glib' 2> /dev/null || skip "python3-dbus is missing"
"$python" -c 'from gi.repository import GLib' 2> /dev/null || skip "python3-gi is missing"
# No compiled files in the source tree.
export PYTHONDONTWRITEBYTECODE=1
exec dbus-run-session -- xvfb-run -a -s "-screen 0 1024x768x24" "$python" "$@"
