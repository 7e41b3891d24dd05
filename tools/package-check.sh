#!/usr/bin/env bash
# Checks the packages tools/package.sh made in dist/:
#   1. each Windows zip holds exactly tavek-pin.exe and README.txt; the program
#      is a PE of the zip's machine type, GUI subsystem, linked statically (only
#      system DLLs imported), with icon, manifest and version resources
#   2. the .deb in a fresh minimal root of each Debian release, Debian 13 "trixie"
#      and Debian 12 "bookworm" (debootstrap --variant=minbase, the bases cached
#      in /var/tmp like ../shared/fresh-check.sh's): `apt-get install
#      --no-install-recommends ./tavek-pin_0.11_amd64.deb` (the disk it took, and
#      what the install with recommends would take, are printed); `tavek-pin`
#      without a display says so in one line and fails; under xvfb-run, as a new
#      user, it opens the game window (screenshot: build/package-check-RELEASE.png);
#      a prefix left half-made is made again; `apt-get purge tavek-pin` removes
#      every file it installed.
# Run as root (chroot, mounts) after tools/package.sh. Takes some minutes per
# release: the root downloads Wine.
#   PACKAGE_CHECK_ONLY=zip                 only the zips
#   PACKAGE_CHECK_SUITE=trixie|bookworm    the .deb on one release (default: both)
#   FRESH_BASE=dir                         the cached base root (with one release)
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
version=0.11
deb=dist/tavek-pin_${version}_amd64.deb
failed=0
say() { echo "package-check: $*"; }
bad() { echo "package-check: FAILED: $*"; failed=1; }

for p in "dist/tavek-pin-$version-windows-x86.zip" "dist/tavek-pin-$version-windows-x64.zip" "$deb"; do
  [ -s "$p" ] || { say "$p is missing: run tools/package.sh first"; exit 2; }
done

# ---- 1. The zips -------------------------------------------------------------------
tmp=$(mktemp -d)
cleanup() { rm -rf "$tmp"; }
trap cleanup EXIT
for name in x86 x64; do
  zip=dist/tavek-pin-$version-windows-$name.zip
  tool=i686-w64-mingw32-objdump; format=pei-i386
  [ "$name" = x64 ] && { tool=x86_64-w64-mingw32-objdump; format=pei-x86-64; }
  listing=$(unzip -Z1 "$zip" | LC_ALL=C sort | tr '\n' ' ')
  [ "$listing" = "README.txt tavek-pin.exe " ] || bad "$zip holds: $listing"
  mkdir -p "$tmp/$name"
  unzip -q -o "$zip" -d "$tmp/$name" || bad "$zip does not unpack"
  exe=$tmp/$name/tavek-pin.exe
  "$tool" -f "$exe" 2>/dev/null | grep -q "file format $format\$" || bad "$zip: tavek-pin.exe is not $format"
  headers=$("$tool" -p "$exe" 2>/dev/null)
  grep -qE 'Subsystem[[:space:]]+00000002' <<<"$headers" || bad "$zip: not the GUI subsystem"
  imports=$(grep 'DLL Name:' <<<"$headers" | awk '{ print tolower($3) }' | LC_ALL=C sort | tr '\n' ' ')
  for dll in $imports; do
    case "$dll" in
      comctl32.dll | gdi32.dll | kernel32.dll | msvcrt.dll | ole32.dll | user32.dll | advapi32.dll | ntdll.dll) ;;
      *) bad "$zip: imports $dll (not linked statically)" ;;
    esac
  done
  # Resource types in the resource section: 3 icon, 14 icon group, 16 version, 24 manifest.
  resources=$("${tool%objdump}windres" -i "$exe" -O rc 2>/dev/null)
  for want in 'ICON' 'VERSIONINFO' 'RT_MANIFEST\|^1 24'; do
    grep -q "$want" <<<"$resources" || bad "$zip: no $want resource"
  done
  say "$zip: README.txt and tavek-pin.exe ($format, GUI, imports: $imports)"
done
[ "${PACKAGE_CHECK_ONLY:-}" = zip ] && { [ $failed -eq 0 ] && say "zips passed"; exit $failed; }

# ---- 2. The .deb in a fresh root of each release -------------------------------------
[ "$(id -u)" = 0 ] || { say "the .deb check needs root (chroot, mounts)"; exit 2; }
rm -rf "$tmp"

# check_deb SUITE: the whole .deb check in a fresh root of that release; its
# failures name the release. Returns non-zero when any part failed.
check_deb() {
local suite=$1 release failed=0
release="Debian 13 ($suite)"
[ "$suite" = bookworm ] && release="Debian 12 ($suite)"
say() { echo "package-check: $release: $*"; }
bad() { echo "package-check: $release: FAILED: $*"; failed=1; }
local base=${FRESH_BASE:-/var/tmp/fresh-check-base}
[ "$suite" = bookworm ] || base=${FRESH_BASE:-/var/tmp/fresh-check-base-$suite}
if [ ! -x "$base/bin/bash" ]; then
  command -v debootstrap >/dev/null || { apt-get update -qq && apt-get install -y -qq debootstrap >/dev/null; }
  say "making the base root (once, about a minute)"
  made=$(mktemp -d /var/tmp/package-check-base.XXXXXX)
  chmod 755 "$made"  # the root folder of the root: every user passes through it
  debootstrap --variant=minbase "$suite" "$made" >"$made.log" 2>&1 || { bad "debootstrap failed (see $made.log)"; return 1; }
  [ -x "$base/bin/bash" ] || mv "$made" "$base"
  rm -rf "$made" "$made.log"
fi
run=$(mktemp -d /var/tmp/package-check.XXXXXX)
r=$run/root
cleanup() {
  [ -n "${r:-}" ] && for m in dev/shm dev/pts dev sys proc; do umount -l "$r/$m" 2>/dev/null; done
  [ -n "${run:-}" ] && rm -rf "$run"
}
cp -a "$base" "$r"
chmod 755 "$r"
cp /etc/resolv.conf "$r/etc/resolv.conf"
cp "$deb" "$r/tmp/"
mount -t proc proc "$r/proc"; mount --rbind /sys "$r/sys"
mount --rbind /dev "$r/dev"; mount -t tmpfs tmpfs "$r/dev/shm" 2>/dev/null
inroot() {
  timeout 1800 chroot "$r" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive bash -c "$1" </dev/null
}
log=$run/log
root_mb() { du -sm --exclude=proc --exclude=sys --exclude=dev "$r" | cut -f1; }
inroot "apt-get update -qq" >"$log" 2>&1 || { tail -n 20 "$log"; bad "apt-get update failed"; return 1; }
# What the install with recommends would add: the installed sizes of the
# packages apt would take (the downloaded archives come on top).
local with without grown before
packages_mb() {
  inroot "cd /tmp && apt-get install -s -y $1 ./$(basename "$deb")"' | sed -n "s/^Inst \([^ ]*\) .*/\1/p" |
    xargs apt-cache show --no-all-versions | sed -n "s/^Installed-Size: *//p" | awk "{ s += \$1 } END { print int(s / 1024) }"'
}
with=$(packages_mb "" 2>>"$log")
without=$(packages_mb --no-install-recommends 2>>"$log")
before=$(root_mb)
say "fresh root: apt-get install --no-install-recommends ./$(basename "$deb")"
inroot "cd /tmp && apt-get install -y -qq --no-install-recommends ./$(basename "$deb")" >>"$log" 2>&1 ||
  { tail -n 20 "$log"; bad "apt-get install failed"; return 1; }
grown=$(( $(root_mb) - before ))
inroot "dpkg-query -L tavek-pin" >"$run/files" 2>>"$log" || bad "dpkg-query -L failed"
say "installed $(wc -l <"$run/files") paths: $without MB of packages, the root grew by $grown MB" \
  "(downloaded archives included); with recommends it would be $with MB of packages"
# What xvfb-run and the screenshot need; the game's package must not need them.
inroot "apt-get install -y -qq --no-install-recommends xvfb xauth xdotool x11-apps" >>"$log" 2>&1 ||
  { tail -n 20 "$log"; bad "installing xvfb failed"; return 1; }
inroot "useradd -m player" >>"$log" 2>&1

# A login shell, as a player's session has: its PATH holds /usr/games.
as_player() { inroot "su -l player -c '$1'"; }
# No display: one line, non-zero exit.
out=$(as_player "env -u DISPLAY tavek-pin" 2>&1); rc=$?
if [ $rc -ne 0 ] && [ "$(wc -l <<<"$out")" -eq 1 ]; then
  say "without a display: \"$out\" (exit $rc)"
else
  bad "without a display: exit $rc, said: $out"
fi

# Opens the window under xvfb-run, takes a screenshot, closes the game.
start_and_shoot() {
  as_player "xvfb-run -a -s \"-screen 0 1024x768x24\" bash -c \"tavek-pin & game=\\\$!; \
    timeout 180 xdotool search --sync --onlyvisible --name \\\"Tavek PIN Program\\\" >/tmp/window || exit 3; \
    sleep 2; xwd -root -silent >/tmp/screen.xwd; kill \\\$game; wait \\\$game; \
    /usr/lib/wine/wineserver64 -k; exit 0\"" >>"$log" 2>&1
}
prefix=$r/home/player/.local/share/tavek-pin/wine
if start_and_shoot && [ -s "$r/tmp/screen.xwd" ]; then
  mkdir -p build
  convert "xwd:$r/tmp/screen.xwd" -trim +repage "build/package-check-$suite.png" 2>/dev/null ||
    cp "$r/tmp/screen.xwd" "build/package-check-$suite.xwd"
  say "tavek-pin opened the game window under xvfb-run; screenshot: build/package-check-$suite.png"
  [ -f "$prefix/.tavek-settings" ] && [ ! -e "$prefix/.tavek-preparing" ] || bad "the prefix has no settings marker"
else
  tail -n 20 "$log"; bad "tavek-pin did not open the game window"
fi

# A first start cut off halfway: the prefix is made again from nothing.
if [ -d "$prefix" ]; then
  touch "$prefix/.tavek-preparing" "$prefix/left-over"
  rm -f "$r/tmp/screen.xwd"
  if start_and_shoot && [ -s "$r/tmp/screen.xwd" ] && [ ! -e "$prefix/left-over" ] && [ -f "$prefix/.tavek-settings" ] &&
     [ ! -e "$prefix/.tavek-preparing" ]; then
    say "a half-made prefix was made again and the game started"
  else
    local why=""
    [ -s "$r/tmp/screen.xwd" ] || why="$why; the game window did not open"
    [ -e "$prefix/left-over" ] && why="$why; the prefix was not made from nothing"
    [ -f "$prefix/.tavek-settings" ] || why="$why; no settings marker"
    [ -e "$prefix/.tavek-preparing" ] && why="$why; still marked as being made"
    tail -n 20 "$log"
    bad "a half-made prefix was not made again${why}"
  fi
fi

# Purge: every file the package installed is gone.
inroot "apt-get purge -y -qq tavek-pin" >>"$log" 2>&1 || bad "apt-get purge failed"
left=""
while read -r path; do
  [ "$path" = /. ] && continue
  [ -e "$r$path" ] || [ -L "$r$path" ] || continue
  # A folder that other packages still own stays.
  [ -d "$r$path" ] && inroot "dpkg-query -S '$path'" >/dev/null 2>&1 && continue
  left="$left $path"
done <"$run/files"
if [ -z "$left" ]; then
  say "apt-get purge tavek-pin removed all $(grep -c . "$run/files") paths it installed (shared folders kept)"
else
  bad "left after purge:$left"
fi
[ $failed -eq 0 ] && say "passed"
return $failed
}

suites=${PACKAGE_CHECK_SUITE:-trixie bookworm}
passed=""
for suite in $suites; do
  if check_deb "$suite"; then passed="$passed $suite"; else failed=1; fi
  cleanup
  r="" run=""
done
say() { echo "package-check: $*"; }
[ $failed -eq 0 ] && say "passed (zips;$passed)"
exit $failed
