#!/usr/bin/env bash
# Mutation testing: small faults put into the product sources one at a time
# (condition negated, < and <= swapped, == and != swapped, && and || swapped,
# a constant changed by one, a call statement dropped, a function left at
# once); each is built for i686 (x86_64 where no 32-bit
# program runs) and tested, the touched folder's tests first,
# stopping at the first failure. Prints each mutant's fate, the kill rate and
# every surviving mutant as file:line and change. Not part of the test suite.
#   tools/mutate.sh [--sample N] [--seed S] [--only PATH_PART] [--at 'FILE:LINE: CHANGE'] [--folder-only] [--list]
# Works on a copy of the sources in build/mutate/src (the checkout is never
# touched), built in build/mutate/build, with a test time-out of 60 s so that a
# fault that makes a test hang counts as caught soon.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash tools/setup.sh test || exit 1

work=$root/build/mutate
src=$work/src
build=$work/build
mkdir -p "$src"
# A fresh copy of the current sources (not the build folders, not git's).
find "$src" -mindepth 1 -maxdepth 1 -exec rm -rf {} +
tar -C "$root" --exclude=./build --exclude=./.git -cf - . | tar -C "$src" -xf -
# Newer than every object: an object built from the last mutant of an earlier
# run must not pass for the original's.
find "$src/game" "$src/toolkit" "$src/runtime" -type f -exec touch {} +

if [[ " $* " == *" --list "* ]]; then
  python3 "$src/tools/mutate.py" --source "$src" --build "$build" "$@"
  exit
fi

# A display and a Wine prefix of its own: other runs may go on beside it.
unset DISPLAY
export TAVEK_WINEPREFIX=$work/wineprefix
source tools/wine-env.sh
# The i686 build, or the x86_64 one where the kernel runs no 32-bit programs.
arch=i686
tavek_wine32_runs || { arch=x86_64; echo "mutate: this machine runs no 32-bit programs; testing the x86_64 build" >&2; }
(cd "$src" && cmake --preset "$arch" -B "$build" -DTAVEK_TEST_TIMEOUT=60 >/dev/null) || exit 1
cmake --build "$build" -j 2 >/dev/null || { echo "mutate: the unchanged sources do not build" >&2; exit 1; }

wine_env_up
trap wine_env_down EXIT

# The suite must pass before a failure can mean that a mutant was caught.
if ! ctest --test-dir "$build" -j 1 >/dev/null 2>&1; then
  echo "mutate: the unchanged sources fail their tests; nothing to measure" >&2
  exit 1
fi
python3 "$src/tools/mutate.py" --source "$src" --build "$build" "$@"
