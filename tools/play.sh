#!/usr/bin/env bash
# Plays the game: installs what is missing, builds it and starts it under Wine.
# With no display (a server, CI) it runs under a private Xvfb, saves a
# screenshot, prints its path and closes the game again.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
bash tools/setup.sh play || exit 1
headless=""
if [ -z "${DISPLAY:-}" ]; then
  headless=1
else
  # A prefix of its own for a real desktop: there the window manager frames the game.
  export TAVEK_DESKTOP=1
  export TAVEK_WINEPREFIX=${TAVEK_WINEPREFIX:-$root/build/wineprefix-desktop}
fi
source tools/wine-env.sh

# A build of its own without the test tree: playing needs no GoogleTest or Python.
# The 32-bit program, or the 64-bit one where the kernel runs no 32-bit programs.
arch=i686
if ! tavek_wine32_runs; then
  arch=x86_64
  echo "play: this machine runs no 32-bit programs; playing the x86_64 build"
fi
build=build/play
[ "$arch" = i686 ] || build=build/play-$arch
cmake --preset "$arch" -B "$build" -DTAVEK_TESTS=OFF >/dev/null || exit 1
cmake --build "$build" --target tavek-pin || exit 1
exe=$build/tavek-pin.exe

wine_env_up
trap wine_env_down EXIT

if [ -z "$headless" ]; then
  wine "$exe"
  exit $?
fi

wine "$exe" &
game=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name 'Tavek PIN Program' 2>/dev/null | head -n1)
if [ -z "$window" ]; then
  echo "play: the game window did not appear" >&2
  exit 1
fi
sleep 1
shot="$root/build/tavek-pin-screenshot.png"
import -window "$window" "$shot"
echo "play: no display here; the game ran under Xvfb. Screenshot: $shot"
kill "$game" 2>/dev/null
wait "$game" 2>/dev/null
exit 0
