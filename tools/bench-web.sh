#!/usr/bin/env bash
# The site's figures, beside a bare page with the same controls and no
# WebAssembly (tests/bench/bare_page.html): the download, the time from
# navigation to the window shown and to the first key accepted, and the
# renderer's processor time while the game waits (tools/bench-web.py). Builds
# the site as the play command does (preset web, build/bench-web). Not part of
# the test suite; fails only when a run fails.
#   tools/bench-web.sh [--quick]   (--quick: 3 loads each instead of 11)
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
bash tools/setup.sh web >/dev/null || exit 1
b=build/bench-web
mkdir -p "$b"
{ cmake --preset web -B "$b" -DTAVEK_TESTS=OFF && cmake --build "$b" -j 2; } >"$b.log" 2>&1 ||
  { tail -n 30 "$b.log"; echo "bench: the site did not build" >&2; exit 1; }
cp tests/bench/bare_page.html "$b/site/bare.html"
exec /usr/bin/python3 tools/bench-web.py "$b/site" "$@"
