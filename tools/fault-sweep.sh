#!/usr/bin/env bash
# Every fault point: builds the given architectures (default both), then runs
# the game once per refusable platform call and per N, with the N-th call of
# that kind refused (on the usual screen, then with the window laid out below
# the display's scale), and prints per architecture and screen the table
#   call, points, runs, crashes, hangs, leaks (and how many runs' start-up was refused)
# followed by one line per bad run. Exit code 0 when no run was bad.
#   tools/fault-sweep.sh [i686] [x86_64]
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
presets=("$@")
source tools/wine-env.sh
if [ ${#presets[@]} -eq 0 ]; then
  presets=(i686 x86_64)
  tavek_wine32_runs || { presets=(x86_64); echo "fault-sweep: this machine runs no 32-bit programs; x86_64 only"; }
fi

for preset in "${presets[@]}"; do
  cmake --preset "$preset" >/dev/null || exit 1
  cmake --build --preset "$preset" -j 2 --target fault_sweep >/dev/null || exit 1
done

wine_env_up
trap wine_env_down EXIT

status=0
for preset in "${presets[@]}"; do
  echo "== fault sweep $preset"
  wine "build/$preset/tests/fault/fault-sweep.exe" --all || status=1
  # Once more where the game's window cannot fit at the display's scale: laid
  # out lower, with the fonts the toolkit copies for it.
  echo "== fault sweep $preset, the window below the display's scale (168 dots per inch on 1024 x 768)"
  TAVEK_LOGPIXELS=168 TAVEK_SCREEN=1024x768x24 TAVEK_WINEPREFIX="$root/build/wineprefix-lowered" DISPLAY= \
    TAVEK_SERVER_UP= bash tools/with-wine-env.sh wine "build/$preset/tests/fault/fault-sweep.exe" --all || status=1
done
exit $status
