#!/usr/bin/env bash
# Coverage of the product by the whole test suite: builds the i686 coverage
# variant (gcov counters in runtime/, toolkit/ and game/, unoptimised; x86_64 on
# a machine that runs no 32-bit programs) into build/coverage-ARCH, runs every test under Wine, then prints line and branch
# coverage file by file and per folder, and writes the HTML report to
# build/coverage/index.html.
#   tools/coverage.sh [ctest arguments...]   e.g. -R toolkit for one folder's tests
# The Windows programs write their counts (.gcda) next to the objects at the
# objects' own paths: Wine's drive Z: is the Unix root, so "/work/..." reaches
# the same files. Needs no display (a private Xvfb is started when none is set).
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash tools/setup.sh test gcovr || exit 1

source tools/wine-env.sh
# The i686 variant, or the x86_64 one where the kernel runs no 32-bit programs.
arch=i686
tavek_wine32_runs || { arch=x86_64; echo "coverage: this machine runs no 32-bit programs; measuring the x86_64 build"; }
gcov=i686-w64-mingw32-gcov-posix
[ "$arch" = i686 ] || gcov=x86_64-w64-mingw32-gcov-posix
build=build/coverage-$arch
report=build/coverage
cmake --preset "$arch" -B "$build" -DTAVEK_COVERAGE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null || exit 1
cmake --build "$build" -j 2 || exit 1

# Counts from an earlier run would add up with this one.
find "$build" -name '*.gcda' -delete

wine_env_up
trap wine_env_down EXIT
ctest --test-dir "$build" -j 1 --output-on-failure "$@"
tests_status=$?
wine_env_down
trap - EXIT

rm -rf "$report"
mkdir -p "$report"
gcovr --root "$root" --object-directory "$build" \
  --gcov-executable "$gcov" \
  --filter "$root/(runtime|toolkit|game)/" \
  --exclude-unreachable-branches \
  --html-details "$report/index.html" --html-title "Tavek PIN coverage" \
  --json-summary "$report/summary.json" --json-summary-pretty \
  --txt "$report/coverage.txt" >/dev/null || exit 1

python3 - "$report/summary.json" <<'PY'
import json, sys
files = json.load(open(sys.argv[1]))["files"]
folders = {}
def pct(covered, total):
    return 100.0 * covered / total if total else 100.0
print(f"{'file':32} {'lines':>14} {'%':>6} {'branches':>14} {'%':>6}")
for f in sorted(files, key=lambda f: f["filename"]):
    name = f["filename"]
    lc, lt, bc, bt = f["line_covered"], f["line_total"], f["branch_covered"], f["branch_total"]
    print(f"{name:32} {lc:>6} of {lt:<5} {pct(lc, lt):6.1f} {bc:>6} of {bt:<5} {pct(bc, bt):6.1f}")
    t = folders.setdefault(name.split("/")[0], [0, 0, 0, 0])
    t[0] += lc; t[1] += lt; t[2] += bc; t[3] += bt
print()
print(f"{'folder':32} {'lines':>14} {'%':>6} {'branches':>14} {'%':>6}")
for name, (lc, lt, bc, bt) in sorted(folders.items()):
    print(f"{name + '/':32} {lc:>6} of {lt:<5} {pct(lc, lt):6.1f} {bc:>6} of {bt:<5} {pct(bc, bt):6.1f}")
PY
echo "coverage: HTML report in $report/index.html"
if [ "$tests_status" -ne 0 ]; then
  echo "coverage: some tests failed; the figures count what ran" >&2
  exit 1
fi
