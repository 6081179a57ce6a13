#!/usr/bin/env bash
# Installs the dependencies, configures and builds into build/ (or $BUILD_DIR), compiling
# through ccache, with $JOBS jobs (all processors unless set). Arguments go to the
# configuration. The program folder of a run is laid out in build/program.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"

bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" \
  -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache "$@"
cmake --build "$build" --parallel "${JOBS:-$(nproc)}"
