#!/usr/bin/env bash
# Builds the benchmarks with optimisation, runs them all and writes their
# figures to docs/performance.md, which it also prints. Installs what it needs
# on Debian 12 first. Takes some minutes; nothing here passes or fails on speed.
#
# MARELO_BENCH_RUNS sets the start-ups per program (default 25).
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
cmake --preset bench >/dev/null
cmake --build --preset bench
bin=build/bench
runs=${MARELO_BENCH_RUNS:-25}

work=$(mktemp -d)
xvfb=
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
cat /proc/loadavg >"$work/load-before"

# --- Start-up and peak memory, under a private X server ----------------------
# A black root (-br): before its first paint a window shows black there.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -br 3>"$work/display" \
    2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

# The rectangle of the first note cell, (8, 24) 73 x 17: frame, background and
# the text "Ｃ" in the note cells' font, in both programs.
rect=(8 24 73 17)
marelo=("$bin/src/app/marelo")
bare=("$bin/bench/bare_window")
watch() { QT_QPA_PLATFORM=xcb "$bin/bench/startup_watch" "$@"; }

echo "Start-up: calibrating, then $runs runs of each program, alternated" >&2
for warm in 1 2; do
    watch --calibrate "${rect[@]}" "$work/marelo.picture" -- "${marelo[@]}" >/dev/null
    watch --calibrate "${rect[@]}" "$work/bare.picture" -- "${bare[@]}" >/dev/null
done
: >"$work/startup"
for i in $(seq "$runs"); do
    # Alternate which program goes first in each pair.
    if [ $((i % 2)) -eq 1 ]; then order=(marelo bare); else order=(bare marelo); fi
    for program in "${order[@]}"; do
        if [ "$program" = marelo ]; then command=("${marelo[@]}"); else command=("${bare[@]}"); fi
        echo "$program $(watch "${rect[@]}" "$work/$program.picture" -- "${command[@]}")" \
            >>"$work/startup"
    done
done
kill "$xvfb" && wait "$xvfb" 2>/dev/null || true
xvfb=

# --- Handler cost, offscreen --------------------------------------------------
echo "Handler cost: Google Benchmark, handlers against their floors, interleaved" >&2
QT_QPA_PLATFORM=offscreen "$bin/bench/handler_cost" --benchmark_repetitions=12 \
    --benchmark_enable_random_interleaving=true --benchmark_min_time=0.05 \
    --benchmark_out="$work/handlers.json" --benchmark_out_format=json \
    --benchmark_format=console >"$work/handlers.txt"

# --- Memory over a long session, offscreen ------------------------------------
echo "Memory: 10^6 randomized actions, then 1000 help opens and closes" >&2
QT_QPA_PLATFORM=offscreen "$bin/bench/memory_growth" 1000000 1000 >"$work/memory"

# --- Placement: starts under load, each its own X server ----------------------
echo "Placement: 200 starts of two monitors under openbox, every core busy" >&2
MARELO="$bin/src/app/marelo" PYTHONDONTWRITEBYTECODE=1 PYTHONPATH=tests \
    /usr/bin/python3 tests/gui/test_desktops.py --starts 200 --close monitor_1_5_primary_openbox \
    >"$work/placement" 2>&1 || true

cat /proc/loadavg >"$work/load-after"
mkdir -p docs
python3 bench/report.py "$work" docs/performance.md
cat docs/performance.md
