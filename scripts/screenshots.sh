#!/usr/bin/env bash
# Takes the README's pictures: the About window, and the notification-area icon with
# its menu open. The program runs in Wine on a private Xvfb display beside the
# stand-in player, with window frames drawn by Wine as Windows draws them.
#
#   scripts/screenshots.sh [DOCS_FOLDER]     (default: docs/; writes about.png, tray-menu.png
#                                             and the setup program's setup-options.png)
#
# With NOWPLAYING_EMULATE_95=1 the program runs as on Windows 98: Wine reports that
# version, and family_launcher.exe makes the wide functions fail as they do there; the
# pictures are then about-win98.png and tray-menu-win98.png.
#
# Needs a finished build (make build) and xwd and ImageMagick (scripts/install-deps.sh).
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
docs=${1:-$nowplaying_root/docs}
bin="$nowplaying_root/build/$(wine_build_preset)/bin"
[ -x "$bin/nowplaying.exe" ] || { echo "screenshot: build first (make build)" >&2; exit 1; }
suffix=
program=("$bin/nowplaying.exe")
if [ "${NOWPLAYING_EMULATE_95:-}" = 1 ]; then
  suffix=-win98
  program=("$bin/family_launcher.exe" --family 95 "$bin/nowplaying.exe")
fi
out="$docs/about$suffix.png"

# A prefix of its own, in which Wine draws the window frames itself instead of
# leaving them to the X window manager, so the picture shows the Windows frame.
export WINEPREFIX="$nowplaying_root/build/wine-screenshot-$WINEARCH"
trap wine_session_stop EXIT
wine_session_start private
"$WINE_LOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
# Wine's own fonts (Tahoma, and Marlett for the caption buttons) as Windows has them;
# Debian's Wine reads fonts from the prefix's Fonts folder, not from where it keeps them.
if [ -d /usr/share/wine/fonts ]; then
  cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
fi
wine_set_version "${suffix:+win98}"

"$WINE_LOADER" "$bin/standin_player.exe" --title "1. The Stand-ins - Window Title Blues - Winamp" >/dev/null 2>&1 &
"$WINE_LOADER" "${program[@]}" >/dev/null 2>&1 &

# The X window of the top-level window with this title, once it has appeared.
wait_for_window() {
  local found
  for _ in $(seq 1 150); do
    found=$(xdotool search --name "$1" 2>/dev/null | head -n 1) && [ -n "$found" ] && echo "$found" && return
    sleep 0.1
  done
  echo "screenshot: the window $1 did not appear" >&2
  return 1
}

window=$(wait_for_window '^About$')
xdotool windowraise "$window"
sleep 2 # a few poll periods: the song label has caught the stand-in player's song

mkdir -p "$docs"
xwd -id "$window" -silent | convert xwd:- -strip "png:$out"
echo "screenshot: $out ($(identify -format '%wx%h' "$out"))"

# The menu: Ok hides the About window (it covers Wine's small tray window here), then
# a right-click on the icon opens the menu at the pointer.
xdotool key --window "$window" Return
sleep 1
tray=$(xdotool search --name '^Wine System Tray$' 2>/dev/null | head -n 1)
[ -n "$tray" ] || { echo "screenshot: Wine's tray window did not appear" >&2; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$tray")"
# The icon sits at the bottom left of the tray window's client area, below the
# caption that Wine draws.
xdotool mousemove $((X + 10)) $((Y + HEIGHT - 10)) click 3
sleep 1
menu="$docs/tray-menu$suffix.png"
xwd -root -silent | convert xwd:- -crop "$((WIDTH + 40))x$((HEIGHT + 90))+$((X > 4 ? X - 4 : 0))+$((Y > 4 ? Y - 4 : 0))" +repage -strip "png:$menu"
xdotool key Escape
echo "screenshot: $menu ($(identify -format '%wx%h' "$menu"))"

# The setup program's options page, its first: only as on current Windows.
[ -z "$suffix" ] || exit 0
setup=("$nowplaying_root"/build/windows/dist/nowplaying-*-setup.exe)
"$WINE_LOADER" "${setup[0]}" >/dev/null 2>&1 &
window=$(wait_for_window '^nowplaying Setup')
sleep 1 # the page's controls drawn
options="$docs/setup-options.png"
xwd -id "$window" -silent | convert xwd:- -strip "png:$options"
echo "screenshot: $options ($(identify -format '%wx%h' "$options"))"
