# Sourced by tools/bench.sh: its first part, the native program side by side
# with the Windows x86_64 program under Wine and with a bare GTK window.
# native_comparison builds what it needs, runs the three in turn on a private
# Xvfb of its own (no window manager, nothing else drawing), prints one table
# and keeps every figure in fig[] as linux_<program>_<figure> (medians).
#
# Each run is timed from outside by tests/bench/stopwatch.cpp, from the start
# of the command to the window mapped ("shown") and to the run falling quiet
# ("shown and idle"); the memory is the sum over every process the run started
# (for Wine: the game, its server, services, explorer, device manager and the
# rest), resident and proportional (each shared page split among the processes
# that map it, as smem counts). The programs:
#   game      build/bench-linux/tavek-pin, the native program as the play
#             command builds it (preset linux)
#   wine      the x86_64 program under Wine's 64-bit loader, started as the
#             Debian package's launcher started it: tools/wine-prefix.sh makes
#             or checks the prefix (build/wp-bench-player; unmanaged windows, as
#             there is no window manager), then the program from C:\.
#             "first": the prefix made from nothing; "later": the prefix made
#             and Wine's server ended, as a player's next start
#   bare      tests/bench/bare_gtk.cpp, the floor
#   barenogl  the floor with GDK_GL=disable, as the game starts GTK (which
#             then loads no OpenGL driver as it starts), for scale
#   noanim    the native program with the desktop's animations off
#             (gtk-enable-animations=0 in GTK's settings file), for scale: GTK's
#             theme animates the widgets' state changes after the window maps
# The first rounds also time misses (Enter in the guess field after four
# digits, to idle) and the processor share while waiting (after the start, and
# with the focus in the guess field after the misses).

native_comparison() {
  local b=build/bench-linux first_runs=3 runs=11 detailed=3 misses=10 idle=5
  [ -n "$quick" ] && { first_runs=1; runs=3; detailed=1; misses=5; idle=2; }
  local flags=(-std=c++20 -O3 -DNDEBUG -Wall -Wextra -Werror -Wshadow)
  echo "bench: building the native program and the floor in $b, the x86_64 program in build/bench-x86_64" >&2
  { cmake --preset linux -B "$b" && cmake --build "$b" -j 2 --target tavek-pin &&
    c++ "${flags[@]}" -o "$b/stopwatch" tests/bench/stopwatch.cpp $(pkg-config --cflags --libs x11 xtst) &&
    c++ "${flags[@]}" -o "$b/bare-gtk" tests/bench/bare_gtk.cpp $(pkg-config --cflags --libs gtk+-3.0) &&
    cmake --preset x86_64 -B build/bench-x86_64 -DCMAKE_BUILD_TYPE=Release &&
    cmake --build build/bench-x86_64 -j 2 --target tavek-pin; } >"$b.log" 2>&1 ||
    { tail -n 20 "$b.log"; echo "bench: the native part's build failed" >&2; return 1; }

  local load_start xvfb fd_file out=build/bench/native-runs.txt
  load_start=$(cut -d' ' -f1-3 /proc/loadavg)
  mkdir -p build/bench
  : >"$out"
  fd_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 1 100); do [ -s "$fd_file" ] && break; sleep 0.05; done
  local display=":$(head -n 1 "$fd_file")"
  rm -f "$fd_file"

  # Wine as the player's launcher ran it.
  local prefix=$root/build/wp-bench-player
  local wine_env=(WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all WINESERVER=/usr/lib/wine/wineserver64
    TAVEK_WINE=/usr/lib/wine/wine64 TAVEK_WINESERVER=/usr/lib/wine/wineserver64)
  local launcher='source "$0/tools/wine-prefix.sh" && export WINEDLLOVERRIDES=$tavek_dll_overrides &&
    tavek_prefix_ensure N Y C && cd "$WINEPREFIX/drive_c" && exec "$TAVEK_WINE" "$1"'
  server_ended() { env "${wine_env[@]}" /usr/lib/wine/wineserver64 -k 2>/dev/null; env "${wine_env[@]}" /usr/lib/wine/wineserver64 -w; }
  # measure NAME MISSES IDLE_SECONDS: one run of the program NAME, its lines kept as "NAME key value".
  measure() {
    local command
    case "$1" in
      game) command=("$b/tavek-pin") ;;
      barenogl) command=(env GDK_GL=disable "$b/bare-gtk") ;;
      noanim) command=(env XDG_CONFIG_HOME="$b/no-animations" "$b/tavek-pin") ;;
      bare) command=("$b/bare-gtk") ;;
      wine_*) command=(env "${wine_env[@]}" bash -c "$launcher" "$root" "$root/build/bench-x86_64/tavek-pin.exe") ;;
    esac
    DISPLAY=$display "$b/stopwatch" "$xvfb" "Tavek PIN Program Ver. 0.11" 135 110 "$2" "$3" -- "${command[@]}" |
      sed "s/^/$1 /" >>"$out"
    [[ $1 == wine_* ]] && server_ended
  }

  mkdir -p "$b/no-animations/gtk-3.0"
  printf '[Settings]\ngtk-enable-animations=0\n' >"$b/no-animations/gtk-3.0/settings.ini"
  local i name
  for i in $(seq 1 "$first_runs"); do
    echo "bench: Wine's first start with a new prefix ($i of $first_runs)" >&2
    server_ended
    rm -rf "$prefix"
    measure wine_first 0 0
  done
  for i in $(seq 1 "$runs"); do
    echo "bench: later starts, round $i of $runs$([ "$i" -le "$detailed" ] && echo ", with $misses misses and ${idle} s waits")" >&2
    # The programs take turns, each round beginning with another.
    for name in $(printf '%s\n' wine_later game bare barenogl noanim wine_later game bare barenogl |
      tail -n +$((i % 5 + 1)) | head -n 5); do
      if [ "$i" -le "$detailed" ]; then measure "$name" "$misses" "$idle"; else measure "$name" 0 0; fi
    done
  done
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
  grep -q ' failure ' "$out" && { echo "bench: $(grep ' failure ' "$out" | head -n 3)" >&2; failed=1; }

  # The medians, as fig[linux_NAME_KEY].
  local key value
  while read -r key value; do
    fig[linux_$key]=$value
  done < <(awk '$2 != "failure" { print $1 "_" $2, $3 }' "$out" | sort -k1,1 -k2,2g | awk '
    function median() { print key, (n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2) }
    $1 != key { if (n) median(); key = $1; n = 0 } { v[++n] = $2 } END { if (n) median() }')
  fig[linux_runs]=$runs
  fig[linux_first_runs]=$first_runs
  fig[linux_load]="\"$load_start -> $(cut -d' ' -f1-3 /proc/loadavg)\""

  nrow() { printf '%-57s %9s %9s %9s %11s %11s  %-22s %s\n' "$@"; }
  # line LABEL KEY [SCALE]: the three programs' medians of KEY (divided by SCALE) and the two ratios.
  line() {
    local scale=${3:-1}
    nrow "$1" "$(calc "linux_game_$2 / $scale")" "$(calc "linux_wine_later_$2 / $scale")" "$(calc "linux_bare_$2 / $scale")" \
      "$(ratio "linux_game_$2" "linux_wine_later_$2")" "$(ratio "linux_game_$2" "linux_bare_$2")" "${4:-}" "${5:-}"
  }
  local to_wine to_bare
  echo
  echo "The native program against the Windows x86_64 program under Wine ($(/usr/lib/wine/wine64 --version)) and a bare GTK window:"
  echo "one Xvfb, no window manager; $(nproc) processors, load average $load_start before, $(cut -d' ' -f1-3 /proc/loadavg) after;" \
    "medians of $runs later starts (misses and waits in $detailed of them), $first_runs first starts"
  nrow "figure" "native" "Wine" "bare GTK" "native/Wine" "native/bare" "goal" "met"
  nrow "---------------------------------------------------------" "---------" "---------" "---------" "-----------" "-----------" "----------------------" "---"
  nrow "first start: to shown, ms (Wine: making its prefix)" "$(v linux_game_shown_ms)" "$(v linux_wine_first_shown_ms)" "" \
    "$(ratio linux_game_shown_ms linux_wine_first_shown_ms)" "" "" ""
  nrow "first start: to shown and idle, ms" "$(v linux_game_idle_ms)" "$(v linux_wine_first_idle_ms)" "" \
    "$(ratio linux_game_idle_ms linux_wine_first_idle_ms)" "" "" ""
  line "later start: to shown, ms" shown_ms
  to_wine=$(ratio linux_game_idle_ms linux_wine_later_idle_ms)
  to_bare=$(ratio linux_game_idle_ms linux_bare_idle_ms)
  line "later start: to shown and idle, ms" idle_ms 1 "<= 0.25 Wine, <= 1.10 bare" \
    "$([ "$(met "$to_wine" "<=" 0.25)$(met "$to_bare" "<=" 1.10)" = yesyes ] && echo yes || echo NO)"
  nrow "  processes the run started" "$(v linux_game_processes_start)" "$(v linux_wine_later_processes_start)" \
    "$(v linux_bare_processes_start)" "" "" "" ""
  to_wine=$(ratio linux_game_rss_start_kb linux_wine_later_rss_start_kb)
  line "resident memory after the start, MB" rss_start_kb 1024 "<= 0.25 Wine" "$(met "$to_wine" "<=" 0.25)"
  to_wine=$(ratio linux_game_pss_start_kb linux_wine_later_pss_start_kb)
  line "proportional memory after the start, MB" pss_start_kb 1024 "<= 0.25 Wine" "$(met "$to_wine" "<=" 0.25)"
  to_wine=$(ratio linux_game_rss_played_kb linux_wine_later_rss_played_kb)
  line "resident memory after the misses, MB" rss_played_kb 1024 "<= 0.25 Wine" "$(met "$to_wine" "<=" 0.25)"
  to_wine=$(ratio linux_game_pss_played_kb linux_wine_later_pss_played_kb)
  line "proportional memory after the misses, MB" pss_played_kb 1024 "<= 0.25 Wine" "$(met "$to_wine" "<=" 0.25)"
  to_wine=$(ratio linux_game_miss_median_ms linux_wine_later_miss_median_ms)
  line "a miss: Enter to idle, median ms" miss_median_ms 1 "<= 1.00 Wine" "$(met "$to_wine" "<=" 1)"
  line "a miss: Enter to idle, slowest of a run, median ms" miss_max_ms
  line "idle CPU after the start, %" idle_cpu_start_pct
  line "idle CPU, focus in the guess field, %" idle_cpu_focus_pct
  nrow "for scale: bare GTK with GDK_GL=disable: shown and idle, ms" "" "" "$(v linux_barenogl_idle_ms)" \
    "" "$(ratio linux_game_idle_ms linux_barenogl_idle_ms)" "" ""
  nrow "  its resident memory after the start, MB" "" "" "$(calc "linux_barenogl_rss_start_kb / 1024")" \
    "" "$(ratio linux_game_rss_start_kb linux_barenogl_rss_start_kb)" "" ""
  nrow "  its proportional memory after the start, MB" "" "" "$(calc "linux_barenogl_pss_start_kb / 1024")" \
    "" "$(ratio linux_game_pss_start_kb linux_barenogl_pss_start_kb)" "" ""
  nrow "for scale: native with animations off: shown and idle, ms" "$(v linux_noanim_idle_ms)" "" "" \
    "$(ratio linux_noanim_idle_ms linux_wine_later_idle_ms)" "$(ratio linux_noanim_idle_ms linux_bare_idle_ms)" "" ""
  echo "Native and bare have no first start of their own: their first-start row repeats their later start."
  echo "Every run's figures: $out. Wall-clock figures move with the machine's load."
  return 0
}
