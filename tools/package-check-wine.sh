#!/usr/bin/env bash
# The Windows installers' part of tools/package-check.sh, run under Wine inside
# its fresh Debian root, on a display, with Wine's 64-bit loader, as root in a
# Wine prefix of Wine's own making in DIR/prefix. DIR holds what package-check
# copied in: probe.exe (tests/e2e/probe.cpp, reads the game window's controls),
# the game's icon tavek-pin.ico, tavek-pin-ARCH.msi with the program
# tavek-pin-ARCH.exe it must install, and later.msi (the same installer as a
# later version).
#
#   package-check-wine.sh msi DIR
#       each installer installed, checked, run, repaired and removed (twice:
#       through its entry in the list of installed apps, and with msiexec /x
#       after the program was deleted by hand), then the architectures
#       replacing each other, a later version replacing this one and this one
#       refusing to replace the later; after each removal the prefix's files and
#       registry are compared with those before the install.
# Prints one line per finding, "FAILED: ..." for each failure; exits 1 when
# anything failed.
set -uo pipefail
what=$1 dir=$2
wine=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64 WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
failed=0
say() { echo "$*"; }
bad() { echo "FAILED: $*"; failed=1; }

# ---- Reading the game window from outside ------------------------------------------
# The probe's lines for the game window ("none" while there is none), without
# the carriage returns Wine's C library puts before each line end.
window_state() { "$wine" "$dir/probe.exe" 2>/dev/null | tr -d '\r'; }
# wait_window SECONDS CONDITION: polls the window until the shell condition
# (reading $state) holds; non-zero when it never did.
wait_window() {
  local deadline=$((SECONDS + $1))
  while [ $SECONDS -lt $deadline ]; do
    state=$(window_state)
    eval "$2" && return 0
    sleep 0.2
  done
  return 1
}
game_shown() { [ "$(grep -c '^control ' <<<"$state")" -eq 11 ]; }
# Closes the game through its window and waits for the process ($1) to end;
# its exit code must be 0.
close_game() {
  "$wine" "$dir/probe.exe" --post-close 1 >/dev/null 2>&1
  wait "$1"
}

# ---- The installers --------------------------------------------------------------------
# snapshot NAME: the prefix's files and registry as text. Left out: the time
# Wine's registry files keep per key, and the device classes, video devices and
# devices (Control\Class, Control\Video and Enum of the system's control set)
# and the network cards (Windows NT\CurrentVersion\NetworkCards), which Wine
# itself rewrites as it starts its drivers.
snapshot() {
  "$WINESERVER" -w
  (cd "$WINEPREFIX" && find . -path ./.update-timestamp -prune -o -printf '%y %P\n' | LC_ALL=C sort) >"$dir/$1.files"
  cat "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg" "$WINEPREFIX/userdef.reg" |
    sed -e 's/^\(\[.*\]\) [0-9]*$/\1/' -e '/^#time=/d' |
    awk '/^\[/ { devices = $0 ~ /^\[System\\\\(CurrentControlSet|ControlSet[0-9]+)\\\\(Control\\\\Class|Control\\\\Video|Enum)(\\\\|\])/ ||
                          $0 ~ /^\[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\NetworkCards(\\\\|\])/ }
         !devices' >"$dir/$1.reg"
}
# left_over WHAT: compares the prefix with the snapshot "before". What an
# uninstall may leave is the Windows Installer's own store, empty: its folder
# C:\windows\Installer and its keys (which every Windows has from the start);
# anything else, and anything removed, is reported.
left_over() {
  snapshot after
  local files reg
  files=$(diff "$dir/before.files" "$dir/after.files" | grep '^[<>]' | grep -vx '> d drive_c/windows/Installer')
  reg=$(diff "$dir/before.reg" "$dir/after.reg" | grep '^[<>]' | grep -vx '> ' |
    grep -vxF -e '> [Software\\Classes\\Installer\\Features]' -e '> [Software\\Classes\\Installer\\Products]' \
      -e '> [Software\\Classes\\Installer\\UpgradeCodes]' \
      -e '> [Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UpgradeCodes]' \
      -e '> [Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Components]' \
      -e '> [Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products]' \
      -e '> [Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall]')
  if [ -z "$files$reg" ]; then
    say "$1 left no file, folder or registry key of the game (Windows Installer's own empty store aside)"
  else
    bad "$1 left behind or removed: $(head -n 20 <<<"$files$reg" | tr '\n' ';')"
  fi
}
msiexec() { "$wine" msiexec "$@" >/dev/null 2>&1; }
# The entries of the list of installed apps: "{code}|||name" lines (Wine 10
# writes them to the error stream, Wine 8 to the output).
installed() { "$wine" uninstaller --list 2>&1 | tr -d '\r\0' | grep -F '|||'; }
# reg_value KEY NAME: a string value of HKLM\KEY (64-bit view, then 32-bit).
reg_value() {
  local key
  "$WINESERVER" -w
  for key in "$1" "${1/Software\\/Software\\Wow6432Node\\}"; do
    KEY="[${key//\\/\\\\}]" NAME="\"$2\"" awk '
      BEGIN { key = ENVIRON["KEY"]; name = ENVIRON["NAME"] }
      $0 == key || index($0, key " ") == 1 { inside = 1; next }
      /^\[/ { inside = 0 }
      inside && index($0, name "=") == 1 {
        v = substr($0, length(name) + 2); sub(/^str\([0-9]\):/, "", v)
        gsub(/^"|"$/, "", v); gsub(/\\\\/, "\\", v); print v; exit
      }' "$WINEPREFIX/system.reg" | grep . && return 0
  done
  return 1
}
wine32_runs() { [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; }

# check_install ARCH: one installed copy of ARCH's package, with everything it puts in place.
check_install() {
  local arch=$1 folder="Program Files" entries code lnk icon name version publisher product_icon
  [ "$arch" = x86 ] && folder="Program Files (x86)"
  exe_path="$WINEPREFIX/drive_c/$folder/Tavek PIN/tavek-pin.exe"
  if cmp -s "$exe_path" "$dir/tavek-pin-$arch.exe"; then
    say "$arch: C:\\$folder\\Tavek PIN\\tavek-pin.exe installed, the same bytes as the zip's"
  else
    bad "$arch: C:\\$folder\\Tavek PIN\\tavek-pin.exe is missing or not the zip's program"
  fi
  # Start menu: Wine puts a per-machine package's shortcuts in the Start menu
  # it gives the user (Windows in the one of all users): either counts.
  lnk=$(find "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs" \
    "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/"Start Menu"/Programs \
    -maxdepth 1 -name 'Tavek PIN.lnk' 2>/dev/null)
  # The icon's path is written in UTF-16: read without its zero bytes.
  icon=$(tr -d '\0' <"$lnk" 2>/dev/null | grep -aoE 'C:\\windows\\Installer\\\{[0-9A-F-]+\}\\[A-Za-z]+\.ico' | head -n 1)
  if [ "$(grep -c . <<<"$lnk")" -eq 1 ] && grep -aqF "C:\\$folder\\Tavek PIN\\tavek-pin.exe" "$lnk" &&
    [ -n "$icon" ] && cmp -s "$WINEPREFIX/drive_c/$(tr '\\' / <<<"${icon:3}")" "$dir/tavek-pin.ico" 2>/dev/null; then
    say "$arch: Start menu shortcut \"Tavek PIN\" (${lnk#"$WINEPREFIX/drive_c/"}) to the program, with the game's icon"
  else
    bad "$arch: no Start menu shortcut \"Tavek PIN\" to the program with the game's icon (found: ${lnk:-none}, icon ${icon:-none})"
  fi
  "$WINESERVER" -w
  entries=$(installed | grep -c '|||Tavek PIN$')
  code=$(installed | sed -n 's/^\({[0-9A-F-]*}\)|||Tavek PIN$/\1/p' | head -n 1)
  key="Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$code"
  name=$(reg_value "$key" DisplayName) version=$(reg_value "$key" DisplayVersion)
  publisher=$(reg_value "$key" Publisher) uninstall=$(reg_value "$key" UninstallString)
  product_icon=$(grep -aoF "\"ProductIcon\"=\"C:\\\\windows\\\\Installer\\\\$code\\\\" "$WINEPREFIX/system.reg" | head -n 1)
  if [ "$entries" -eq 1 ] && [ "$name" = "Tavek PIN" ] && [ "$version" = 0.11 ] && [ "$publisher" = "Tavek team" ] &&
    [ -n "$uninstall" ] && [ -n "$product_icon" ]; then
    say "$arch: installed apps list \"$name\" $version by $publisher, with its icon; uninstall: $uninstall"
  else
    bad "$arch: installed apps entry: $entries entries, name '$name', version '$version', publisher '$publisher'," \
      "uninstall '$uninstall', icon '${product_icon:-none}'"
  fi
}

# run_installed ARCH: the installed program opens the game window.
run_installed() {
  local arch=$1 game state folder="Program Files"
  [ "$arch" = x86 ] && folder="Program Files (x86)"
  if [ "$arch" = x86 ] && ! wine32_runs; then
    say "$arch: the installed program's start is skipped: this machine runs no 32-bit programs, so Wine's 32-bit half cannot start"
    return 0
  fi
  "$wine" "C:\\$folder\\Tavek PIN\\tavek-pin.exe" >/dev/null 2>&1 &
  game=$!
  if wait_window 60 game_shown; then
    close_game "$game" && say "$arch: the installed program opened the game window and closed with exit code 0" ||
      bad "$arch: the installed program ended with exit code $? when closed"
  else
    bad "$arch: the installed program did not open the game window"
    kill "$game" 2>/dev/null
  fi
  "$WINESERVER" -w
}

msi() {
  export WINEPREFIX="$dir/prefix"
  local arch package rc uninstall
  rm -rf "$WINEPREFIX"
  "$wine" wineboot -i >/dev/null 2>&1
  "$WINESERVER" -w
  [ -d "$WINEPREFIX/drive_c/windows" ] || { bad "Wine could not make a prefix"; return 1; }
  cd "$WINEPREFIX/drive_c" || return 1
  mkdir -p "$WINEPREFIX/drive_c/packages"
  cp "$dir"/*.msi "$WINEPREFIX/drive_c/packages/"
  snapshot before
  for arch in x86 x64; do
    package="C:\\packages\\tavek-pin-$arch.msi"
    msiexec /i "$package" /qn
    rc=$?
    [ $rc -eq 0 ] && say "$arch: msiexec /i tavek-pin-$arch.msi /qn exited 0" || bad "$arch: msiexec /i exited $rc"
    check_install "$arch"
    run_installed "$arch"
    # Installed over itself: a repair.
    rm -f "$exe_path"
    msiexec /i "$package" /qn
    rc=$?
    if [ $rc -eq 0 ] && cmp -s "$exe_path" "$dir/tavek-pin-$arch.exe" && [ "$(installed | grep -c '|||Tavek PIN$')" -eq 1 ]; then
      say "$arch: installed again over its installed copy (program deleted): exit 0, program back, one entry"
    else
      bad "$arch: installing over the installed copy: exit $rc, program $([ -f "$exe_path" ] && echo back || echo missing)"
    fi
    # Removal through the entry in the list of installed apps.
    # shellcheck disable=SC2086
    "$wine" $uninstall /qn >/dev/null 2>&1
    rc=$?
    [ $rc -eq 0 ] && say "$arch: the entry's uninstall command ($uninstall /qn) exited 0" || bad "$arch: $uninstall /qn exited $rc"
    left_over "$arch: uninstall"
    # Removal after the program was deleted by hand.
    msiexec /i "$package" /qn
    rm -f "$exe_path"
    msiexec /x "$package" /qn
    rc=$?
    [ $rc -eq 0 ] && say "$arch: msiexec /x /qn after the program was deleted by hand exited 0" ||
      bad "$arch: msiexec /x after the program was deleted by hand exited $rc"
    left_over "$arch: msiexec /x"
  done

  # One copy at a time: the other architecture of the same version replaces an
  # installed copy; a later version replaces it; this one refuses to replace
  # the later one.
  msiexec /i 'C:\packages\tavek-pin-x86.msi' /qn
  msiexec /i 'C:\packages\tavek-pin-x64.msi' /qn
  rc=$?
  if [ $rc -eq 0 ] && [ "$(installed | grep -c '|||Tavek PIN$')" -eq 1 ] &&
    [ ! -e "$WINEPREFIX/drive_c/Program Files (x86)/Tavek PIN/tavek-pin.exe" ]; then
    say "x64 over an installed x86 copy: the x86 copy was replaced (one entry)"
  else
    bad "x64 over an installed x86 copy: exit $rc, entries: $(installed | tr '\n' ';')"
  fi
  msiexec /i 'C:\packages\later.msi' /qn
  rc=$?
  if [ $rc -eq 0 ] && [ "$(installed | grep -c '|||Tavek PIN$')" -eq 1 ] &&
    [ "$(reg_value "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$(installed | sed -n 's/|||Tavek PIN$//p')" DisplayVersion)" = 0.12 ]; then
    say "a later version (0.12) replaced the installed 0.11 (one entry)"
  else
    bad "a later version over 0.11: exit $rc, entries: $(installed | tr '\n' ';')"
  fi
  msiexec /i 'C:\packages\tavek-pin-x64.msi' /qn
  rc=$?
  if [ $rc -ne 0 ] && [ "$(installed | grep -c '|||Tavek PIN$')" -eq 1 ]; then
    say "0.11 over the later version: refused (exit $rc), the later one stays"
  else
    bad "0.11 over the later version: exit $rc, entries: $(installed | tr '\n' ';')"
  fi
  msiexec /x 'C:\packages\later.msi' /qn
  left_over "after the replacements, the later version's uninstall"
  "$WINESERVER" -k
}

case "$what" in
  msi) msi ;;
  *) echo "usage: package-check-wine.sh msi DIR" >&2; exit 2 ;;
esac
exit $failed
