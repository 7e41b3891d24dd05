#!/usr/bin/env bash
# Static analysis: the checked-in .clang-tidy over every product source
# (game/, toolkit/, runtime/ and the headers they include), compiled as the
# i686 build compiles it: Windows target, MinGW headers and the build's own
# flags from its compile_commands.json. The GTK backend and the Linux entry
# point (toolkit/gtk/, game/main_gtk.cpp) are analysed as the native build
# compiles them, from its compile_commands.json. Prints each finding and fails
# when there is any.
#   tools/tidy.sh [BUILD_DIR [NATIVE_BUILD_DIR]]   (default build/i686 and
#                                                  build/native, configured when missing)
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
tidy=$(command -v clang-tidy) || {
  echo "tidy: clang-tidy is missing (tools/setup.sh installs it)" >&2
  exit 1
}
build=${1:-build/i686}
if [ ! -f "$build/compile_commands.json" ]; then
  cmake --preset i686 -B "$build" >/dev/null || exit 1
fi
native=${2:-build/native}
if [ ! -f "$native/compile_commands.json" ]; then
  cmake --preset native -B "$native" >/dev/null || exit 1
fi

# Clang knows the MinGW target and finds its C headers by itself, but not the
# C++ library headers of Debian's posix-thread compiler: take their folders
# from the compiler that builds the program.
compiler=i686-w64-mingw32-g++-posix
extra=(--extra-arg-before=--target=i686-w64-mingw32 --extra-arg=-nostdinc++)
while read -r dir; do
  case $dir in
    */include/c++*) extra+=("--extra-arg=-isystem$(realpath "$dir")") ;;
  esac
done < <(echo | "$compiler" -xc++ -E -v - 2>&1 | sed -n '/#include <...> search starts here:/,/End of search list./p' | sed 's/^ *//')

is_native() { case $1 in toolkit/gtk/* | game/main_gtk.cpp) return 0 ;; *) return 1 ;; esac; }
# The page backend and its entry point are compiled by emscripten alone, which the analysis does not drive.
is_web() { case $1 in toolkit/web/* | game/main_web.cpp) return 0 ;; *) return 1 ;; esac; }
mapfile -t sources < <(find game toolkit runtime -name '*.cpp' | LC_ALL=C sort)
windows_sources=() native_sources=()
for source in "${sources[@]}"; do
  if is_web "$source"; then continue; fi
  if is_native "$source"; then native_sources+=("$source"); else windows_sources+=("$source"); fi
done
log=$(mktemp)
trap 'rm -f "$log"' EXIT
printf '%s\n' "${windows_sources[@]}" |
  xargs -P 2 -I{} "$tidy" -p "$build" --quiet "${extra[@]}" {} >"$log" 2>/dev/null
status=$?
printf '%s\n' "${native_sources[@]}" | xargs -P 2 -I{} "$tidy" -p "$native" --quiet {} >>"$log" 2>/dev/null ||
  status=$?
# A header's finding shows once per source that includes it: count it once.
findings=$(grep -E '^[^ ].*:[0-9]+:[0-9]+: (warning|error):' "$log" | LC_ALL=C sort -u)
count=$(printf '%s' "$findings" | grep -c . || true)
if [ "$count" -ne 0 ] || [ "$status" -ne 0 ]; then
  cat "$log"
  echo "tidy: $count findings in ${#sources[@]} sources" >&2
  exit 1
fi
echo "tidy: ${#sources[@]} sources, no findings"
