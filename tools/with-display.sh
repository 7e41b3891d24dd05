#!/usr/bin/env bash
# Runs a command on a display of its own, as the native GTK tests need one: a
# private Xvfb. With --reader the command also gets a session bus of its own
# with the screen-reader bus (AT-SPI) started on it first, as a desktop
# session has them.
#   tools/with-display.sh [--reader] command...
set -u
if [ "${1:-}" = --reader ]; then
  shift
  if [ -z "${TAVEK_READER_BUS:-}" ]; then
    exec env TAVEK_READER_BUS=1 dbus-run-session -- "$0" --reader "$@"
  fi
fi
fd_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 "${TAVEK_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 1 200); do
  [ -s "$fd_file" ] && break
  sleep 0.05
done
export DISPLAY=":$(head -n1 "$fd_file")"
rm -f "$fd_file"
launcher=""
if [ -n "${TAVEK_READER_BUS:-}" ]; then
  /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
  launcher=$!
  # The program asks for the screen-reader bus as it starts: it is there first.
  for _ in $(seq 1 200); do
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1 && break
    sleep 0.05
  done
fi
"$@"
status=$?
[ -n "$launcher" ] && kill "$launcher" 2>/dev/null
kill "$xvfb" 2>/dev/null
wait 2>/dev/null
exit $status
