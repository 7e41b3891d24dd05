# Sourced: prepares a Wine prefix for the game, the same way for every prefix
# the project makes (tests, play and benchmarks through tools/wine-env.sh, the
# player's own through the Debian package's launcher, where this file is
# installed as /usr/lib/tavek-pin/wine-prefix.sh).
#
#   tavek_prefix_ensure MANAGED   makes or updates the prefix $WINEPREFIX when its
#                                 settings are not the current ones; MANAGED is Y
#                                 where a window manager frames the windows, N
#                                 where there is none (headless runs)
#   tavek_prefix_ensure MANAGED N  the same, and a crash ends the program at once
#                                 with its exception code: no debugger is
#                                 started (the project's own prefixes, where a
#                                 test would otherwise wait for its time-out)
# Wine's commands come from TAVEK_WINE and TAVEK_WINESERVER (default: wine and
# wineserver on the PATH). The caller sets WINEPREFIX, WINEARCH, WINEDEBUG and
# WINEDLLOVERRIDES. Returns non-zero when the prefix could not be made.

# Raise this when the settings below change: every prefix then takes them on
# at its next start.
tavek_prefix_settings=6

# The faces the game asks for, and the ones Debian ships with their metrics
# (fonts-liberation). For the rounded face there is no metric twin; Comfortaa
# (fonts-comfortaa) is the closest rounded sans, drawn at the weight asked for.
tavek_font_replacements=(
  "Times New Roman=Liberation Serif"
  "Arial=Liberation Sans"
  "Courier New=Liberation Mono"
  "Arial Rounded MT Bold=Comfortaa"
)

tavek_prefix_ensure() {
  local managed=$1 debugger=${2:-Y}
  local wine=${TAVEK_WINE:-wine} wineserver=${TAVEK_WINESERVER:-wineserver}
  local marker="$WINEPREFIX/.tavek-settings" making="$WINEPREFIX/.tavek-preparing"
  local wanted="$tavek_prefix_settings-$managed-$debugger"
  [ "$(cat "$marker" 2>/dev/null)" = "$wanted" ] && [ ! -e "$making" ] && return 0

  # A persistent server left behind by an interrupted run would never end.
  "$wineserver" -k >/dev/null 2>&1 || true
  # A first start that was cut off leaves a prefix Wine may never finish:
  # start it again from nothing. (The marker of work in progress is written
  # before anything else and removed after everything else, so only a prefix of
  # ours is ever removed here.)
  if [ -e "$making" ]; then
    rm -rf "$WINEPREFIX"
  fi
  mkdir -p "$WINEPREFIX" || return 1
  : >"$making"
  rm -f "$marker"
  "$wine" wineboot -i >/dev/null 2>&1 || true
  "$wineserver" -w
  [ -d "$WINEPREFIX/drive_c/windows" ] || return 1

  # Wine's frame draws its caption buttons with letters of its symbol font
  # Marlett ("r" is the close box). This Wine does not load the fonts of its
  # own data folder (fonts-wine's /usr/share/wine/fonts), so without a copy in
  # the prefix's Fonts folder the buttons show plain letters.
  local own_font
  for own_font in marlett.ttf; do
    [ -f "/usr/share/wine/fonts/$own_font" ] &&
      ln -sf "/usr/share/wine/fonts/$own_font" "$WINEPREFIX/drive_c/windows/Fonts/$own_font"
  done

  local reg="$WINEPREFIX/drive_c/tavek-settings.reg" pair
  {
    printf 'REGEDIT4\r\n\r\n'
    # Full-window dragging on, so that the toolkit's own sizing loop runs.
    printf '[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"DragFullWindows"="1"\r\n\r\n'
    # Without a window manager, unmanaged windows are destroyed at once instead
    # of after Wine's two-second wait for a manager's answer.
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="%s"\r\n\r\n' "$managed"
    if [ "$debugger" = N ]; then
      printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug]\r\n"Debugger"=""\r\n\r\n'
    fi
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for pair in "${tavek_font_replacements[@]}"; do
      printf '"%s"="%s"\r\n' "${pair%%=*}" "${pair#*=}"
    done
  } >"$reg"
  "$wine" reg import 'C:\tavek-settings.reg' >/dev/null 2>&1
  local imported=$?
  rm -f "$reg"
  "$wineserver" -w
  [ $imported -eq 0 ] || return 1
  echo "$wanted" >"$marker"
  rm -f "$making"
}
