#!/usr/bin/env bash
# Builds, then runs every test through ctest; fails when any test fails.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
bash "$root/scripts/build.sh"
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" --no-tests=error
