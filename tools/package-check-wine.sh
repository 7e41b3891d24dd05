#!/usr/bin/env bash
# The parts of tools/package-check.sh that run under Wine inside its fresh
# Debian root, on a display (xvfb-run), with Wine's 64-bit loader. DIR holds
# what package-check copied in: probe.exe (tests/e2e/probe.cpp, reads the game
# window's controls), drive-probe.exe (tests/package/drive_probe.cpp), the
# game's icon tavek-pin.ico, and for the installers tavek-pin-ARCH.msi with
# the program tavek-pin-ARCH.exe it must install, and later.msi (the same
# installer as a later version).
#
#   package-check-wine.sh play DIR SHOT
#       as the player: starts tavek-pin, types a miss and a win (the master
#       code) and reads the fields back, saves the screen to SHOT (xwd), closes
#       the game by its window and waits until it and Wine have ended
#   package-check-wine.sh drives DIR
#       as the player: the drive probe in the game's prefix finds C: alone and
#       cannot open Z:\etc\hostname
#   package-check-wine.sh msi DIR
#       as root, in a Wine prefix of Wine's own making in DIR/prefix: each
#       installer installed, checked, run, repaired and removed (twice: through
#       its entry in the list of installed apps, and with msiexec /x after the
#       program was deleted by hand), then the architectures replacing each
#       other, a later version replacing this one and this one refusing to
#       replace the later; after each removal the prefix's files and registry
#       are compared with those before the install.
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
# The text of control ID in a probe output.
field() { sed -n "s/^control id=$2 .* text=//p" <<<"$1"; }
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
# Types digits into the guess field (id 2) and submits them with Enter. The
# digits go in one at a time, each awaited in the field: on a busy machine a
# key typed again at once (the second 0 of 0000) can be lost on its way through
# the X server and Wine, and is typed again.
submit() {
  local x y typed="" digit try
  read -r x y < <(sed -n 's/^control id=2 .* w=\([0-9]*\) h=\([0-9]*\) sx=\([0-9-]*\) sy=\([0-9-]*\) .*/\3 \1 \4 \2/p' <<<"$state" |
    awk '{ print $1 + int($2 / 2), $3 + int($4 / 2) }')
  xdotool mousemove "$x" "$y" click 1
  wait_window 20 "grep -q '^control id=2 .* focus=1 ' <<<\"\$state\"" || return 1
  while [ ${#typed} -lt ${#1} ]; do
    digit=${1:${#typed}:1}
    for try in 1 2 3; do
      xdotool key "$digit"
      wait_window 5 "[ \"\$(field \"\$state\" 2)\" = '$typed$digit' ]" && break
      [ "$(field "$state" 2)" = "$typed" ] || return 1
    done
    [ "$(field "$state" 2)" = "$typed$digit" ] || return 1
    typed=$typed$digit
  done
  xdotool key Return
  wait_window 20 "[ -z \"\$(field \"\$state\" 2)\" ]"
}
# Closes the game through its window and waits for the process ($1) to end;
# its exit code must be 0.
close_game() {
  "$wine" "$dir/probe.exe" --post-close 1 >/dev/null 2>&1
  wait "$1"
}

play() {
  local shot=$1 game state miss="" guess top
  export WINEPREFIX="$HOME/.local/share/tavek-pin/wine"
  tavek-pin >/dev/null 2>&1 &
  game=$!
  cd /tmp || return 1
  # Until the window shows, no program of ours runs in the prefix: the first
  # start is still making it.
  if ! timeout 180 xdotool search --sync --onlyvisible --name 'Tavek PIN Program' >/dev/null ||
    ! wait_window 60 game_shown; then
    bad "the game window did not open"
    kill "$game"
    return 1
  fi
  say "tavek-pin opened the game window"
  # A miss: a Strike or a Ball counted and its line on top of the display
  # (should 0000 be the PIN, it wins and 1111 is the miss).
  for guess in 0000 1111; do
    submit "$guess" || { bad "the guess $guess was not taken"; break; }
    top=$(field "$state" 9)
    case "$(field "$state" 4)/$(field "$state" 5)/$top" in
      " 1/ 0/* Strike: $guess has no correct digits"* | " 0/ 1/* Ball: $guess has at least one correct digit"*)
        miss=$guess
        break
        ;;
    esac
  done
  if [ -n "$miss" ]; then
    say "a miss typed in ($miss): strikes '$(field "$state" 4)', balls '$(field "$state" 5)', display '$(field "$state" 9 | sed 's/\\r.*//')'"
  else
    bad "no miss was counted: $(field "$state" 4)/$(field "$state" 5) '$(field "$state" 9)'"
  fi
  # A win: the master code.
  if submit 6157 && wait_window 20 "[ \"\$(field \"\$state\" 10)\" = 'Enter Another PIN' ]" &&
    [ "$(field "$state" 4)$(field "$state" 5)" = " 0 0" ]; then
    say "a win typed in (the master code): message '$(field "$state" 10)', counts back to 0"
  else
    bad "the master code did not win: message '$(field "$state" 10)'"
  fi
  xwd -root -silent >"$shot"
  if close_game "$game"; then
    say "the game closed by its window with exit code 0"
  else
    bad "the game ended with exit code $? when closed by its window"
  fi
  # Until Wine's server ends, the home is not as the game left it.
  "$WINESERVER" -w
}

drives() {
  local out
  export WINEPREFIX="$HOME/.local/share/tavek-pin/wine"
  cd "$WINEPREFIX/drive_c" || return 1
  out=$("$wine" "$dir/drive-probe.exe" 2>&1)
  local rc=$?
  "$WINESERVER" -w
  if [ $rc -eq 0 ]; then
    say "in the game's prefix a program finds $(grep '^drives:' <<<"$out"); $(grep '^Z:' <<<"$out")"
  else
    bad "in the game's prefix a program reaches more than drive C: $(tr '\n' ';' <<<"$out")"
  fi
}

# ---- The installers --------------------------------------------------------------------
# snapshot NAME: the prefix's files and registry as text. Left out: the time
# Wine's registry files keep per key, and the device classes, video devices and
# devices (Control\Class, Control\Video and Enum of the system's control set),
# which Wine itself rewrites as it starts its drivers.
snapshot() {
  "$WINESERVER" -w
  (cd "$WINEPREFIX" && find . -path ./.update-timestamp -prune -o -printf '%y %P\n' | LC_ALL=C sort) >"$dir/$1.files"
  cat "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg" "$WINEPREFIX/userdef.reg" |
    sed -e 's/^\(\[.*\]\) [0-9]*$/\1/' -e '/^#time=/d' |
    awk '/^\[/ { devices = $0 ~ /^\[System\\\\(CurrentControlSet|ControlSet[0-9]+)\\\\(Control\\\\Class|Control\\\\Video|Enum)(\\\\|\])/ }
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
  # The drive probe, in a prefix as Wine makes it, must see drive Z:.
  local probed
  probed=$("$wine" "$dir/drive-probe.exe" 2>&1)
  if [ $? -eq 1 ] && grep -q '^drives: .*Z' <<<"$probed"; then
    say "the drive probe finds drive Z: in a prefix as Wine makes it, so it can tell"
  else
    bad "the drive probe does not find drive Z: in a prefix as Wine makes it: $(tr '\r\n' '  ' <<<"$probed")"
  fi
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
  play) play "$3" ;;
  drives) drives ;;
  msi) msi ;;
  *) echo "usage: package-check-wine.sh play|drives|msi DIR [SHOT]" >&2; exit 2 ;;
esac
exit $failed
