#!/usr/bin/env bash
# Fails when a tracked C++ source is not formatted as .clang-format says, and
# names the files; `clang-format -i FILE` formats one.
set -euo pipefail
cd "$(dirname "$0")/.."
# A tree git cannot read (a work tree seen from another root) has nothing to
# check: that is a failure, not a pass.
listed=$(git ls-files '*.cpp' '*.h') || exit 1
mapfile -t files <<<"$listed"
[ -n "$listed" ] || { echo "check_format.sh: no C++ sources found" >&2; exit 1; }
if ! clang-format --dry-run --Werror "${files[@]}" 2>/dev/null; then
  echo "Not formatted (run clang-format -i on them):" >&2
  for file in "${files[@]}"; do
    clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || echo "  $file" >&2
  done
  exit 1
fi
