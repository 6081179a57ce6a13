#!/usr/bin/env bash
# Configures (once) and builds the fuzz targets with clang into build-fuzz/ (or $FUZZ_BUILD_DIR),
# without the tests and benchmarks. Prints the build folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"

bash "$root/scripts/install-deps.sh" >&2
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DHARNIX_FUZZ=ON -DHARNIX_BUILD_TESTS=OFF -DHARNIX_BUILD_BENCH=OFF >&2
fi
cmake --build "$build" --target fuzz --parallel "${FUZZ_JOBS:-4}" >&2
echo "$build"
