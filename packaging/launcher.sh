#!/bin/bash
# tavek-pin: starts Tavek PIN Program under Wine, in a Wine prefix of the
# player's own that the first start makes. The prefix reaches nothing of the
# player's: drive C: (the prefix's own) is its only drive, its user folders are
# its own, and Wine's menu builder never runs (tools/wine-prefix.sh).
set -u
lib=/usr/lib/tavek-pin

if [ -z "${DISPLAY:-}" ]; then
  echo "tavek-pin: no display to open the game window on (DISPLAY is not set); start it from a desktop session" >&2
  exit 1
fi

source "$lib/wine-prefix.sh"
export WINEPREFIX="${XDG_DATA_HOME:-$HOME/.local/share}/tavek-pin/wine"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES=$tavek_dll_overrides
# Wine's 64-bit part alone runs the game: no i386 architecture needed.
export TAVEK_WINE=/usr/lib/wine/wine64
export TAVEK_WINESERVER=/usr/lib/wine/wineserver64
export WINESERVER=$TAVEK_WINESERVER

mkdir -p "$(dirname "$WINEPREFIX")"
if ! tavek_prefix_ensure Y Y C; then
  echo "tavek-pin: could not prepare the Wine prefix $WINEPREFIX" >&2
  exit 1
fi
# The program is started by its Unix path, which Wine reaches without a drive,
# from the prefix's C:\ rather than from a folder of the home.
cd "$WINEPREFIX/drive_c" || exit 1
exec "$TAVEK_WINE" "$lib/tavek-pin.exe" "$@"
