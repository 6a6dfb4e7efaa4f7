#!/usr/bin/env bash
# The demo: the program in Wine with a stand-in player that plays the real player's titles
# and a stand-in messenger that shows (and prints) what it receives. Ctrl-C ends it all.
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"
bin="$nowplaying_root/build/$(wine_build_preset)/bin"

trap wine_session_stop EXIT
trap 'echo; echo "demo: stopping"; exit 0' INT TERM
wine_session_start user || exit 1
# As the current Windows, whatever version the last test run left in the prefix: as on
# Windows 98 the program would read the titles through the ANSI code page.
wine_set_version
if [ "$NOWPLAYING_OWN_DISPLAY" = 1 ]; then
  echo "demo: no desktop found, running on a virtual display ($DISPLAY)"
else
  echo "demo: running on your display ($DISPLAY)"
fi
echo "demo: the stand-in player writes a new title every 4 seconds, some of them scrolling; Ctrl-C ends the demo"

"$WINE_LOADER" "$bin/standin_messenger.exe" --print 2>/dev/null &
sleep 1
"$WINE_LOADER" "$bin/standin_player.exe" --cycle 4000 >/dev/null 2>&1 &
"$WINE_LOADER" "$bin/nowplaying.exe" >/dev/null 2>&1 &
wait
