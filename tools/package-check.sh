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
#      what the install with recommends would take, are printed) brings no Wine
#      and no i386 architecture; the release's own validators accept the desktop
#      entry and the AppStream metadata; `tavek-pin` without a display, or with
#      one that is not there, says so in one line and exits 1. As a new user with
#      the usual folders in the home, from a login shell, the installed program is
#      played end to end on a private display with the screen-reader bus, as the
#      test suite plays the build (tests/e2e/play_gtk.py: misses to the hint and a
#      win typed in through X input, the fields read through AT-SPI; the Tab order;
#      the close box ends it with exit code 0), screenshot:
#      build/package-check-RELEASE.png. Every path in the home is listed before
#      and after: the only new ones may be the font library's cache
#      (~/.cache/fontconfig, or its older place ~/.fontconfig). `apt-get purge
#      tavek-pin` then removes every file it installed. Last, the two .msi under
#      that release's Wine, installed for this check only, as root in a prefix as
#      Wine makes it (tools/package-check-wine.sh): installed, checked, started
#      (the x86 program only where 32-bit programs run), repaired, removed twice,
#      each removal compared with the prefix before the install; the
#      architectures and a later version replacing each other.
# Run as root (chroot, mounts) after tools/package.sh. Takes some minutes per
# release: the root downloads GTK for the game, then Wine for the installers.
#   PACKAGE_CHECK_ONLY=zip                 only the zips
#   PACKAGE_CHECK_SUITE=trixie|bookworm    the .deb on one release (default: both)
#   PACKAGE_CHECK_MSI=0                    the .deb alone, not the installers under Wine
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
      oleacc.dll | oleaut32.dll) ;;  # the screen reader's objects, part of every Windows
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

# What the play of the native program needs in the root: the test suite's
# end-to-end play and its display. What the checks under Wine need
# (tools/package-check-wine.sh): the window probe, built here, the game's
# icon, the installers with the programs they must install, and the same
# installer as a later version (0.12, with a product code of its own) for the
# upgrade.
kit=$tmp/kit
mkdir -p "$kit/later" "$kit/game"
install -m 0644 tests/e2e/play_gtk.py "$kit/play_gtk.py"
install -m 0755 tools/with-display.sh "$kit/with-display.sh"
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -static -o "$kit/probe.exe" tests/e2e/probe.cpp -loleacc -lole32 -loleaut32 \
  2>"$tmp/probe.log" ||
  { cat "$tmp/probe.log"; say "could not build tests/e2e/probe.cpp"; exit 2; }
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
# The e2e play keeps its screenshots beside the program it plays: a link to the installed one.
chmod 1777 "$kit/game"
ln -s /usr/games/tavek-pin "$kit/game/tavek-pin"

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
local with without grown before taken
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
taken=$(inroot "dpkg-query -W -f '\${binary:Package}\n'" | grep -cE '^(wine|libwine)')
say "installed $(wc -l <"$run/files") paths: $without MB of packages, the root grew by $grown MB" \
  "(downloaded archives included); with recommends it would be $with MB of packages"
[ "$taken" -eq 0 ] || bad "the install brought Wine: $(inroot "dpkg-query -W -f '\${binary:Package} '" | grep -oE '(lib)?wine[^ ]*')"
[ -z "$(inroot 'dpkg --print-foreign-architectures')" ] || bad "a foreign architecture was added: $(inroot 'dpkg --print-foreign-architectures')"
# The display, the screen-reader bus and its Python bindings for the play,
# xdotool for its input; the release's own validators of desktop entries and
# AppStream metadata. The game's package must not need any of them.
inroot "apt-get install -y -qq --no-install-recommends xvfb xauth xdotool imagemagick dbus at-spi2-core \
  python3-pyatspi python3-xlib desktop-file-utils appstream" >>"$log" 2>&1 ||
  { tail -n 20 "$log"; bad "installing the tools of the play failed"; return 1; }
local out rc
out=$(inroot "desktop-file-validate /usr/share/applications/tavek-pin.desktop && \
  appstreamcli validate --no-net \$(dpkg-query -L tavek-pin | grep '^/usr/share/metainfo/.*\.xml\$')" 2>&1)
rc=$?
if [ $rc -eq 0 ]; then
  say "desktop-file-validate and appstreamcli validate --no-net ($(inroot 'appstreamcli --version' | grep -oE '[0-9][0-9.]+' | head -n 1)) accept the menu entry and the metadata"
else
  bad "the menu entry or the AppStream metadata do not validate: $(tr '\n' ' ' <<<"$out")"
fi
inroot "useradd -m player" >>"$log" 2>&1

# A login shell, as a player's session has: its PATH holds /usr/games.
as_player() { inroot "su -l player -c '$1'"; }
# The usual folders of a desktop user's home, and a file of the player's.
as_player "mkdir Desktop Documents Downloads Music Pictures Videos && echo mine >Documents/mine.txt" >>"$log" 2>&1
local where
where=$(as_player "command -v tavek-pin" 2>>"$log")
[ "$where" = /usr/games/tavek-pin ] || bad "a player's login shell finds tavek-pin at '$where', not /usr/games/tavek-pin"
# No display, and a display that is not there (in a network namespace of its
# own, where no X server of this machine can be reached): one line, exit code 1.
local how label
for how in "su -l player -c 'env -u DISPLAY tavek-pin'" "unshare --net su -l player -c 'env DISPLAY=:0 tavek-pin'"; do
  label="without a display"
  [[ $how == unshare* ]] && label="with DISPLAY=:0 and no X server there"
  out=$(inroot "$how" 2>&1); rc=$?
  if [ $rc -eq 1 ] && [ "$(wc -l <<<"$out")" -eq 1 ]; then
    say "$label: \"$out\" (exit $rc)"
  else
    bad "$label: exit $rc, said: $out"
  fi
done

# Every path in the home, before the first start and after the game was
# played and closed: new ones may only be the font library's cache (and the
# folder that holds it).
home_paths() { (cd "$r/home/player" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort); }
local home_before home_after new stray
home_before=$(home_paths)
say "the home before the first start: $(tr '\n' ' ' <<<"$home_before")"
# (A desktop session's own folder, XDG_RUNTIME_DIR, takes the sockets of the
# session's buses, as logind gives every session one.)
out=$(as_player "export XDG_RUNTIME_DIR=\$(mktemp -d) && cd /tmp/check && /tmp/check/with-display.sh --reader \
  python3 play_gtk.py /tmp/check/game/tavek-pin Play.test_misses_hint_and_win Play.test_tab_order_and_close 2>&1")
rc=$?
if [ $rc -eq 0 ]; then
  say "the installed program played as the test suite plays it: $(grep -E '^Ran ' <<<"$out"), $(tail -n 1 <<<"$out")" \
    "(misses to the hint, a win, the master code by OK, the Tab order, the close box to exit code 0)"
else
  tail -n 30 <<<"$out"
  bad "the installed program's play failed (exit $rc)"
fi
if [ -s "$r/tmp/check/game/screenshots/gtk-96dpi-joke.png" ]; then
  mkdir -p build
  cp "$r/tmp/check/game/screenshots/gtk-96dpi-joke.png" "build/package-check-$suite.png"
  say "screenshot: build/package-check-$suite.png"
fi
home_after=$(home_paths)
new=$(comm -13 <(echo "$home_before") <(echo "$home_after"))
# (The font library keeps its cache in ~/.cache/fontconfig; the configuration
# of both releases also names its older place ~/.fontconfig.)
stray=$(grep -vxE '\.cache|\.cache/fontconfig(/.*)?|\.fontconfig(/.*)?' <<<"$new")
if [ -z "$new" ]; then
  say "the home after the game was played and closed: nothing new"
else
  say "the home after the game was played and closed: new are $(tr '\n' ' ' <<<"$new")"
fi
[ -z "$stray" ] || bad "the first start made paths in the home other than the font cache: $(tr '\n' ' ' <<<"$stray")"
[ -z "$(comm -23 <(echo "$home_before") <(echo "$home_after"))" ] ||
  bad "the first start removed from the home: $(comm -23 <(echo "$home_before") <(echo "$home_after") | tr '\n' ' ')"

# Purge: every file the package installed is gone.
inroot "apt-get purge -y -qq tavek-pin" >>"$log" 2>&1 || bad "apt-get purge failed"
local left="" path
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
# The Windows installers under this release's Wine (its 64-bit part and the X
# libraries its display driver loads), as root in a prefix of Wine's own making.
if [ "${PACKAGE_CHECK_MSI:-1}" != 0 ]; then
  say "installing Wine for the Windows installers' check"
  inroot "apt-get install -y -qq --no-install-recommends wine64 fonts-wine libxrender1 libxrandr2 libxi6 libxcursor1 \
    libxfixes3 libxinerama1 libxcomposite1" >>"$log" 2>&1 || { tail -n 20 "$log"; bad "installing Wine failed"; return 1; }
  out=$(inroot "bash /tmp/check/with-display.sh bash /tmp/check/package-check-wine.sh msi /tmp/check" 2>>"$log")
  rc=$?
  report "$out"
  [ $rc -eq 0 ] || grep -q '^FAILED' <<<"$out" || bad "the installers' check ended with exit code $rc"
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
