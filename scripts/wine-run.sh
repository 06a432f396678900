#!/usr/bin/env bash
# Runs one Windows program under Wine through the loader of its own kind (see wine-env.sh).
# Usage: wine-run.sh PROGRAM.exe [ARGS...]
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"
run_wine "$@"
