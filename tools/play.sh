#!/usr/bin/env bash
# Plays the game: installs what is missing (a compiler, CMake, Ninja, GTK 3's
# development files and the fonts; no Wine, no MinGW-w64), builds the native
# program without the test tree (preset linux, build/linux) and starts it.
# With no display (a server, CI) it runs the game under a private Xvfb, saves a
# screenshot, prints its path and closes the game again.
#   tools/play.sh --web   builds the site instead (preset web, Debian's emscripten,
#                         build/web-play/site) and serves it on 127.0.0.1, printing
#                         the address; with no display it plays the site once in
#                         headless Chromium, prints a screenshot's path and stops
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

if [ "${1:-}" = --web ]; then
  bash tools/setup.sh web || exit 1
  cmake --preset web -B build/web-play -DTAVEK_TESTS=OFF >/dev/null || exit 1
  cmake --build build/web-play -j 2 || exit 1
  shot=$root/build/tavek-pin-web-screenshot.png
  rm -f "$shot"
  if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec /usr/bin/python3 tools/play-web.py build/web-play/site "$shot"
  fi
  /usr/bin/python3 tools/play-web.py build/web-play/site "$shot" --once || exit 1
  [ -s "$shot" ] || { echo "play: the site's window did not appear" >&2; exit 1; }
  exit 0
fi
bash tools/setup.sh play || exit 1
cmake --preset linux >/dev/null || exit 1
cmake --build --preset linux --target tavek-pin || exit 1
game=build/linux/tavek-pin

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$game"
fi

shot=$root/build/tavek-pin-screenshot.png
rm -f "$shot"
# On the display of its own: the window awaited, given a moment to paint, shot.
bash tools/with-display.sh bash -c '
  "$1" & game=$!
  for _ in $(seq 1 300); do
    window=$(xdotool search --onlyvisible --name "^Tavek PIN Program" 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    kill -0 "$game" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$window" ] && sleep 1 && import -window "$window" "$2"
  kill "$game" 2>/dev/null
  wait "$game" 2>/dev/null
  exit 0' play "$game" "$shot"
if [ ! -s "$shot" ]; then
  echo "play: the game window did not appear" >&2
  exit 1
fi
echo "play: no display here; the game ran under Xvfb. Screenshot: $shot"
