#!/usr/bin/env bash
# The whole test suite: installs what is missing, checks the source layout
# (tools/format.sh --check) and runs the static analysis (tools/tidy.sh),
# builds both Windows architectures, the native sanitizer build (the
# platform-free core, the GTK backend and the native program) and the players'
# native program (preset linux), and the site (preset web, Debian's emscripten),
# runs every Windows test under Wine with one display and one wineserver, every
# native test (the GTK ones each on a display of its own) and the site's tests in
# headless Chromium, and prints one summary line per build and a closing total.
# A layout difference or an analysis finding fails it like a failed test.
# On a machine whose kernel runs no 32-bit programs the i686 test programs are
# built but cannot run: they are counted as skipped and named in the summary.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash tools/setup.sh test || exit 1

presets=(i686 x86_64)
[ -f tests/native/CMakeLists.txt ] && presets+=(native)
presets+=(web)

for preset in "${presets[@]}"; do
  echo "== build $preset"
  cmake --preset "$preset" -DTAVEK_TESTS=ON >/dev/null || exit 1
  cmake --build --preset "$preset" -j "$(nproc)" || exit 1
done
if [ -f tests/native/CMakeLists.txt ]; then
  echo "== build linux"
  cmake --preset linux >/dev/null || exit 1
  cmake --build --preset linux -j "$(nproc)" || exit 1
fi

checks_failed=()
echo "== format check"
bash tools/format.sh --check || checks_failed+=(format)
echo "== static analysis"
bash tools/tidy.sh build/i686 || checks_failed+=(tidy)

source tools/wine-env.sh
wine_env_up
trap wine_env_down EXIT

passed=0
failed=0
skipped=0
not_run=()
for preset in "${presets[@]}"; do
  echo "== test $preset"
  if [ "$preset" = i686 ] && ! tavek_wine32_runs; then
    # Built and analysed above, but nothing here can start it.
    count=$(ctest --preset i686 -N 2>/dev/null | sed -nE 's/^Total Tests: ([0-9]+).*/\1/p')
    skipped=$((skipped + ${count:-0}))
    not_run+=(i686)
    echo "i686: ${count:-its} test programs NOT RUN: this machine's kernel runs no 32-bit programs" \
      "(Exec format error), so Wine cannot start a 32-bit Windows program here"
    continue
  fi
  log=$(mktemp)
  ctest --preset "$preset" -j 1 2>&1 | tee "$log"
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n1)
  total=$(echo "$line" | sed -E 's/.* out of ([0-9]+).*/\1/')
  bad=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed.*/\1/')
  if [ -z "$line" ]; then total=0; bad=1; fi
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  rm -f "$log"
done

echo
echo "Test programs over all builds (${presets[*]}):"
if [ ${#checks_failed[@]} -eq 0 ]; then
  echo "Source checks: format and static analysis clean"
else
  echo "Source checks FAILED: ${checks_failed[*]}"
fi
if [ ${#not_run[@]} -ne 0 ]; then
  echo "Not run on this machine: the ${not_run[*]} test programs (no 32-bit programs run here)"
  echo "$passed passed, $failed failed, $skipped skipped"
else
  echo "$passed passed, $failed failed"
fi
[ "$failed" -eq 0 ] && [ ${#checks_failed[@]} -eq 0 ]
