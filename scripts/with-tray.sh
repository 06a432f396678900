#!/usr/bin/env bash
# Runs a command on a fresh virtual display that has a notification-area host (trayer), so
# Windows programs under Wine can put icons into the tray. Usage: with-tray.sh CMD [ARGS...]
# Sets ZERKA_TRAY_HOST=1 for the command when the tray host is up. ZERKA_SCREEN gives the
# display's WIDTHxHEIGHTxDEPTH (default 1024x768x24).
set -uo pipefail

if [ -z "${ZERKA_WITH_TRAY_DISPLAY:-}" ]; then
  exec env ZERKA_WITH_TRAY_DISPLAY=1 xvfb-run -a -s "-screen 0 ${ZERKA_SCREEN:-1024x768x24}" bash "$0" "$@"
fi

trayer --edge top --align right --widthtype pixel --width 120 --heighttype pixel --height 24 \
  --transparent false > /dev/null 2>&1 &
tray_pid=$!
trap 'kill "$tray_pid" 2>/dev/null; wait "$tray_pid" 2>/dev/null' EXIT

# The host is ready once its window is mapped.
if timeout 10 xdotool search --sync --name "^panel$" > /dev/null 2>&1; then
  export ZERKA_TRAY_HOST=1
else
  echo "with-tray.sh: trayer did not come up; running without a tray host" >&2
fi

"$@"
