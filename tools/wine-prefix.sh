# Sourced: prepares a Wine prefix for the game, the same way for every prefix
# the project makes (tests and benchmarks through tools/wine-env.sh, and the
# player's prefix the Windows program is compared in by tools/bench-native.sh,
# made as the earlier Debian package's launcher made it).
#
#   tavek_prefix_ensure MANAGED [DEBUGGER [DRIVES]]
#       makes the prefix $WINEPREFIX, or brings it up to date when its settings
#       or the installed Wine changed since, and leaves it isolated from the
#       home (tavek_prefix_isolate, on every call). MANAGED is Y where a window
#       manager frames the windows, N where there is none (headless runs).
#       DEBUGGER N: a crash ends the program at once with its exception code,
#       no debugger is started (the project's own prefixes, where a test would
#       otherwise wait for its time-out); default Y. DRIVES C (the default):
#       the prefix keeps drive C: alone; all: Wine's drives stay (the project's
#       own prefixes, whose test programs reach the build tree through Z:).
# Wine's commands come from TAVEK_WINE and TAVEK_WINESERVER (default: wine and
# wineserver on the PATH). The caller sets WINEPREFIX, WINEARCH and WINEDEBUG,
# and WINEDLLOVERRIDES to $tavek_dll_overrides before the first Wine command
# (it keeps Wine's menu builder from running even in a prefix's first start).
# Returns non-zero when the prefix could not be made.

# Raise this when the settings below change: every prefix then takes them on
# at its next start.
tavek_prefix_settings=7

# Quiet starts (no offers to install Mono or Gecko), and Wine's menu builder
# never runs: it would write menu entries, desktop folders, MIME types and file
# associations into the player's home.
tavek_dll_overrides="mscoree,mshtml=;winemenubuilder.exe=d"

# The faces the game asks for, and the ones Debian ships with their metrics
# (fonts-liberation). For the rounded face there is no metric twin; Comfortaa
# (fonts-comfortaa) is the closest rounded sans, drawn at the weight asked for.
tavek_font_replacements=(
  "Times New Roman=Liberation Serif"
  "Arial=Liberation Sans"
  "Courier New=Liberation Mono"
  "Arial Rounded MT Bold=Comfortaa"
)

# The installed Wine, as Wine itself tells whether a prefix needs updating: the
# time stamp of its wine.inf, which a prefix keeps in .update-timestamp.
tavek_wine_stamp() {
  stat -c %Y /usr/share/wine/wine.inf 2>/dev/null || echo none
}

# Leaves the prefix nothing that leads into the player's files. Wine links the
# prefix's user folders (Desktop, Documents, Downloads, Music, Pictures and
# others) to the home's: each link that leads out of the prefix is removed
# (only the link: nothing it leads to is touched) and a plain folder takes its
# place where it led to a folder. With DRIVES C, every drive letter but C: goes,
# the whole file system's Z: first; Wine's device links (COM ports) stay.
# Cheap enough for every start, so a prefix a player or a later Wine changed
# is put right at the next one.
tavek_prefix_isolate() {
  local drives=$1 own link target
  own=$(cd "$WINEPREFIX" && pwd -P) || return 1
  while IFS= read -r -d '' link; do
    target=$(readlink -f -- "$link")
    case "$target" in "$own"/*) continue ;; esac
    rm -f -- "$link" || return 1
    if [ -z "$target" ] || [ -d "$target" ] || [ ! -e "$target" ]; then
      mkdir -p -- "$link" || return 1
    fi
  done < <(find "$WINEPREFIX/drive_c/users" -type l -print0 2>/dev/null)
  if [ "$drives" = C ]; then
    for link in "$WINEPREFIX"/dosdevices/?:*; do
      case "${link##*/}" in
        c:) ;;
        [a-zA-Z]: | [a-zA-Z]::) [ -L "$link" ] && { rm -f -- "$link" || return 1; } ;;
      esac
    done
  fi
  return 0
}

tavek_prefix_ensure() {
  local managed=$1 debugger=${2:-Y} drives=${3:-C}
  local wine=${TAVEK_WINE:-wine} wineserver=${TAVEK_WINESERVER:-wineserver}
  local marker="$WINEPREFIX/.tavek-settings" making="$WINEPREFIX/.tavek-preparing"
  local wanted="$tavek_prefix_settings-$managed-$debugger-$drives-$(tavek_wine_stamp)"
  if [ "$(cat "$marker" 2>/dev/null)" = "$wanted" ] && [ ! -e "$making" ]; then
    tavek_prefix_isolate "$drives"
    return
  fi

  # A persistent server left behind by an interrupted run would never end.
  "$wineserver" -k >/dev/null 2>&1 || true
  # A first start that was cut off leaves a prefix Wine may never finish:
  # start it again from nothing. The marker of work in progress is written
  # only into a prefix made from nothing, before anything else, and removed
  # after everything else: so only a prefix of ours that holds nothing of the
  # player's is ever removed here. An update of an existing prefix that was
  # cut off is simply done again.
  if [ -e "$making" ]; then
    rm -rf "$WINEPREFIX"
  fi
  mkdir -p "$WINEPREFIX" || return 1
  if [ -z "$(ls -A "$WINEPREFIX")" ]; then
    : >"$making"
  fi
  rm -f "$marker"
  # Makes the prefix, or lets Wine update it to the installed release.
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
    # The menu builder stays off for any Wine command in this prefix, not only
    # for those started with our overrides.
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\DllOverrides]\r\n"winemenubuilder.exe"=""\r\n\r\n'
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
  tavek_prefix_isolate "$drives" || return 1
  echo "$wanted" >"$marker"
  rm -f "$making"
}
