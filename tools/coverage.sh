#!/usr/bin/env bash
# Coverage of the product by the whole test suite, for both of its builds:
# - Windows: builds the i686 coverage variant (gcov counters in runtime/,
#   toolkit/ and game/, unoptimised; x86_64 on a machine that runs no 32-bit
#   programs) into build/coverage-ARCH, runs every test under Wine, and writes
#   the HTML report to build/coverage/index.html.
# - Native: builds the native test build (clang, sanitizers) with gcov
#   counters into build/coverage-native, runs its tests (labels native and
#   gtk, the GTK ones each on a display of its own), and writes the HTML
#   report to build/coverage-native/report/index.html.
# Each prints line and branch coverage file by file and per folder (the GTK
# backend, toolkit/gtk/, as a folder of its own).
#   tools/coverage.sh [--windows | --native] [ctest arguments...]
#     e.g. -R toolkit for one folder's tests; --windows or --native measures
#     that build alone
# The Windows programs write their counts (.gcda) next to the objects at the
# objects' own paths: Wine's drive Z: is the Unix root, so "/work/..." reaches
# the same files. Needs no display (a private Xvfb is started when none is set).
# Fails when a build or a report fails, or when any test failed (the figures
# then count what ran).
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

parts=(windows native)
case "${1:-}" in
  --windows | --native)
    parts=("${1#--}")
    shift
    ;;
esac

# llvm brings llvm-cov, which reads the counts of clang's native build.
bash tools/setup.sh test gcovr llvm || exit 1

# Line and branch coverage of one build's counts: the HTML report in REPORT,
# then the figures file by file and per folder.
#   report TITLE BUILD REPORT GCOV
report() {
  local title=$1 build=$2 report=$3 gcov=$4
  rm -rf "$report"
  mkdir -p "$report"
  gcovr --root "$root" --object-directory "$build" \
    --gcov-executable "$gcov" \
    --filter "$root/(runtime|toolkit|game)/" \
    --exclude-unreachable-branches \
    --html-details "$report/index.html" --html-title "$title" \
    --json-summary "$report/summary.json" --json-summary-pretty \
    --txt "$report/coverage.txt" >/dev/null || return 1

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
    # Each top folder, and each platform's backend under it (toolkit/gtk/, toolkit/win32/).
    parts = name.split("/")
    for depth in (1, 2) if len(parts) > 2 else (1,):
        t = folders.setdefault("/".join(parts[:depth]), [0, 0, 0, 0])
        t[0] += lc; t[1] += lt; t[2] += bc; t[3] += bt
print()
print(f"{'folder':32} {'lines':>14} {'%':>6} {'branches':>14} {'%':>6}")
for name, (lc, lt, bc, bt) in sorted(folders.items()):
    print(f"{name + '/':32} {lc:>6} of {lt:<5} {pct(lc, lt):6.1f} {bc:>6} of {bt:<5} {pct(bc, bt):6.1f}")
PY
  echo "coverage: HTML report in $report/index.html"
}

tests_failed=()

source tools/wine-env.sh
measure_windows() {
  # The i686 variant, or the x86_64 one where the kernel runs no 32-bit programs.
  local arch=i686
  tavek_wine32_runs || {
    arch=x86_64
    echo "coverage: this machine runs no 32-bit programs; measuring the x86_64 build"
  }
  local gcov=i686-w64-mingw32-gcov-posix
  [ "$arch" = i686 ] || gcov=x86_64-w64-mingw32-gcov-posix
  local build=build/coverage-$arch
  cmake --preset "$arch" -B "$build" -DTAVEK_COVERAGE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null || exit 1
  cmake --build "$build" -j 2 || exit 1

  # Counts from an earlier run would add up with this one.
  find "$build" -name '*.gcda' -delete

  wine_env_up
  trap wine_env_down EXIT
  ctest --test-dir "$build" -j 1 --output-on-failure "$@" || tests_failed+=(windows)
  wine_env_down
  trap - EXIT

  echo "== Windows build ($arch)"
  report "Tavek PIN coverage" "$build" build/coverage "$gcov" || exit 1
}

measure_native() {
  # The counts are clang's: read them with the llvm-cov of the clang that
  # builds (Debian's clang is a link into its release's LLVM folder).
  local compiler gcov build=build/coverage-native
  compiler=$(readlink -f "$(command -v clang++)") || exit 1
  gcov=$(dirname "$compiler")/llvm-cov
  [ -x "$gcov" ] || {
    echo "coverage: no llvm-cov beside $compiler" >&2
    exit 1
  }
  cmake --preset native -B "$build" -DTAVEK_TESTS=ON -DTAVEK_COVERAGE=ON >/dev/null || exit 1
  cmake --build "$build" -j 2 || exit 1

  find "$build" -name '*.gcda' -delete

  ctest --test-dir "$build" -j 1 --output-on-failure -L '^(native|gtk)$' "$@" || tests_failed+=(native)

  echo "== Native build (GTK)"
  report "Tavek PIN coverage, native build" "$build" "$build/report" "$gcov gcov" || exit 1
}

for part in "${parts[@]}"; do
  "measure_$part" "$@"
done

if [ ${#tests_failed[@]} -ne 0 ]; then
  echo "coverage: some tests failed (${tests_failed[*]}); the figures count what ran" >&2
  exit 1
fi
