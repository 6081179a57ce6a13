#!/usr/bin/env bash
# Builds, then starts Harnix on the demonstration program folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
bash "$root/scripts/build.sh"
cd "$build/program"
program=./harnix
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # The first display number that no X server holds.
  display=99
  while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
    display=$((display + 1))
  done
  echo "No display: starting Harnix on the virtual X display :$display (Xvfb)." >&2
  echo "Its window is not visible on this machine's screen." >&2
  # The program's own process id, said from inside before it starts: ending it ends Xvfb too.
  exec xvfb-run -n "$display" -s "-screen 0 1280x1024x24" sh -c \
    'echo "Harnix runs as process $$: end it with Ctrl+C here, or with kill $$." >&2; exec "$0"' \
    "$program"
fi
exec "$program"
