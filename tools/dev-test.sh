#!/usr/bin/env bash
# Developer loop: configure and build one architecture into a build folder of
# your own, then run its tests (or those matching a ctest -R pattern) under one
# private display and wineserver.
#   tools/dev-test.sh i686|x86_64 BUILD_DIR [ctest arguments...]
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
preset=$1; dir=$2; shift 2
cd "$root"
cmake --preset "$preset" -B "$dir" >/dev/null || exit 1
cmake --build "$dir" -j 2 || exit 1
unset DISPLAY
source tools/wine-env.sh
wine_env_up
trap wine_env_down EXIT
ctest --test-dir "$dir" --output-on-failure "$@"
