#!/usr/bin/env bash
# Builds the fuzz targets (build-fuzz/, or $FUZZ_BUILD_DIR) and runs every input of every corpus
# of fuzz/corpus once; fails when any input crashes its target. The Jet reader also reads the
# test files of tests/platform/jet/data, and replays the files that crash mdbtools itself
# (fuzz/corpus/jet-isolated) in a child process that may crash, as the program reads them.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(bash "$root/fuzz/build.sh")"

failed=()
replay() {
  local target="$1"
  shift
  echo "== $target"
  if ! "$build/fuzz/fuzz_$target" -runs=0 -timeout=60 -rss_limit_mb=4096 \
    -artifact_prefix="$build/replay-$target-" "$@" 2>"$build/replay-$target.log"; then
    tail -n 40 "$build/replay-$target.log" >&2
    failed+=("$target")
  fi
  grep -E "INITED|DONE" "$build/replay-$target.log" || true
}

for corpus in "$root"/fuzz/corpus/*/; do
  target="$(basename "$corpus")"
  case "$target" in
    jet) replay jet -max_len=4194304 "$corpus" "$root/tests/platform/jet/data" ;;
    jet-isolated) FUZZ_JET_ISOLATED=1 replay jet -max_len=4194304 "$corpus" ;;
    *) replay "$target" "$corpus" ;;
  esac
done

if ((${#failed[@]})); then
  echo "fuzz replay failed: ${failed[*]}" >&2
  exit 1
fi
echo "fuzz replay: every corpus passes"
