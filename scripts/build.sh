#!/usr/bin/env bash
# Installs the dependencies, configures and builds into build/ (or $BUILD_DIR), compiling
# through ccache, with $JOBS jobs (all processors unless set). Arguments go to the
# configuration. The program folder of a run is laid out in build/program.
# The packages are checked again only when the package list changed since the last build of
# this folder, and the folder is configured again only when the configuration asked for
# changed: the build itself re-runs CMake when one of its inputs changed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
stamps="$build/stamps"

# stamp_is NAME TEXT: whether the stamp NAME holds TEXT.
stamp_is() { [ "$(cat "$stamps/$1" 2>/dev/null)" = "$2" ]; }
stamp() { mkdir -p "$stamps" && printf '%s' "$2" >"$stamps/$1"; }

packages="$(sha256sum <"$root/scripts/install-deps.sh")"
if ! stamp_is packages "$packages"; then
  bash "$root/scripts/install-deps.sh"
  stamp packages "$packages"
fi

configure=(cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}"
  -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache "$@")
configuration="$(printf '%q ' "${configure[@]}")"
if [ ! -f "$build/build.ninja" ] || ! stamp_is configuration "$configuration"; then
  "${configure[@]}"
  stamp configuration "$configuration"
fi
cmake --build "$build" --parallel "${JOBS:-$(nproc)}"
