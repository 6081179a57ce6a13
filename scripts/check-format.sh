#!/usr/bin/env bash
# Checks that the project's own C and C++ files follow .clang-format; lists each file that
# does not and fails then. Only the files git keeps are checked, never a build folder's.
# Mend a file with: clang-format -i FILE
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

count=$(git ls-files -- '*.c' '*.cc' '*.cpp' '*.cxx' '*.h' '*.hh' '*.hpp' | wc -l)
if ((count == 0)); then
  echo "check-format: no C or C++ file found (not a git checkout?)" >&2
  exit 1
fi

# clang-format names each place that differs: "file:line:column: error: code should be ...".
report=$(git ls-files -z -- '*.c' '*.cc' '*.cpp' '*.cxx' '*.h' '*.hh' '*.hpp' |
  xargs -0 -n 100 -P 4 clang-format --style=file --dry-run --Werror 2>&1 >/dev/null) || true
failed=$(grep -o '^[^:]*:[0-9]*:[0-9]*: error:' <<<"$report" | sed 's/:[0-9]*:[0-9]*: error:$//' |
  sort -u) || true

if [ -n "$failed" ]; then
  sed 's/^/Not formatted: /' <<<"$failed" >&2
  echo "check-format: $(wc -l <<<"$failed") of $count files need clang-format -i" >&2
  exit 1
fi
if [ -n "$report" ]; then
  echo "$report" >&2
  echo "check-format: clang-format failed" >&2
  exit 1
fi
echo "check-format: $count files formatted"
