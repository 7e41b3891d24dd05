#!/usr/bin/env bash
# Builds the players' packages into dist/:
#   tavek-pin-0.11-windows-x86.zip, tavek-pin-0.11-windows-x64.zip
#       tavek-pin.exe (static, GUI subsystem, manifest, icon, version) and README.txt
#   tavek-pin-0.11-windows-x86.msi, tavek-pin-0.11-windows-x64.msi
#       Windows installers (packaging/tavek-pin.wxs, built with Debian's wixl):
#       the program in Program Files\Tavek PIN, a Start-menu shortcut, an entry
#       in the list of installed apps
#   tavek-pin_0.11_amd64.deb
#       the native program /usr/games/tavek-pin (GTK 3), desktop entry, icons,
#       manual page, AppStream metadata; built by dpkg-buildpackage with
#       packaging/debian as the sources' debian/ folder, then checked with
#       appstreamcli and lintian (errors and warnings fail)
#   tavek-pin-0.11-web.zip
#       the site, index.html at its root, for any static web server: the page,
#       its style sheet, the program (tavek-pin.js, tavek-pin.wasm), the rounded
#       face with its licence, the icons, the manifest and the offline worker
# Release builds without the test tree, in fresh build folders (build/package-*
# for the Windows programs, a copy of the sources for the .deb).
# Archive and installer dates come from the last commit (SOURCE_DATE_EPOCH), so
# that two builds of one commit give the same bytes.
#   tools/package.sh                       build, then run lintian on the .deb
#   tools/package.sh --check-reproducible  build twice, from clean clones of HEAD in
#                                          two different folders, and compare SHA-256
#   --allow-dirty   build a working tree with uncommitted changes (not reproducible)
#   --no-lintian    skip lintian
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

version=0.11
check=""; allow_dirty=""; lint=1
for arg in "$@"; do
  case "$arg" in
    --check-reproducible) check=1 ;;
    --allow-dirty) allow_dirty=1 ;;
    --no-lintian) lint="" ;;
    *) echo "usage: tools/package.sh [--check-reproducible] [--allow-dirty] [--no-lintian]" >&2; exit 2 ;;
  esac
done

say() { echo "package: $*"; }
fail() { echo "package: $*" >&2; exit 1; }

bash tools/setup.sh package >/dev/null || fail "could not install what packaging needs (run as root)"
git rev-parse --git-dir >/dev/null 2>&1 || fail "not a git checkout: the archive dates come from the last commit"

packages=("tavek-pin-$version-windows-x86.zip" "tavek-pin-$version-windows-x64.zip"
  "tavek-pin-$version-windows-x86.msi" "tavek-pin-$version-windows-x64.msi" "tavek-pin_${version}_amd64.deb"
  "tavek-pin-$version-web.zip")
# The site's files, in the order the zip lists them.
site_files=(index.html tavek-pin.css tavek-pin.js tavek-pin.wasm manifest.webmanifest sw.js icon-192.png icon-512.png
  tavek-rounded.woff2 tavek-rounded-licence.txt)

if [ -n "$check" ]; then
  [ -z "$(git status --porcelain)" ] || say "note: uncommitted changes are not part of the check; it builds the last commit"
  work=$(mktemp -d /var/tmp/tavek-reproducible.XXXXXX)
  trap 'rm -rf "$work"' EXIT
  # Two clones in folders of different names and depths.
  for dir in "$work/first" "$work/second/deeper/clone"; do
    mkdir -p "$(dirname "$dir")"
    git clone -q "$root" "$dir" || fail "clone into $dir failed"
    say "building in $dir"
    (cd "$dir" && bash tools/package.sh --no-lintian >"$dir.log" 2>&1) || { tail -n 20 "$dir.log"; fail "the build in $dir failed"; }
  done
  same=1
  for p in "${packages[@]}"; do
    a=$(sha256sum <"$work/first/dist/$p" | cut -d' ' -f1)
    b=$(sha256sum <"$work/second/deeper/clone/dist/$p" | cut -d' ' -f1)
    if [ "$a" = "$b" ]; then
      echo "identical  $a  $p ($(stat -c %s "$work/first/dist/$p") bytes)"
    else
      echo "DIFFERENT  $a / $b  $p"
      same=""
    fi
  done
  [ -n "$same" ] || fail "the two builds differ"
  say "reproducible: both builds of $(git rev-parse --short HEAD) gave identical packages"
  exit 0
fi

if [ -n "$(git status --porcelain)" ]; then
  [ -n "$allow_dirty" ] || fail "the working tree has uncommitted changes: commit them first (or pass --allow-dirty for a build that is not reproducible)"
  say "warning: uncommitted changes; this build is not reproducible"
fi
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export TZ=UTC LC_ALL=C.UTF-8
umask 022

# ---- The programs ------------------------------------------------------------------
declare -A exe
for arch in i686 x86_64; do
  dir=build/package-$arch
  rm -rf "$dir"
  say "building $arch in $dir"
  cmake --preset "$arch" -B "$dir" -DTAVEK_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null || fail "configure $arch failed"
  cmake --build "$dir" -j 2 --target tavek-pin >"$dir/build.log" 2>&1 || { tail -n 30 "$dir/build.log"; fail "build $arch failed"; }
  exe[$arch]=$dir/tavek-pin.exe
done

site_build=build/package-web
rm -rf "$site_build"
say "building the site in $site_build"
cmake --preset web -B "$site_build" -DTAVEK_TESTS=OFF >/dev/null || fail "configure web failed"
cmake --build "$site_build" -j 2 >"$site_build/build.log" 2>&1 || { tail -n 30 "$site_build/build.log"; fail "build web failed"; }

rm -rf dist
mkdir -p dist
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
stamp() { find "$@" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +; }

# ---- The Windows zips --------------------------------------------------------------
for arch in i686 x86_64; do
  name=x86; [ "$arch" = x86_64 ] && name=x64
  z=$stage/zip-$name
  mkdir -p "$z"
  install -m 0644 "${exe[$arch]}" "$z/tavek-pin.exe"
  sed 's/$/\r/' packaging/README.txt >"$z/README.txt"
  stamp "$z"
  # -X: no owner or Unix time fields; the names in a fixed order.
  (cd "$z" && zip -q -X -D "$root/dist/tavek-pin-$version-windows-$name.zip" tavek-pin.exe README.txt) ||
    fail "zip $name failed"
done

# ---- The site -----------------------------------------------------------------------
w=$stage/web
mkdir -p "$w"
for f in "${site_files[@]}"; do install -m 0644 "$site_build/site/$f" "$w/$f" || fail "the site lacks $f"; done
stamp "$w"
(cd "$w" && zip -q -X -D "$root/dist/tavek-pin-$version-web.zip" "${site_files[@]}") || fail "zip web failed"

# ---- The Windows installers --------------------------------------------------------
# A GUID made from a text: the same text always gives the same GUID (SHA-256,
# laid out as a name-based GUID of version 5).
guid_of() {
  local h variant
  h=$(printf '%s' "$1" | sha256sum | cut -c1-32)
  variant=$(printf '%x' $(( (16#${h:16:1} & 3) | 8 )))
  printf '%s-%s-5%s-%s%s-%s' "${h:0:8}" "${h:8:4}" "${h:13:3}" "$variant" "${h:17:3}" "${h:20:12}" | tr a-f A-F
}
# msidump writes tables as .idt text (three lines of heading, then one row a
# line, tab-separated, CRLF line ends). idt_set FILE MATCH KEY COLUMN VALUE
# changes column COLUMN of the rows whose column MATCH holds KEY.
idt_set() {
  awk -F'\t' -v match_column="$2" -v key="$3" -v column="$4" -v value="$5" 'BEGIN { OFS = "\t" }
    { sub(/\r$/, "") } NR > 3 && $match_column == key { $column = value } { printf "%s\r\n", $0 }' "$1" >"$1.new" &&
    mv "$1.new" "$1"
}
msi_date=$(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y/%m/%d %H:%M:%S')
for arch in i686 x86_64; do
  name=x86; [ "$arch" = x86_64 ] && name=x64
  m=$stage/msi-$name
  mkdir -p "$m/tables"
  install -m 0644 "${exe[$arch]}" "$m/tavek-pin.exe"
  install -m 0644 game/resources/tavek-pin.ico "$m/tavek-pin.ico"
  install -m 0644 packaging/tavek-pin.wxs "$m/tavek-pin.wxs"
  stamp "$m"
  msi=$root/dist/tavek-pin-$version-windows-$name.msi
  (cd "$m" && wixl -a "$name" -D Version="$version" -D Arch="$name" \
    -D ProductCode="$(guid_of "tavek-pin product $version $name")" \
    -D Exe=tavek-pin.exe -D Icon=tavek-pin.ico -o "$msi" tavek-pin.wxs) >"$m/wixl.log" 2>&1 ||
    { cat "$m/wixl.log"; fail "wixl $name failed"; }
  # (msidump writes the binary columns into a folder of the current one.)
  (cd "$m/tables" && msidump -d . "$msi") >/dev/null 2>&1 || fail "msidump $name failed"
  # The major upgrade also replaces the same version (of the other architecture:
  # an installed copy of this very package is repaired instead). wixl writes
  # the upgrade row with its highest version exclusive; its attributes are a
  # key column, so the table is imported again with the bit for "inclusive"
  # (512) added to the migrating row (attributes 1).
  grep -q $'\t1\t\tWIX_UPGRADE_DETECTED\r$' "$m/tables/Upgrade.idt" ||
    fail "wixl wrote an upgrade row other than the one expected: $(cat "$m/tables/Upgrade.idt")"
  idt_set "$m/tables/Upgrade.idt" 7 WIX_UPGRADE_DETECTED 5 513
  # The summary: wixl writes the time of the build and a new package code
  # each time. The dates become the last commit's; the package code one made
  # from the package's bytes (with the code left empty), so that a package
  # that differs in anything has a code of its own.
  summary=$m/tables/_SummaryInformation.idt
  idt_set "$summary" 1 12 2 "$msi_date"
  idt_set "$summary" 1 13 2 "$msi_date"
  idt_set "$summary" 1 9 2 "{00000000-0000-0000-0000-000000000000}"
  (cd "$m/tables" && msibuild "$msi" -i Upgrade.idt && msibuild "$msi" -i _SummaryInformation.idt) ||
    fail "msibuild $name failed"
  idt_set "$summary" 1 9 2 "{$(guid_of "tavek-pin package $(sha256sum <"$msi")")}"
  (cd "$m/tables" && msibuild "$msi" -i _SummaryInformation.idt) || fail "msibuild $name failed"
  touch -d "@$SOURCE_DATE_EPOCH" "$msi"
done

# ---- The Debian package ------------------------------------------------------------
# Built by Debian's own tools from a copy of the sources with packaging/debian
# as its debian/ folder: dpkg-buildpackage runs debhelper, which builds the
# native program with Debian's build flags (hardening, build folder mapped
# away), strips it, computes Depends: from the libraries it links
# (dpkg-shlibdeps), compresses the manual page and changelog and writes the
# package with the last commit's date.
src=$stage/deb/tavek-pin-$version
mkdir -p "$src"
# The committed tree; with --allow-dirty, the working tree's tracked files as they stand.
tree=HEAD
if [ -n "$allow_dirty" ]; then tree=$(git stash create); tree=${tree:-HEAD}; fi
git archive "$tree" | tar -x -C "$src" || fail "could not copy the sources for the .deb"
cp -a "$src/packaging/debian" "$src/debian"
say "building the .deb in a copy of the sources (dpkg-buildpackage)"
(cd "$src" && DEB_BUILD_OPTIONS="nocheck parallel=2" dpkg-buildpackage --build=binary --no-sign) >"$stage/deb.log" 2>&1 ||
  { tail -n 30 "$stage/deb.log"; fail "dpkg-buildpackage failed"; }
deb=dist/tavek-pin_${version}_amd64.deb
cp "$stage/deb/tavek-pin_${version}_amd64.deb" "$deb" || fail "dpkg-buildpackage made no tavek-pin_${version}_amd64.deb"
installed_size=$(dpkg-deb -f "$deb" Installed-Size)
say "the .deb: Installed-Size $installed_size KB; Depends: $(dpkg-deb -f "$deb" Depends)"
[ "$installed_size" -le 300 ] || fail "the .deb would install $installed_size KB, more than 300 KB"
# The software centre's listing, as installed (offline: the screenshot's address
# is where the project will publish it, not a place reachable from here).
say "appstreamcli validate --no-net, and validate-tree of the installed files"
appstreamcli validate --no-net "$src/debian/tavek-pin/usr/share/metainfo/"*.metainfo.xml ||
  fail "the AppStream metadata does not validate"
appstreamcli validate-tree --no-net "$src/debian/tavek-pin" || fail "the installed tree does not validate"

echo
for p in "${packages[@]}"; do
  printf '%10d bytes  %s  dist/%s\n' "$(stat -c %s "dist/$p")" "$(sha256sum <"dist/$p" | cut -d' ' -f1)" "$p"
done

if [ -n "$lint" ]; then
  echo
  say "lintian --info dist/tavek-pin_${version}_amd64.deb"
  report=$(lintian --info --tag-display-limit 0 "dist/tavek-pin_${version}_amd64.deb" 2>&1 | grep -v "^running with root privileges")
  [ -n "$report" ] && echo "$report"
  echo "lintian: $(grep -c '^E:' <<<"$report") errors, $(grep -c '^W:' <<<"$report") warnings, $(grep -c '^I:' <<<"$report") notes"
  grep -qE '^(E|W):' <<<"$report" && fail "lintian reports errors or warnings"
  say "lintian: no errors, no warnings"
fi
say "done: dist/ holds ${packages[*]}"
