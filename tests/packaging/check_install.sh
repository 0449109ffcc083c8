#!/usr/bin/env bash
# Installs a build tree into a scratch directory and compares the files that
# arrive with the expected list (paths relative to the prefix, sorted).
#   check_install.sh BUILD_DIR EXPECTED_FILES
set -euo pipefail
build_dir=$1 expected=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

DESTDIR="$scratch/root" cmake --install "$build_dir" --prefix /opt/marelo-test >"$scratch/log"
installed=$(cd "$scratch/root/opt/marelo-test" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
if ! diff -u <(LC_ALL=C sort "$expected") <(echo "$installed") >"$scratch/diff"; then
  echo "FAIL: installed files differ from $expected (- expected, + installed):"
  tail -n +3 "$scratch/diff"
  exit 1
fi
# Nothing may land outside the prefix.
outside=$(cd "$scratch/root" && find . ! -type d ! -path './opt/marelo-test/*')
if [ -n "$outside" ]; then
  echo "FAIL: installed outside the prefix: $outside"
  exit 1
fi
test -x "$scratch/root/opt/marelo-test/bin/marelo" || { echo "FAIL: bin/marelo not executable"; exit 1; }
echo "installed the $(echo "$installed" | wc -l) expected files"
