#!/usr/bin/env bash
# Runs one Windows program in Wine on a private Xvfb display with a window manager,
# and leaves no Wine process behind.   wine-run.sh PROGRAM.exe [ARGS...]
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"
trap wine_session_stop EXIT
trap 'exit 130' INT TERM
wine_session_start private || exit 1
# NOWPLAYING_WINE_VERSION (win98, winme, nt40, winxp, ...) sets the Windows version
# Wine reports; unset, Wine's default. Set on every run, so no run inherits another's.
if [ -n "${NOWPLAYING_WINE_VERSION:-}" ]; then
  "$WINE_LOADER" reg add 'HKCU\Software\Wine' /v Version /d "$NOWPLAYING_WINE_VERSION" /f >/dev/null 2>&1
else
  "$WINE_LOADER" reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1
fi
"$WINE_LOADER" "$@"
