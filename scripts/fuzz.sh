#!/usr/bin/env bash
# Runs one fuzz target for a given time: scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]
# TARGET is a folder name of fuzz/corpus (sql, report, jet ...). New inputs go to
# build-fuzz/corpus/TARGET, crashes to build-fuzz/artifacts/TARGET/; a crash worth keeping is
# added to fuzz/corpus/TARGET once mended. mdbtools crashes on damaged files: fuzz the Jet reader
# with "-fork=1 -ignore_crashes=1" to go on past them.
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: $0 TARGET SECONDS [libFuzzer options...]" >&2
  exit 2
fi
target="$1"
seconds="$2"
shift 2
root="$(cd "$(dirname "$0")/.." && pwd)"
seeds="$root/fuzz/corpus/$target"
if [ ! -d "$seeds" ]; then
  echo "no fuzz target $target (no folder $seeds)" >&2
  exit 2
fi
build="$(bash "$root/fuzz/build.sh")"
work="$build/corpus/$target"
artifacts="$build/artifacts/$target"
mkdir -p "$work" "$artifacts"
extra=()
if [ "$target" = jet ]; then
  set -- -max_len=4194304 "$@"
  extra+=("$root/tests/platform/jet/data")
fi
exec "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
  -artifact_prefix="$artifacts/" -print_final_stats=1 "$@" "$work" "$seeds" "${extra[@]}"
