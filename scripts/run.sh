#!/usr/bin/env bash
# Builds, then starts Harnix on the demonstration program folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
bash "$root/scripts/build.sh"
cd "$build/program"
program=./harnix
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting under xvfb-run" >&2
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$program"
fi
exec "$program"
