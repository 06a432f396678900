#!/usr/bin/env bash
# Runs a test program on a fresh virtual X display, where the tray tests start a tray host of
# their own. Without Xvfb nothing runs: exit 77, which ctest counts as skipped.
set -uo pipefail
if ! command -v xvfb-run > /dev/null; then
  echo "skipped: no virtual display (xvfb-run is not installed)"
  exit 77
fi
exec env ZERKA_QT_DISPLAY=1 xvfb-run -a -s "-screen 0 1024x768x24" "$@"
