#!/usr/bin/env bash
# Runs one Windows program in Wine on a private Xvfb display with a window manager,
# and leaves no Wine process behind.   wine-run.sh PROGRAM.exe [ARGS...]
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"
trap wine_session_stop EXIT
trap 'exit 130' INT TERM
wine_session_start private || exit 1
# NOWPLAYING_WINE_VERSION (win98, winme, nt40, winxp, ...) sets the Windows version
# Wine reports; unset, Wine's default.
wine_set_version "${NOWPLAYING_WINE_VERSION:-}"
"$WINE_LOADER" "$@"
