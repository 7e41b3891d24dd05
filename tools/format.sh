#!/usr/bin/env bash
# Source layout by the checked-in .clang-format, over every C++ source and
# header of the product and its tests.
#   tools/format.sh           rewrites the files in place
#   tools/format.sh --check   changes nothing; lists each file that differs,
#                             shows the difference and fails
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
format=$(command -v clang-format) || {
  echo "format: clang-format is missing (tools/setup.sh installs it)" >&2
  exit 1
}

mapfile -t files < <(find game toolkit runtime tests -name '*.cpp' -o -name '*.h' | LC_ALL=C sort)

if [ "${1:-}" != "--check" ]; then
  "$format" -i --style=file "${files[@]}"
  exit 0
fi

bad=0
for f in "${files[@]}"; do
  if ! "$format" --style=file "$f" | diff -u --label "$f" --label "$f (formatted)" "$f" - ; then
    bad=$((bad + 1))
  fi
done
if [ "$bad" -ne 0 ]; then
  echo "format: $bad of ${#files[@]} files differ from .clang-format (run tools/format.sh)" >&2
  exit 1
fi
echo "format: ${#files[@]} files match .clang-format"
