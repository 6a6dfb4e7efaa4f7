# Sourced by the scripts that run Windows programs: picks the Wine loader this host
# can run, the project's own prefix, and a display with a window manager.
#
# After `wine_session_start [private|user]`, "$WINE_LOADER prog.exe" runs a program;
# `wine_session_stop` ends every Wine process of the prefix and what the session started.

nowplaying_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Some hosts cannot execute 32-bit x86 code at all (the 32-bit loader fails with
# "Exec format error"); there the 64-bit build of the same sources is what runs.
wine_arch() {
  if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo win32
  else
    echo win64
  fi
}

# The build folder whose programs run here.
wine_build_preset() {
  if [ "$(wine_arch)" = win32 ]; then echo windows; else echo windows-x64; fi
}

export WINEARCH=${WINEARCH:-$(wine_arch)}
if [ "$WINEARCH" = win32 ]; then
  WINE_LOADER=/usr/lib/wine/wine
else
  WINE_LOADER=/usr/lib/wine/wine64
fi
export WINE_LOADER
export WINEPREFIX=${NOWPLAYING_WINEPREFIX:-$nowplaying_root/build/wine-$WINEARCH}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINESERVER=/usr/lib/wine/wineserver

_wine_started_pids=()

_display_alive() {
  xprop -display "$1" -root >/dev/null 2>&1
}

# private: always a fresh Xvfb (tests). user: the user's display when it answers,
# else a fresh Xvfb (the demo).
wine_session_start() {
  local mode=${1:-private}
  if [ "$mode" = user ] && [ -n "${DISPLAY:-}" ] && _display_alive "$DISPLAY"; then
    NOWPLAYING_OWN_DISPLAY=0
  else
    # Xvfb picks a free display number itself, so concurrent sessions never collide.
    # -noreset: by default the server resets whenever its last client disconnects, and
    # refuses connections meanwhile, so the check below could see it alive, then gone.
    local numfile xvfb_log
    numfile=$(mktemp)
    xvfb_log=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$numfile" >/dev/null 2>"$xvfb_log" &
    local xvfb_pid=$!
    _wine_started_pids+=("$xvfb_pid")
    local i
    for i in $(seq 1 200); do
      [ -s "$numfile" ] && break
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.05
    done
    export DISPLAY=":$(tr -d '[:space:]' <"$numfile")"
    rm -f "$numfile"
    for i in $(seq 1 200); do
      _display_alive "$DISPLAY" && break
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.05
    done
    if ! _display_alive "$DISPLAY"; then
      echo "Xvfb did not start on display '$DISPLAY'; its output:" >&2
      cat "$xvfb_log" >&2
      rm -f "$xvfb_log"
      return 1
    fi
    rm -f "$xvfb_log"
    # Without a window manager Wine waits about a second whenever a window is
    # hidden or destroyed.
    #
    # Wine's tray window stands in for the shell's notification area, which never takes
    # the focus. The window manager would hand it the focus each time it reappears with
    # a first icon, and Wine, taking that hand-over whenever it comes, would take the
    # foreground from the window a program has just shown (its About window, say).
    # Marked as skipping the taskbar, the tray gets the focus only when clicked.
    _openbox_rc=$(mktemp --suffix=.xml)
    sed 's|<applications>|&<application title="Wine System Tray"><skip_taskbar>yes</skip_taskbar></application>|' \
      /etc/xdg/openbox/rc.xml >"$_openbox_rc"
    if ! grep -q 'Wine System Tray' "$_openbox_rc"; then
      echo "no <applications> section in /etc/xdg/openbox/rc.xml to add Wine's tray to" >&2
      return 1
    fi
    openbox --sm-disable --config-file "$_openbox_rc" >/dev/null 2>&1 &
    _wine_started_pids+=($!)
    for i in $(seq 1 100); do
      xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
      sleep 0.05
    done
    NOWPLAYING_OWN_DISPLAY=1
  fi
  export NOWPLAYING_OWN_DISPLAY
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINE_LOADER" wineboot -i >/dev/null 2>&1 || true
    "$WINESERVER" -w
  fi
}

# The Windows version Wine reports (win98, winme, nt40, winxp, ...); with none, Wine's
# default. The setting stays in the prefix, which the tests and the demo share, so
# every run sets it.
wine_set_version() {
  if [ -n "${1:-}" ]; then
    "$WINE_LOADER" reg add 'HKCU\Software\Wine' /v Version /d "$1" /f >/dev/null 2>&1
  else
    "$WINE_LOADER" reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1
  fi
}

wine_session_stop() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  local pid
  for pid in "${_wine_started_pids[@]}"; do
    kill "$pid" >/dev/null 2>&1 || true
  done
  for pid in "${_wine_started_pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  _wine_started_pids=()
  rm -f "${_openbox_rc:-}"
}
