#!/usr/bin/env bash
# zerka2remote in lxqt-panel's status notifier (Qt, libdbusmenu-qt as in KDE Plasma: clicks
# sent as Event) under Xvfb on a private session bus, used as a person would.
# Prints one PASS:/FAIL:/SKIP: line per check.
set -uo pipefail
source "$(dirname "$0")/hosts-lib.sh"
expect_panel_checks lxqt-panel
start_xvfb
start_bus
start_lxqt_panel
panel_checks linux-lxqt-menu.png 340x265
