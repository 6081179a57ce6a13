#!/usr/bin/env bash
# Builds, then runs every test through ctest; fails when any test fails.
# Arguments go to the configuration (scripts/build.sh).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
bash "$root/scripts/build.sh" "$@"
ctest --test-dir "$build" --output-on-failure --parallel "${JOBS:-$(nproc)}" --no-tests=error
