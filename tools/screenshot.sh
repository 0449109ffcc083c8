#!/usr/bin/env bash
# Takes the README's pictures of the main window on a private Xvfb, with C, E
# and G marked and the columns shifted for instruments in B♭ (+2), E♭ (+9)
# and F (+7), all by real clicks: docs/screenshot.png on Qt's own light look,
# docs/screenshot-dark.png on a dark desktop (qt6ct's "darker" scheme, the
# set-up of the desktop tests in tests/gui/desktops.py).
#   tools/screenshot.sh [path/to/marelo]
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/dev/src/app/marelo}
if [ ! -x "$program" ]; then
  cmake --preset dev >/dev/null && cmake --build --preset dev --target marelo
fi

work=$(mktemp -d)
xvfb=
app=
stop() {
  local pid
  for pid in "$@"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}
cleanup() {
  stop $app $xvfb
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp 3>"$work/display" \
  2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(cat "$work/display")"

# shoot SETUP FILE: the window on the desktop set-up SETUP, into FILE.
shoot() {
  local home="$work/$1"
  mkdir -m 700 "$home"
  (
    eval "$(/usr/bin/python3 tests/gui/desktops.py env "$1" "$home")"
    XDG_RUNTIME_DIR="$home" QT_QPA_PLATFORM=xcb exec "$program"
  ) &
  app=$!
  local window
  window=$(xdotool search --sync --onlyvisible --name '^Marelo$' | head -n 1)

  click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
  # Rows are 16 px apart from y 24; the buttons sit at y 248.
  for row in 0 4 7; do click 40 $((32 + 16 * row)); done  # mark C, E and G
  for _ in 1 2; do click 156 260; done                    # Up under Converted_1: +2
  for _ in $(seq 7); do click 260 260; done               # Up under Converted_2: +9
  for _ in 1 2; do click 324 260; done                    # Down under Converted_3: +7
  xdotool mousemove 0 0

  # The window has taken every click once two grabs in a row agree.
  local previous= current
  for _ in $(seq 100); do
    /usr/bin/import -window "$window" "rgb:$work/now.rgb"
    current=$(md5sum <"$work/now.rgb")
    [ "$current" = "$previous" ] && break
    previous=$current
    sleep 0.2
  done
  mkdir -p docs
  /usr/bin/import -window "$window" -define png:color-type=2 "$2"
  echo "$2"
  stop $app
  app=
}

shoot light docs/screenshot.png
shoot qt6ct_darker docs/screenshot-dark.png
