#!/usr/bin/env bash
# Runs one Windows program in Wine on a private Xvfb display with a window manager,
# and leaves no Wine process behind.   wine-run.sh PROGRAM.exe [ARGS...]
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"
trap wine_session_stop EXIT
trap 'exit 130' INT TERM
wine_session_start private || exit 1
"$WINE_LOADER" "$@"
