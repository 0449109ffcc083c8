#!/usr/bin/env bash
# Builds Marelo (a release build, without the tests) and starts it. Installs what it needs on Debian 12 or 13 first.
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}"
cmake --preset release >/dev/null
cmake --build --preset release
exec build/release/src/app/marelo
