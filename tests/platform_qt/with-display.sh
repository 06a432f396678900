#!/usr/bin/env bash
# Runs a test program on a fresh virtual X display, where the tray tests start a tray host of
# their own. Without Xvfb the program runs as it is, and those tests skip themselves.
set -uo pipefail
if ! command -v xvfb-run > /dev/null; then
  echo "with-display.sh: xvfb-run is missing; the tray tests will skip" >&2
  exec "$@"
fi
exec env ZERKA_QT_DISPLAY=1 xvfb-run -a -s "-screen 0 1024x768x24" "$@"
