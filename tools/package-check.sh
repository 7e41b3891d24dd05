#!/usr/bin/env bash
# Checks the packages tools/package.sh made in dist/:
#   1. each Windows zip holds exactly tavek-pin.exe and README.txt; the program
#      is a PE of the zip's machine type, GUI subsystem, linked statically (only
#      system DLLs imported), with icon, manifest and version resources; each
#      .msi is an installer for its architecture holding that same program
#   2. the .deb in a fresh minimal root of each Debian release, Debian 13 "trixie"
#      and Debian 12 "bookworm" (debootstrap --variant=minbase, the bases cached
#      in /var/tmp like ../shared/fresh-check.sh's): `apt-get install
#      --no-install-recommends ./tavek-pin_0.11_amd64.deb` (the disk it took, and
#      what the install with recommends would take, are printed); `tavek-pin`
#      without a display says so in one line and fails; under xvfb-run, as a new
#      user with the usual folders in the home (and xdg-utils and
#      desktop-file-utils installed, so that Wine's menu builder, if it ran,
#      would write), it opens the game window, takes a miss and a win typed in
#      and closes (screenshot: build/package-check-RELEASE.png). Every path in
#      the home is listed before and after: the only new ones lie in the prefix
#      (~/.local/share/tavek-pin) or the font library's cache (~/.cache/fontconfig,
#      or its older place ~/.fontconfig, which Debian 12's takes at times).
#      The prefix has drive C: alone (Wine's device links aside) and no link to
#      the home among its user folders; a program started in it (the drive
#      probe, tests/package/drive_probe.cpp) finds C: alone and cannot open
#      Z:\etc\hostname. A prefix left half-made is made again; a prefix of the
#      earlier version, with a Wine update pending, and a prefix a player broke
#      by hand (drives Z: and D: back, user folders linked to the home again)
#      are both put right at the next start, every file in them kept. Then the
#      two .msi under Wine, as root in a prefix as Wine makes it
#      (tools/package-check-wine.sh msi): installed, checked, started (the x86
#      program only where 32-bit programs run), repaired, removed twice, each
#      removal compared with the prefix before the install; the architectures
#      and a later version replacing each other. Last, `apt-get purge
#      tavek-pin` removes every file it installed.
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

for p in "dist/tavek-pin-$version-windows-x86.zip" "dist/tavek-pin-$version-windows-x64.zip" \
  "dist/tavek-pin-$version-windows-x86.msi" "dist/tavek-pin-$version-windows-x64.msi" "$deb"; do
  [ -s "$p" ] || { say "$p is missing: run tools/package.sh first"; exit 2; }
done

# ---- 1. The zips -------------------------------------------------------------------
tmp=$(mktemp -d)
cleanup() { :; }
# cleanup is the fresh root's while one is in use (see check_deb).
trap 'cleanup; rm -rf "$tmp"' EXIT
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

  # The installer of the same architecture: its template names the platform,
  # and it holds the zip's program (msitools' msiextract unpacks it).
  msi=dist/tavek-pin-$version-windows-$name.msi
  template=Intel; [ "$name" = x64 ] && template=x64
  if msiinfo suminfo "$msi" 2>/dev/null | tr -d '\r' | grep -qx "Template: $template;1033" &&
    msiextract -C "$tmp/msi-$name" "$msi" >/dev/null 2>&1 &&
    [ "$(find "$tmp/msi-$name" -type f | wc -l)" -eq 1 ] &&
    cmp -s "$(find "$tmp/msi-$name" -type f -name tavek-pin.exe)" "$exe"; then
    say "$msi: an installer for $template holding the zip's tavek-pin.exe ($(stat -c %s "$msi") bytes)"
  else
    bad "$msi: not an installer for $template holding the zip's tavek-pin.exe"
  fi
done
[ "${PACKAGE_CHECK_ONLY:-}" = zip ] && { [ $failed -eq 0 ] && say "zips and installers passed"; exit $failed; }

# ---- 2. The .deb in a fresh root of each release -------------------------------------
[ "$(id -u)" = 0 ] || { say "the .deb check needs root (chroot, mounts)"; exit 2; }

# What the checks under Wine need in the root (tools/package-check-wine.sh):
# the probes, built here, the game's icon, the installers with the programs
# they must install, and the same installer as a later version (0.12, with a
# product code of its own) for the upgrade.
kit=$tmp/kit
mkdir -p "$kit/later"
for probe in tests/e2e/probe.cpp:probe tests/package/drive_probe.cpp:drive-probe; do
  x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -static -o "$kit/${probe#*:}.exe" "${probe%%:*}" \
    -loleacc -lole32 -loleaut32 2>"$tmp/probe.log" ||
    { cat "$tmp/probe.log"; say "could not build ${probe%%:*}"; exit 2; }
done
install -m 0644 game/resources/tavek-pin.ico "$kit/tavek-pin.ico"
install -m 0755 tools/package-check-wine.sh "$kit/package-check-wine.sh"
for name in x86 x64; do
  install -m 0644 "dist/tavek-pin-$version-windows-$name.msi" "$kit/tavek-pin-$name.msi"
  install -m 0644 "$tmp/$name/tavek-pin.exe" "$kit/tavek-pin-$name.exe"
done
cp packaging/tavek-pin.wxs "$kit/tavek-pin-x64.exe" "$kit/tavek-pin.ico" "$kit/later/"
(cd "$kit/later" && wixl -a x64 -D Version=0.12 -D Arch=x64 -D ProductCode=0D5C6A38-7F2E-4B19-A4C3-2E8B61F0D957 \
  -D Exe=tavek-pin-x64.exe -D Icon=tavek-pin.ico -o ../later.msi tavek-pin.wxs) >"$tmp/later.log" 2>&1 ||
  { cat "$tmp/later.log"; say "could not build the later installer"; exit 2; }
rm -rf "$kit/later" "${tmp:?}/x86" "${tmp:?}/x64" "$tmp"/msi-*
chmod -R a+rX "$kit"

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
cp -a "$kit" "$r/tmp/check"
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
# What xvfb-run, the screenshot and the play need; the game's package must not
# need them. With xdg-utils and desktop-file-utils, Wine's menu builder, if it
# ran, would really write menu entries and file types into the home.
inroot "apt-get install -y -qq --no-install-recommends xvfb xauth xdotool x11-apps xdg-utils desktop-file-utils" \
  >>"$log" 2>&1 || { tail -n 20 "$log"; bad "installing xvfb failed"; return 1; }
inroot "useradd -m player" >>"$log" 2>&1

# A login shell, as a player's session has: its PATH holds /usr/games.
as_player() { inroot "su -l player -c '$1'"; }
# The lines of tools/package-check-wine.sh, reported as this release's.
report() {
  local line
  while IFS= read -r line; do
    case "$line" in
      FAILED:*) bad "${line#FAILED: }" ;;
      ?*) say "$line" ;;
    esac
  done <<<"$1"
}
# The usual folders of a desktop user's home, and a file of the player's.
as_player "mkdir Desktop Documents Downloads Music Pictures Videos && echo mine >Documents/mine.txt" >>"$log" 2>&1
# No display: one line, non-zero exit.
out=$(as_player "env -u DISPLAY tavek-pin" 2>&1); rc=$?
if [ $rc -ne 0 ] && [ "$(wc -l <<<"$out")" -eq 1 ]; then
  say "without a display: \"$out\" (exit $rc)"
else
  bad "without a display: exit $rc, said: $out"
fi

# Every path in the home, before the first start and after the game ran and
# closed: new ones only in the prefix and the font library's cache (and the
# folders that hold them).
home_paths() { (cd "$r/home/player" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort); }
local home_before home_after new stray
home_before=$(home_paths)
say "the home before the first start: $(tr '\n' ' ' <<<"$home_before")"
out=$(as_player "xvfb-run -a -s \"-screen 0 1024x768x24\" bash /tmp/check/package-check-wine.sh play /tmp/check /tmp/screen.xwd" 2>>"$log")
rc=$?
report "$out"
[ $rc -eq 0 ] || grep -q '^FAILED' <<<"$out" || bad "the play ended with exit code $rc"
[ $rc -eq 0 ] || tail -n 20 "$log"
prefix=$r/home/player/.local/share/tavek-pin/wine
if [ -s "$r/tmp/screen.xwd" ]; then
  mkdir -p build
  convert "xwd:$r/tmp/screen.xwd" -trim +repage "build/package-check-$suite.png" 2>/dev/null ||
    cp "$r/tmp/screen.xwd" "build/package-check-$suite.xwd"
  say "screenshot: build/package-check-$suite.png"
fi
[ -f "$prefix/.tavek-settings" ] && [ ! -e "$prefix/.tavek-preparing" ] || bad "the prefix has no settings marker"
home_after=$(home_paths)
new=$(comm -13 <(echo "$home_before") <(echo "$home_after"))
# (The font library keeps its cache in ~/.cache/fontconfig; the configuration
# of both releases also names its older place ~/.fontconfig, where Debian 12's
# wrote it in some runs.)
stray=$(grep -vxE '\.local|\.local/share|\.local/share/tavek-pin(/.*)?|\.cache|\.cache/fontconfig(/.*)?|\.fontconfig(/.*)?' <<<"$new")
say "the home after the game ran and closed: new are $(grep -c '^\.local/share/tavek-pin/' <<<"$new") paths in" \
  ".local/share/tavek-pin/, $(grep -cE '^\.cache/fontconfig/|^\.fontconfig/' <<<"$new") in the font library's cache, and the folders" \
  "$(grep -vE '^\.local/share/tavek-pin/|^\.cache/fontconfig/|^\.fontconfig/' <<<"$new" | tr '\n' ' ')"
[ -z "$stray" ] || bad "the first start made paths in the home outside the prefix: $(tr '\n' ' ' <<<"$stray")"
[ -z "$(comm -23 <(echo "$home_before") <(echo "$home_after"))" ] ||
  bad "the first start removed from the home: $(comm -23 <(echo "$home_before") <(echo "$home_after") | tr '\n' ' ')"

# isolated: why the prefix is not isolated (nothing when it is): drives other
# than C: (Wine's device links such as COM ports aside), links among the user
# folders, a user folder missing, the menu builder not switched off.
users=$prefix/drive_c/users/player
isolated() {
  local drives links folder
  drives=$(ls -A "$prefix/dosdevices" | grep -xE '[a-zA-Z]:+' | grep -vx 'c:' | tr '\n' ' ')
  [ -n "$drives" ] && echo "drives besides C: $drives"
  links=$(find "$prefix/drive_c/users" -type l -printf '%P -> %l\n' | tr '\n' ';')
  [ -n "$links" ] && echo "links among the user folders: $links"
  for folder in Desktop Documents Downloads Music Pictures; do
    [ -d "$users/$folder" ] && [ ! -L "$users/$folder" ] || echo "no folder $folder"
  done
  grep -qxF '"winemenubuilder.exe"=""' "$prefix/user.reg" || echo "the menu builder is not switched off in the prefix"
}
why=$(isolated)
if [ -z "$why" ]; then
  say "the prefix: drives $(ls -A "$prefix/dosdevices" | tr '\n' ' ')(C: alone), user folders" \
    "$(cd "$users" && find . -mindepth 1 -maxdepth 1 -type d -printf '%P\n' | LC_ALL=C sort | paste -sd,) plain folders, menu builder off"
else
  bad "the prefix is not isolated: $why"
fi
report "$(as_player "bash /tmp/check/package-check-wine.sh drives /tmp/check" 2>>"$log")"

# Opens the window under xvfb-run, takes a screenshot, closes the game.
start_and_shoot() {
  as_player "xvfb-run -a -s \"-screen 0 1024x768x24\" bash -c \"tavek-pin & game=\\\$!; \
    timeout 180 xdotool search --sync --onlyvisible --name \\\"Tavek PIN Program\\\" >/tmp/window || exit 3; \
    sleep 2; xwd -root -silent >/tmp/screen.xwd; kill \\\$game; wait \\\$game; \
    /usr/lib/wine/wineserver64 -k; exit 0\"" >>"$log" 2>&1
}

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

# A prefix with drives Z: (the whole file system) and D: (the home) and two
# user folders linked to the home's, and files of the player's in it: as an
# earlier version made it (with its settings number), Wine updated since; and
# as a player broke it by hand. The next start puts it right and keeps every file.
break_prefix() {
  as_player "cd .local/share/tavek-pin/wine && ln -sfn / dosdevices/z: && ln -sfn ~ dosdevices/d: && \
    echo note >drive_c/users/player/Desktop/note.txt && echo saved >drive_c/saved.txt && \
    rm -rf drive_c/users/player/Documents drive_c/users/player/Music && \
    ln -s ~/Documents drive_c/users/player/Documents && ln -s ~/Music drive_c/users/player/Music" >>"$log" 2>&1
}
put_right() {
  local what=$1 why
  rm -f "$r/tmp/screen.xwd"
  start_and_shoot
  why=$(isolated)
  [ -s "$r/tmp/screen.xwd" ] || why="$why; the game window did not open"
  for file in "$users/Desktop/note.txt" "$prefix/drive_c/saved.txt" "$r/home/player/Documents/mine.txt"; do
    [ -s "$file" ] || why="$why; ${file#"$r"} is gone"
  done
  grep -q "^$tavek_settings-" "$prefix/.tavek-settings" 2>/dev/null || why="$why; settings marker '$(cat "$prefix/.tavek-settings")'"
  if [ -z "$why" ]; then
    say "$what: put right at the next start (C: alone, plain user folders, the player's files kept)"
  else
    bad "$what was not put right: $why"
  fi
}
tavek_settings=$(sed -n 's/^tavek_prefix_settings=//p' tools/wine-prefix.sh)
if [ -d "$prefix" ]; then
  break_prefix
  echo "$((tavek_settings - 1))-Y-Y" >"$prefix/.tavek-settings"
  echo 0 >"$prefix/.update-timestamp"
  put_right "an earlier version's prefix with a Wine update pending"
  [ "$(cat "$prefix/.update-timestamp")" != 0 ] || bad "Wine did not update the earlier version's prefix"
  break_prefix
  put_right "a prefix broken by hand"
fi

# The Windows installers under this release's Wine, as root in a prefix of
# Wine's own making.
out=$(inroot "xvfb-run -a -s '-screen 0 1024x768x24' bash /tmp/check/package-check-wine.sh msi /tmp/check" 2>>"$log")
rc=$?
report "$out"
[ $rc -eq 0 ] || grep -q '^FAILED' <<<"$out" || bad "the installers' check ended with exit code $rc"

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
