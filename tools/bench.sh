#!/usr/bin/env bash
# Benchmarks; not part of the test suite. Two parts in one run, each printing
# its table; every figure goes to build/bench/figures.json.
#
# 1. The native program (GTK 3, preset linux, build/bench-linux) side by side
#    with the Windows x86_64 program under Wine, started as a player's launcher
#    started it (a prefix of its own made at the first start by
#    tools/wine-prefix.sh, build/wp-bench-player), and with its floor, a bare GTK
#    window with the same widgets written straight on GTK (tests/bench/bare_gtk.cpp),
#    all on one private Xvfb with no window manager, timed from outside by
#    tests/bench/stopwatch.cpp (the window's mapping seen as it happens, the run
#    idle when its processes and the X server stop running, memory from
#    /proc/PID/smaps_rollup of every process the run started): Wine's first start
#    with a new prefix, later starts with the prefix made and Wine's server ended,
#    resident and proportional memory, a miss (Enter in the guess field) to idle,
#    idle CPU. The three take turns; figures are medians; ratios against Wine and
#    the bare window, with the goals.
# 2. The Windows programs under Wine on a private Xvfb beside their two floors,
#    both built with the game's flags (release, both architectures, into
#    build/bench-i686 and build/bench-x86_64): the twin, the game's main window
#    written straight on Win32 (tests/bench/twin.cpp), and a bare Win32 window
#    (tests/bench/bare_window.cpp). Game and twin take turns; figures are
#    medians. Run-time figures are taken on one architecture (i686 unless --arch
#    says so, or where the machine runs no 32-bit programs); sizes on both.
# The full run takes about 30 minutes, --quick about 6.
#   tools/bench.sh [--quick] [--arch i686|x86_64] [--only native|windows]
#     --quick   short soaks and storm, fewer start-ups and rounds, to try the command out
#     --only    one of the two parts
# Environment: TAVEK_WINEPREFIX (default build/wp-bench) for the second part.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

quick=""
arch=""
only=""
usage="usage: tools/bench.sh [--quick] [--arch i686|x86_64] [--only native|windows]"
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) quick=1 ;;
    --arch) arch=$2; shift ;;
    --only) only=${2:-}; shift; [[ $only == native || $only == windows ]] || { echo "$usage" >&2; exit 2; } ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
  shift
done

startup_runs=15; idle_seconds=5; idle_rounds=3; handling_rounds=3; soak="10000 1000"; storm="100000 4242"
[ -n "$quick" ] && { startup_runs=5; idle_seconds=2; idle_rounds=1; handling_rounds=2; soak="500 50"; storm="3000 4242"; }
# A display and a Wine prefix of the benchmark's own: no window manager, nothing
# else drawing, and the pointer free for the clicks.
unset DISPLAY
export TAVEK_WINEPREFIX=${TAVEK_WINEPREFIX:-$root/build/wp-bench}
source tools/wine-env.sh
if [ -z "$arch" ]; then
  arch=i686
  tavek_wine32_runs || { arch=x86_64; echo "bench: this machine runs no 32-bit programs; run-time figures on x86_64" >&2; }
elif [ "$arch" = i686 ] && ! tavek_wine32_runs; then
  echo "bench: this machine runs no 32-bit programs: no i686 run-time figures here" >&2
  exit 1
fi
began=$(date +%s)
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

declare -A fig
failed=0
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

# ratio A B: A / B, or "n/a".
ratio() { calc "$1 / $2"; }
# game_twin LABEL KEY_GAME KEY_TWIN KEY_FLOOR: a row with the ratio against the twin and the 1.05 goal.
game_twin() {
  local r
  r=$(ratio "$2" "$3")
  row "$1" "$(v "$2")" "$(v "$3")" "$([ -n "$4" ] && v "$4")" "$r" "<= 1.05" "$(met "$r" "<=" 1.05)"
}
# info LABEL KEY_GAME KEY_TWIN [KEY_FLOOR]: a row for scale, without a goal.
info() { row "$1" "$(v "$2")" "$(v "$3")" "$([ -n "${4:-}" ] && v "$4")" "$(ratio "$2" "$3")" "" ""; }
row() { printf '%-58s %10s %10s %10s %10s  %-16s %s\n' "$@"; }

# ---- 1. The native program, the Windows program under Wine, the bare GTK window -------
source tools/bench-native.sh

# ---- 2. The Windows programs beside their floors, under Wine ---------------------------
windows_benchmarks() {
windows_load=$(cut -d' ' -f1-3 /proc/loadavg)
for a in i686 x86_64; do
  dir=build/bench-$a
  echo "bench: building $a in $dir" >&2
  cmake --preset "$a" -B "$dir" -DCMAKE_BUILD_TYPE=Release >/dev/null || exit 1
  cmake --build "$dir" -j 2 --target tavek-pin bench_bare_window bench_twin bench_launcher bench_game >/dev/null || {
    cmake --build "$dir" -j 1 --target tavek-pin bench_bare_window bench_twin bench_launcher bench_game; exit 1; }
done

wine_env_up
trap wine_env_down EXIT

# collect [--prefix P] WHAT COMMAND...: runs one benchmark program and keeps its
# "key value" lines (as P + key).
collect() {
  local prefix="" what out
  [ "$1" = --prefix ] && { prefix=$2; shift 2; }
  what=$1
  shift
  echo "bench: $what" >&2
  out=$("$@" 2>>"$log" | tr -d '\r')
  while read -r key value; do
    [ -n "$key" ] && fig[$prefix$key]=$value
  done <<<"$out"
  if grep -q '^failure' <<<"$out"; then
    echo "bench: $what failed: $(grep '^failure' <<<"$out" | cut -d' ' -f2-) (more in $log)" >&2
    failed=1
  fi
}

b=build/bench-$arch
log=$b/bench-stderr.log
: >"$log"
game_exe=$(wine winepath -w "$b/tavek-pin.exe")
bare_exe=$(wine winepath -w "$b/tests/bench/bare-window.exe")
twin_exe=$(wine winepath -w "$b/tests/bench/twin.exe")
collect "start-up and working set ($startup_runs runs each)" wine "$b/tests/bench/launcher.exe" startup "$startup_runs" \
  "game=$game_exe" "twin=$twin_exe" "bare=$bare_exe" "bare_rich=$bare_exe rich"
collect "idle CPU ($idle_rounds rounds of ${idle_seconds} s per state)" wine "$b/tests/bench/launcher.exe" idle \
  "$idle_seconds" "$idle_rounds" "game=$game_exe" "twin=$twin_exe" "bare=$bare_exe"
collect "random_upto against its bare step" wine "$b/tests/bench/bench-game.exe" random
# A miss and a win in-process, game and twin taking turns; the median of the rounds' figures.
rounds=""
for r in $(seq 1 "$handling_rounds"); do
  if [ $((r % 2)) = 1 ]; then order="game twin"; else order="twin game"; fi
  for who in $order; do
    if [ "$who" = game ]; then
      collect --prefix "r${r}_game_" "a miss and a win, game (round $r)" wine "$b/tests/bench/bench-game.exe" handling
    else
      collect --prefix "r${r}_twin_" "a miss and a win, twin (round $r)" wine "$b/tests/bench/twin.exe" handling
    fi
  done
  rounds+=" $r"
done
for key in $(printf '%s\n' "${!fig[@]}" | sed -n 's/^r1_\(game\|twin\)_//p' | sort -u); do
  for who in game twin; do
    values=""
    for r in $rounds; do values+=" ${fig[r${r}_${who}_$key]:-}"; done
    fig[${who}_$key]=$(tr ' ' '\n' <<<"$values" | grep . | sort -g | awk '{ v[NR] = $1 } END {
      if (NR) printf "%.6g", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
  done
done
collect "soak ($soak)" wine "$b/tests/bench/bench-game.exe" soak $soak
collect "the soak typed in from outside, game and twin ($soak)" wine "$b/tests/bench/launcher.exe" soak $soak \
  "game=$game_exe" "twin=$twin_exe"
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

load_after=$(cut -d' ' -f1-3 /proc/loadavg)

echo
echo "Tavek PIN benchmarks: $arch, $(wine --version), Xvfb${quick:+, --quick}; $(nproc) processors, load average $windows_load before, $load_after after"
echo "twin = the game's main window written straight on Win32 (tests/bench/twin.cpp); floor = bare Win32 window (tests/bench/bare_window.cpp)"
row "figure" "game" "twin" "floor" "game/twin" "goal" "met"
row "----------------------------------------------------------" "----------" "----------" "----------" "----------" "----------------" "---"
game_twin "start-up to shown and idle, ms (median of $(v startup_runs))" startup_game_ms startup_twin_ms startup_bare_ms
info "  its processor time, ms (10 ms ticks)" startup_cpu_game_ms startup_cpu_twin_ms startup_cpu_bare_ms
row "  for scale: floor + one rich-text control, ms" "$(v startup_bare_rich_ms)" "" "$(v startup_bare_ms)" "" "" ""
for state in guess_focus:"focus in the guess field" about:"About shown, pointer on About" \
             about_pointer_away:"About shown, pointer moved off" after_win:"after a win" background:"window in the background"; do
  g=idle_cpu_game_${state%%:*}_pct; t=idle_cpu_twin_${state%%:*}_pct
  d=$(calc "$g - $t")
  ok="-"
  [ "$d" != n/a ] && ok=$(awk "BEGIN { print (${fig[$g]} < 1 && $d <= 0.1) ? \"yes\" : \"NO\" }")
  row "idle CPU over ${idle_seconds} s, ${state#*:}, %" "$(v "$g")" "$(v "$t")" "$(v idle_cpu_bare_pct)" "+$d" "<1 %, <=twin+0.1" "$ok"
done
game_twin "miss: Enter posted to fields written, median ms" game_miss_median_ms twin_miss_median_ms game_message_floor_median_ms
game_twin "miss: Enter posted to fields written, p99 over 1000, ms" game_miss_p99_ms twin_miss_p99_ms game_message_floor_p99_ms
game_twin "miss: Enter posted to idle (repainted), median ms" game_miss_idle_median_ms twin_miss_idle_median_ms ""
game_twin "miss: Enter posted to idle (repainted), p99, ms" game_miss_idle_p99_ms twin_miss_idle_p99_ms ""
game_twin "miss: this thread's processor time to idle, median ms" game_miss_cpu_median_ms twin_miss_cpu_median_ms ""
info "miss: messages sent to window procedures" game_miss_messages_sent twin_miss_messages_sent
info "miss: messages taken from the queue" game_miss_messages_taken twin_miss_messages_taken
row "miss: properties, active window, key states asked" "$(v game_miss_server_questions)" "0" "" "" "" ""
row "  one such question: wall us / this thread's processor us" "$(v game_server_question_us) / $(v game_server_question_cpu_us)" "" "" "" "" ""
info "miss: repaints (WM_PAINT taken)" game_miss_paints twin_miss_paints
game_twin "win minus its 25 ms pauses: fields written, median ms" game_win_median_ms twin_win_median_ms game_message_floor_median_ms
game_twin "win minus pauses: fields written, p99 over 200, ms" game_win_p99_ms twin_win_p99_ms game_message_floor_p99_ms
game_twin "win minus pauses: to idle (repainted), median ms" game_win_idle_median_ms twin_win_idle_median_ms ""
game_twin "win: this thread's processor time to idle, median ms" game_win_cpu_median_ms twin_win_cpu_median_ms ""
info "win: messages sent" game_win_messages_sent twin_win_messages_sent
info "win: repaints (WM_PAINT taken)" game_win_paints twin_win_paints
row "win: properties, active window, key states asked" "$(v game_win_server_questions)" "0" "" "" "" ""
game_twin "working set after start-up, KB" working_set_game_kb working_set_twin_kb working_set_bare_kb
game_twin "working set after the soak typed in from outside, KB" working_set_after_soak_game_kb working_set_after_soak_twin_kb ""
echo
echo "Against the bare window alone:"
row "figure" "game" "" "floor" "game/floor" "goal" "met"
r=$(calc "startup_game_ms / startup_bare_ms")
row "start-up to shown and idle, ms" "$(v startup_game_ms)" "" "$(v startup_bare_ms)" "$r" "ratio <= 1.15" "$(met "$r" "<=" 1.15)"
row "miss: Enter posted to fields written, median ms" "$(v game_miss_median_ms)" "" "$(v game_message_floor_median_ms)" "" "<= 1 ms" "$(met "$(v game_miss_median_ms)" "<=" 1)"
row "win minus its pauses, median ms ($(v game_win_pauses_per_win) pauses/win)" "$(v game_win_median_ms)" "" "$(v game_message_floor_median_ms)" "" "<= 1 ms" "$(met "$(v game_win_median_ms)" "<=" 1)"
for a in i686 x86_64; do
  g=$(calc "size_${a}_tavek_pin / 1024"); f=$(calc "size_${a}_bare_window / 1024")
  goal=""; ok=""
  [ "$a" = i686 ] && { goal="<= 132 KB"; ok=$(met "$g" "<=" 132); }
  row "executable size, stripped, $a, KB" "$g" "" "$f" "$(calc "size_${a}_tavek_pin / size_${a}_bare_window")" "$goal" "$ok"
done
d=$(calc "(working_set_game_kb - working_set_bare_kb) / 1024")
row "working set after start-up, MB" "$(calc "working_set_game_kb / 1024")" "" "$(calc "working_set_bare_kb / 1024")" "+$d MB" "<= floor + 2 MB" "$(met "$d" "<=" 2)"
d=$(calc "(working_set_bare_rich_kb - working_set_bare_kb) / 1024")
row "  for scale: floor + one rich-text control, MB" "$(calc "working_set_bare_rich_kb / 1024")" "" "$(calc "working_set_bare_kb / 1024")" "+$d MB" "" ""
d=$(calc "(working_set_after_soak_kb - working_set_bare_kb) / 1024")
row "working set after the soak (in-process), MB" "$(calc "working_set_after_soak_kb / 1024")" "" "$(calc "working_set_bare_kb / 1024")" "+$d MB" "<= floor + 2 MB" "$(met "$d" "<=" 2)"
r=$(v random_cost_ratio)
row "random_upto draws per second (floor: step)" "$(calc "random_upto_per_s / 1e6")M" "" "$(calc "random_step_per_s / 1e6")M" "cost x$(calc "random_cost_ratio")" "cost <= 1.5" "$(met "$r" "<=" 1.5)"
row "soak: GDI objects before -> after" "$(v soak_gdi_before) -> $(v soak_gdi_after)" "" "" "" "identical" "$(met "$(v soak_gdi_after)" "==" "$(v soak_gdi_before)")"
row "soak: USER objects before -> after" "$(v soak_user_before) -> $(v soak_user_after)" "" "" "" "identical" "$(met "$(v soak_user_after)" "==" "$(v soak_user_before)")"
d=$(calc "soak_private_peak_later_games_kb - soak_private_peak_first_100_games_kb")
row "soak: private KB, highest in games 1-100 -> after" "$(v soak_private_peak_first_100_games_kb) -> $(v soak_private_peak_later_games_kb)" "" "" "${d} KB" "<= +64 KB" "$(met "$d" "<=" 64)"
row "soak: misses / wins / seconds" "$(v soak_misses) / $(v soak_wins) / $(v soak_seconds)" "" "" "" "${soak// / / }" ""
row "storm: inputs / misses / wins / seconds" "$(v storm_inputs) / $(v storm_misses) / $(v storm_wins) / $(v storm_seconds)" "" "" "" "no failure" "$([ $failed = 0 ] && echo yes || echo NO)"
echo "objects counted by: $(v soak_count_source)"
echo "\"floor + one rich-text control\" is the bare window with the platform libraries the game's display needs"
echo "(common controls, RICHED20.DLL) and one read-only rich-text control: the share of the platform, for scale."
echo "Wall-clock figures move with the machine's load; the processor times and message counts much less."

}

[ "$only" = windows ] || native_comparison || failed=1
[ "$only" = native ] || windows_benchmarks

fig[load_before]="\"$load_before\""
fig[load_after]="\"$(cut -d' ' -f1-3 /proc/loadavg)\""
fig[wall_seconds]=$(( $(date +%s) - began ))
# Every figure as JSON, so that runs can be compared.
mkdir -p build/bench
{
  echo "{"
  echo "  \"arch\": \"$arch\", \"quick\": $([ -n "$quick" ] && echo true || echo false), \"wine\": \"$(wine --version)\","
  echo "  \"date\": \"$(date -u +%Y-%m-%dT%H:%M:%SZ)\", \"processors\": $(nproc),"
  echo "  \"figures\": {"
  first=1
  for key in $(printf '%s\n' "${!fig[@]}" | grep -v '^r[0-9]*_' | sort); do
    value=${fig[$key]}
    if [[ $value =~ ^-?[0-9]+(\.[0-9]+)?([eE][-+]?[0-9]+)?$ ]]; then :; elif [[ $value == \"*\" ]]; then :; else value="\"$value\""; fi
    [ $first = 1 ] || echo ","
    printf '    "%s": %s' "$key" "$value"
    first=0
  done
  echo
  echo "  },"
  echo "  \"rounds\": {"
  first=1
  for key in $(printf '%s\n' "${!fig[@]}" | grep '^r[0-9]*_' | sort); do
    [ $first = 1 ] || echo ","
    printf '    "%s": %s' "$key" "${fig[$key]}"
    first=0
  done
  echo
  echo "  }"
  echo "}"
} >build/bench/figures.json
echo "figures: build/bench/figures.json (wall time of this run: $(v wall_seconds) s)"
[ "$failed" -eq 0 ]
