#!/usr/bin/env bash
# Installs a build tree into a scratch directory and compares the files that
# arrive with the expected list (paths relative to the prefix, sorted): a
# plain install leaves share/doc/marelo to the distribution's packaging. Then
# configures the sources as a packager does without the tests, with the test
# libraries out of reach: the configure must neither need nor find them.
#   check_install.sh BUILD_DIR EXPECTED_FILES SOURCE_DIR TEST_LIBRARY_DIR...
# TEST_LIBRARY_DIRs: where this build found the test libraries (doctest's
# header, Qt Test's CMake package), hidden from the packager's configure.
set -euo pipefail
build_dir=$1 expected=$2 source_dir=$3
shift 3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0

DESTDIR="$scratch/root" cmake --install "$build_dir" --prefix /opt/marelo-test >"$scratch/log"
installed=$(cd "$scratch/root/opt/marelo-test" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
if ! diff -u <(LC_ALL=C sort "$expected") <(echo "$installed") >"$scratch/diff"; then
  echo "FAIL: installed files differ from $expected (- expected, + installed):"
  tail -n +3 "$scratch/diff"
  failed=1
fi
# Nothing may land outside the prefix.
outside=$(cd "$scratch/root" && find . ! -type d ! -path './opt/marelo-test/*')
if [ -n "$outside" ]; then
  echo "FAIL: installed outside the prefix: $outside"
  failed=1
fi
test -x "$scratch/root/opt/marelo-test/bin/marelo" || { echo "FAIL: bin/marelo not executable"; failed=1; }
[ $failed -eq 0 ] && echo "installed the $(echo "$installed" | wc -l) expected files"

# The packager's configure, with the test libraries hidden.
hidden=$(IFS=';'; echo "$*")
if ! cmake -S "$source_dir" -B "$scratch/packager" -G Ninja -DBUILD_TESTING=OFF \
     "-DCMAKE_IGNORE_PATH=$hidden" >"$scratch/configure" 2>&1; then
  echo "FAIL: with BUILD_TESTING=OFF and $hidden hidden, the configure fails:"
  cat "$scratch/configure"
  failed=1
elif grep -E -i '^[a-z0-9_]*(doctest|Qt6Test)[a-z0-9_]*:' "$scratch/packager/CMakeCache.txt" \
     >"$scratch/looked"; then
  echo "FAIL: with BUILD_TESTING=OFF, the configure still looks for what the tests need:"
  cat "$scratch/looked"
  failed=1
else
  echo "configured with BUILD_TESTING=OFF without $hidden"
fi
exit $failed
