#!/usr/bin/env bash
# Builds Marelo and runs every test on this machine's Debian release (12 or 13),
# then on the other one in a root of its own (tools/other_release.sh).
# Installs what it needs first. --this-release: this machine's release alone.
set -euo pipefail
cd "$(dirname "$0")"
this_release_only=false
[ "${1:-}" = --this-release ] && this_release_only=true
. tools/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
# The code as clang-format writes it, or nothing is built.
tools/check_format.sh
cmake --preset dev >/dev/null
cmake --build --preset dev
ctest --preset dev
# The Debian package, made as a release is made, then its contents and lintian.
cmake --preset release >/dev/null
cmake --build --preset release
cpack --preset release
ctest --preset release
# The same tests again under AddressSanitizer, UBSan and LeakSanitizer.
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan
# The Windows build: MARELO.exe cross-compiled, its tests run under Wine.
ensure_packages "${WINDOWS_PACKAGES[@]}"
cmake --preset windows >/dev/null
cmake --build --preset windows
ctest --preset windows
# Every test again on the other Debian release.
$this_release_only || tools/other_release.sh
