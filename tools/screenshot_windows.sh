#!/usr/bin/env bash
# Takes the README's picture of MARELO.exe in Windows' High Contrast Black,
# docs/screenshot-high-contrast.png, under Wine in the Windows tests' own
# prefix and display: C, E and G marked and the columns shifted for
# instruments in B♭ (+2), E♭ (+9) and F (+7) by real clicks, then high
# contrast turned on while the program runs (tests/win32/desktop_window.py).
#   tools/screenshot_windows.sh [OUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshot-high-contrast.png}
build=build/windows
cmake --preset windows >/dev/null
cmake --build --preset windows --target marelo window_probe high_contrast_hook >/dev/null
state=$PWD/$build/tests/win32/wine
tests/win32/wine-env.sh "$state" setup
trap 'tests/win32/wine-env.sh "$state" stop' EXIT
mkdir -p "$(dirname "$out")"
PYTHONPATH=$PWD/tests /usr/bin/python3 tests/win32/desktop_window.py screenshot "$PWD/tests/win32/wine-env.sh" "$state" \
  "$build/src/app/MARELO.exe" "$build/tests/win32/window_probe.exe" \
  "$PWD/$build/tests/win32/high_contrast_hook.dll" "$out"
