# Sourced by the other scripts: a private Wine prefix (prepared by
# tools/wine-prefix.sh), quiet Wine, a display (a private Xvfb when none is set)
# and one persistent wineserver.
#   TAVEK_WINEPREFIX  overrides the prefix folder (default: build/wineprefix)
#   TAVEK_DESKTOP     set when a real desktop with a window manager shows the windows
#   TAVEK_SCREEN      the private Xvfb's screen (default: 1280x1024x24)
#   TAVEK_WORK_AREA   "x, y, width, height": the private Xvfb's work area (the screen
#                     less a taskbar), as a desktop announces it (_NET_WORKAREA)
#   TAVEK_LOGPIXELS   the display scale the prefix reports, in dots per inch (96 is
#                     100 %, 144 is 150 %); written into the prefix before its server
#                     starts, so it needs a server of its own (TAVEK_SERVER_UP unset)
# Functions: wine_env_up (start what is missing, remember what we started),
#            wine_env_down (stop only what wine_env_up started).

tavek_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The prefix settings (fonts, window management, no menu builder).
source "$tavek_root/tools/wine-prefix.sh"
export WINEPREFIX=${TAVEK_WINEPREFIX:-$tavek_root/build/wineprefix}
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES=$tavek_dll_overrides
# Wine's 32-bit half is itself a 32-bit Linux program. A kernel that runs no
# 32-bit programs (some virtual machines are built without) refuses it with
# "Exec format error": there Debian's "wine" command, which prefers that half,
# cannot start anything. tavek_wine32_runs tells (the answer is kept in
# TAVEK_WINE32 for the programs started from here); where it is "no", "wine"
# on the PATH starts Wine's 64-bit loader instead (tools/wine64-only), which
# runs the x86_64 programs, and the callers leave the i686 ones out, saying so.
tavek_wine32_runs() {
  if [ -z "${TAVEK_WINE32:-}" ]; then
    TAVEK_WINE32=no
    [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1 && TAVEK_WINE32=yes
    export TAVEK_WINE32
  fi
  [ "$TAVEK_WINE32" = yes ]
}
if ! tavek_wine32_runs && [ -x /usr/lib/wine/wine64 ]; then
  case ":$PATH:" in
    *":$tavek_root/tools/wine64-only:"*) ;;
    *) export PATH="$tavek_root/tools/wine64-only:$PATH" ;;
  esac
fi
tavek_started_xvfb=""
tavek_started_server=""

wine_env_up() {
  if [ -z "${DISPLAY:-}" ]; then
    local fd_file
    fd_file=$(mktemp)
    # -noreset: the root window's properties outlast the clients that set them.
    Xvfb -displayfd 3 -screen 0 "${TAVEK_SCREEN:-1280x1024x24}" -nolisten tcp -noreset 3>"$fd_file" >/dev/null 2>&1 &
    tavek_started_xvfb=$!
    local i
    for i in $(seq 1 100); do
      [ -s "$fd_file" ] && break
      sleep 0.05
    done
    export DISPLAY=":$(head -n1 "$fd_file")"
    rm -f "$fd_file"
    if [ -n "${TAVEK_WORK_AREA:-}" ]; then
      xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA "$TAVEK_WORK_AREA" ||
        { echo "wine-env: could not set the work area $TAVEK_WORK_AREA" >&2; return 1; }
    fi
  fi
  mkdir -p "$(dirname "$WINEPREFIX")"
  # A desktop with its own window manager (tools/play.sh on a display) keeps
  # Wine's managed windows; the headless runs do without.
  local managed=N
  [ -n "${TAVEK_DESKTOP:-}" ] && managed=Y
  # Wine's drives stay: the test programs write their coverage counts to the
  # build tree by its Unix path, through drive Z:.
  tavek_prefix_ensure "$managed" N all || { echo "wine-env: could not prepare the Wine prefix $WINEPREFIX" >&2; return 1; }
  # Wine's processes read the display scale (HKCU\Control Panel\Desktop
  # LogPixels) as they start: it goes in while no server of the prefix runs.
  if [ -n "${TAVEK_LOGPIXELS:-}" ]; then
    if [ -n "${TAVEK_SERVER_UP:-}" ]; then
      echo "wine-env: TAVEK_LOGPIXELS needs a wineserver of its own; one is running already" >&2
      return 1
    fi
    wineserver -k >/dev/null 2>&1 || true
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$TAVEK_LOGPIXELS" /f >/dev/null 2>&1 ||
      { echo "wine-env: could not set the display scale $TAVEK_LOGPIXELS in $WINEPREFIX" >&2; return 1; }
    wineserver -w
  fi
  # One persistent wineserver for the whole run: every test program then starts
  # in a fraction of the time a cold server needs.
  if [ -z "${TAVEK_SERVER_UP:-}" ]; then
    wineserver -p >/dev/null 2>&1 || true
    tavek_started_server=1
    export TAVEK_SERVER_UP=1
    # Start Wine's background services now, with their output going nowhere:
    # started by the first test program instead, they would hold that test's
    # output pipe open and CTest would wait for them until its time-out.
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  fi
}

wine_env_down() {
  if [ -n "$tavek_started_server" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    unset TAVEK_SERVER_UP
  fi
  if [ -n "$tavek_started_xvfb" ]; then
    kill "$tavek_started_xvfb" 2>/dev/null || true
    wait "$tavek_started_xvfb" 2>/dev/null || true
  fi
}
