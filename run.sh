#!/usr/bin/env bash
# Builds Marelo and starts it. Installs what it needs on Debian 12 first.
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}"
cmake --preset dev >/dev/null
cmake --build --preset dev
exec build/dev/src/app/marelo
