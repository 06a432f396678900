#!/usr/bin/env bash
# zerka2remote in xfce4-panel's notification area (GTK, libdbusmenu-glib: clicks sent as
# EventGroup) under Xvfb on a private session bus, used as a person would.
# Prints one PASS:/FAIL:/SKIP: line per check.
set -uo pipefail
source "$(dirname "$0")/hosts-lib.sh"
expect_panel_checks xfce4-panel
start_xvfb
start_bus
start_xfce_panel
panel_checks linux-xfce-menu.png 300x265
