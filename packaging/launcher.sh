#!/bin/bash
# tavek-pin: starts Tavek PIN Program under Wine, in a Wine prefix of the
# player's own that the first start makes.
set -u
lib=/usr/lib/tavek-pin

if [ -z "${DISPLAY:-}" ]; then
  echo "tavek-pin: no display to open the game window on (DISPLAY is not set); start it from a desktop session" >&2
  exit 1
fi

export WINEPREFIX="${XDG_DATA_HOME:-$HOME/.local/share}/tavek-pin/wine"
export WINEARCH=win64
export WINEDEBUG=-all
# Quiet first start: no offers to install Mono or Gecko.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine's 64-bit part alone runs the game: no i386 architecture needed.
export TAVEK_WINE=/usr/lib/wine/wine64
export TAVEK_WINESERVER=/usr/lib/wine/wineserver64
export WINESERVER=$TAVEK_WINESERVER

source "$lib/wine-prefix.sh"
mkdir -p "$(dirname "$WINEPREFIX")"
if ! tavek_prefix_ensure Y; then
  echo "tavek-pin: could not prepare the Wine prefix $WINEPREFIX" >&2
  exit 1
fi
exec "$TAVEK_WINE" "$lib/tavek-pin.exe" "$@"
