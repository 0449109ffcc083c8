#!/usr/bin/env bash
# Fails when a tracked C++ source is not formatted as .clang-format says, and
# names the files; `clang-format -i FILE` formats one.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.h.in' | grep -v '\.h\.in$')
if ! clang-format --dry-run --Werror "${files[@]}" 2>/dev/null; then
  echo "Not formatted (run clang-format -i on them):" >&2
  for file in "${files[@]}"; do
    clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || echo "  $file" >&2
  done
  exit 1
fi
