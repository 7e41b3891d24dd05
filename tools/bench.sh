#!/usr/bin/env bash
# Benchmarks; not part of the test suite. Builds what they need (release, both
# architectures, into build/bench-i686 and build/bench-x86_64), runs every
# figure under Wine on a private Xvfb beside its floor, a bare Win32 window
# program built the same way (tests/bench/bare_window.cpp), and prints one table.
# Run-time figures are taken on one architecture (i686 unless --arch says so);
# sizes on both. The full run takes about 25 minutes.
#   tools/bench.sh [--quick] [--arch i686|x86_64]
#     --quick   short soak and storm and fewer start-ups, to try the command out
# Environment: TAVEK_WINEPREFIX (default build/wp-bench).
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

quick=""
arch=i686
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) quick=1 ;;
    --arch) arch=$2; shift ;;
    *) echo "usage: tools/bench.sh [--quick] [--arch i686|x86_64]" >&2; exit 2 ;;
  esac
  shift
done

startup_runs=15; idle_seconds=5; soak="10000 1000"; storm="100000 4242"
[ -n "$quick" ] && { startup_runs=5; soak="500 50"; storm="3000 4242"; }

for a in i686 x86_64; do
  dir=build/bench-$a
  echo "bench: building $a in $dir" >&2
  cmake --preset "$a" -B "$dir" -DCMAKE_BUILD_TYPE=Release >/dev/null || exit 1
  cmake --build "$dir" -j 2 --target tavek-pin bench_bare_window bench_launcher bench_game >/dev/null || {
    cmake --build "$dir" -j 1 --target tavek-pin bench_bare_window bench_launcher bench_game; exit 1; }
done

# A display and a Wine prefix of the benchmark's own: no window manager, nothing
# else drawing, and the pointer free for the clicks.
unset DISPLAY
export TAVEK_WINEPREFIX=${TAVEK_WINEPREFIX:-$root/build/wp-bench}
source tools/wine-env.sh
wine_env_up
trap wine_env_down EXIT

declare -A fig
failed=0
# Runs one benchmark program and keeps its "key value" lines.
collect() {
  local what=$1 out
  shift
  echo "bench: $what" >&2
  out=$("$@" 2>>"$log" | tr -d '\r')
  while read -r key value; do
    [ -n "$key" ] && fig[$key]=$value
  done <<<"$out"
  if grep -q '^failure' <<<"$out"; then
    echo "bench: $what failed: $(grep '^failure' <<<"$out" | cut -d' ' -f2-) (more in $log)" >&2
    failed=1
  fi
}

b=build/bench-$arch
log=$b/bench-stderr.log
: >"$log"
game_exe=$(winepath -w "$b/tavek-pin.exe")
bare_exe=$(winepath -w "$b/tests/bench/bare-window.exe")
collect "start-up and working set ($startup_runs runs each)" wine "$b/tests/bench/launcher.exe" startup "$startup_runs" \
  "game=$game_exe" "bare=$bare_exe" "bare_rich=$bare_exe rich"
collect "idle CPU (${idle_seconds} s per state)" wine "$b/tests/bench/launcher.exe" idle "$game_exe" "$bare_exe" "$idle_seconds"
collect "random_upto against its bare step" wine "$b/tests/bench/bench-game.exe" random
collect "a miss and a win" wine "$b/tests/bench/bench-game.exe" handling
collect "soak ($soak)" wine "$b/tests/bench/bench-game.exe" soak $soak
collect "storm ($storm)" wine "$b/tests/bench/bench-game.exe" storm $storm

# Sizes of the stripped programs.
for a in i686 x86_64; do
  for program in tavek-pin.exe tests/bench/bare-window.exe; do
    tmp=$(mktemp)
    "$a-w64-mingw32-strip" -o "$tmp" "build/bench-$a/$program"
    name=$(basename "$program" .exe)
    fig[size_${a}_${name//-/_}]=$(stat -c %s "$tmp")
    rm -f "$tmp"
  done
done

v() { echo "${fig[$1]:-n/a}"; }
# calc EXPRESSION: awk arithmetic on the figures ("n/a" when one is missing).
calc() {
  local expr=$1 key
  for key in $(grep -oE '[a-z][a-z_0-9]*' <<<"$expr" | awk '{ print length, $0 }' | sort -rn | cut -d' ' -f2); do
    [[ $key =~ ^e[0-9]+$ ]] && continue
    [ -n "${fig[$key]+x}" ] && [ "${fig[$key]}" != "n/a" ] || { echo "n/a"; return; }
    expr=${expr//$key/${fig[$key]}}
  done
  awk "BEGIN { printf \"%.4g\", $expr }"
}
# met VALUE OPERATOR LIMIT
met() {
  [ "$1" = "n/a" ] && { echo "-"; return; }
  awk "BEGIN { print ($1 $2 $3) ? \"yes\" : \"NO\" }"
}
row() { printf '%-56s %12s %12s %12s  %-16s %s\n' "$@"; }

echo
echo "Tavek PIN benchmarks: $arch, $(wine --version), Xvfb; floor = bare Win32 window (tests/bench/bare_window.cpp)"
row "figure" "game" "floor" "game/floor" "goal" "met"
row "--------------------------------------------------------" "------------" "------------" "------------" "----------------" "---"
r=$(calc "startup_game_ms / startup_bare_ms")
row "start-up to shown and idle, ms (median of $(v startup_runs))" "$(v startup_game_ms)" "$(v startup_bare_ms)" "$r" "ratio <= 1.15" "$(met "$r" "<=" 1.15)"
row "  for scale: floor + one rich-text control, ms" "$(v startup_bare_rich_ms)" "$(v startup_bare_ms)" "$(calc "startup_bare_rich_ms / startup_bare_ms")" "" ""
for state in guess_focus:"focus in the guess field" about:"About shown, pointer on About" \
             about_pointer_away:"About shown, pointer moved off" after_win:"after a win" background:"window in the background"; do
  key=idle_cpu_${state%%:*}_pct
  row "idle CPU over ${idle_seconds} s, ${state#*:}, %" "$(v "$key")" "$(v idle_cpu_bare_pct)" "" "< 1 %" "$(met "$(v "$key")" "<" 1)"
done
row "miss: Enter posted to line shown, median ms" "$(v miss_median_ms)" "$(v message_floor_median_ms)" "" "<= 1 ms" "$(met "$(v miss_median_ms)" "<=" 1)"
row "miss: p99 over 1000, ms" "$(v miss_p99_ms)" "$(v message_floor_p99_ms)" "" "" ""
row "win minus its 25 ms pauses, median ms" "$(v win_median_ms)" "$(v message_floor_median_ms)" "" "<= 1 ms" "$(met "$(v win_median_ms)" "<=" 1)"
row "win minus pauses: p99 over 200, ms ($(v win_pauses_per_win) pauses/win)" "$(v win_p99_ms)" "$(v message_floor_p99_ms)" "" "" ""
for a in i686 x86_64; do
  g=$(calc "size_${a}_tavek_pin / 1024"); f=$(calc "size_${a}_bare_window / 1024")
  goal=""; ok=""
  [ "$a" = i686 ] && { goal="<= 128 KB"; ok=$(met "$g" "<=" 128); }
  row "executable size, stripped, $a, KB" "$g" "$f" "$(calc "size_${a}_tavek_pin / size_${a}_bare_window")" "$goal" "$ok"
done
d=$(calc "(working_set_game_kb - working_set_bare_kb) / 1024")
row "working set after start-up, MB" "$(calc "working_set_game_kb / 1024")" "$(calc "working_set_bare_kb / 1024")" "+$d MB" "<= floor + 2 MB" "$(met "$d" "<=" 2)"
d=$(calc "(working_set_bare_rich_kb - working_set_bare_kb) / 1024")
row "  for scale: floor + one rich-text control, MB" "$(calc "working_set_bare_rich_kb / 1024")" "$(calc "working_set_bare_kb / 1024")" "+$d MB" "" ""
d=$(calc "(working_set_after_soak_kb - working_set_bare_kb) / 1024")
row "working set after the soak (in-process), MB" "$(calc "working_set_after_soak_kb / 1024")" "$(calc "working_set_bare_kb / 1024")" "+$d MB" "<= floor + 2 MB" "$(met "$d" "<=" 2)"
r=$(v random_cost_ratio)
row "random_upto draws per second (floor: step)" "$(calc "random_upto_per_s / 1e6")M" "$(calc "random_step_per_s / 1e6")M" "cost x$(calc "random_cost_ratio")" "cost <= 1.5" "$(met "$r" "<=" 1.5)"
row "soak: GDI objects before -> after" "$(v soak_gdi_before) -> $(v soak_gdi_after)" "" "" "identical" "$(met "$(v soak_gdi_after)" "==" "$(v soak_gdi_before)")"
row "soak: USER objects before -> after" "$(v soak_user_before) -> $(v soak_user_after)" "" "" "identical" "$(met "$(v soak_user_after)" "==" "$(v soak_user_before)")"
d=$(calc "soak_private_peak_later_games_kb - soak_private_peak_first_100_games_kb")
row "soak: private KB, highest in games 1-100 -> after" "$(v soak_private_peak_first_100_games_kb) -> $(v soak_private_peak_later_games_kb)" "" "${d} KB" "<= +64 KB" "$(met "$d" "<=" 64)"
row "soak: misses / wins / seconds" "$(v soak_misses) / $(v soak_wins) / $(v soak_seconds)" "" "" "10000 / 1000" ""
row "storm: inputs / misses / wins / seconds" "$(v storm_inputs) / $(v storm_misses) / $(v storm_wins) / $(v storm_seconds)" "" "" "no failure" "$([ $failed = 0 ] && echo yes || echo NO)"
echo "objects counted by: $(v soak_count_source)"
echo "\"floor + one rich-text control\" is the bare window with the platform libraries the game's display needs"
echo "(common controls, RICHED20.DLL) and one read-only rich-text control: the share of the platform, for scale."
[ "$failed" -eq 0 ]
