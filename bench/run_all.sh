#!/usr/bin/env bash
# Builds the release preset and runs the benchmarks side by side, in one run:
#   bench/run_all.sh
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release
b=build/release/bench
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}

echo "== formula module"
$b/bench_physics --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
echo "== one calculate press, offscreen"
QT_QPA_PLATFORM=offscreen $b/bench_calculate --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true
echo "== start-up to the window shown, and peak resident memory"
xvfb-run -a $b/startup_probe 20 $b/bare_window $b/bare_window_text build/release/app/terravel \
  2>/dev/null
echo "== terravel-batch on a million rows, against pandas and NumPy"
bench/batch/run.sh build/release/batch/terravel-batch
echo "== the Python package: balance against NumPy, two threads, the row engine alone"
PYTHONPATH=build/release/python /usr/bin/python3 bench/python/bench_balance.py \
  --engine build/release/bench/row_engine
