#!/usr/bin/env bash
# terravel-batch on a million realistic rows: rows per second with the default
# threads and with -j 1, peak resident memory at one and at four million rows,
# and the same job in pandas and NumPy for comparison.
#   bench/batch/run.sh [path/to/terravel-batch]   (default: the release build)
set -euo pipefail
cd "$(dirname "$0")/../.."
batch=${1:-build/release/batch/terravel-batch}
work=${TMPDIR:-/tmp}/terravel-batch-bench
mkdir -p "$work"
rows=1000000
[ -s "$work/rows1M.csv" ] || bench/batch/make_table.py $rows >"$work/rows1M.csv"
[ -s "$work/rows4M.csv" ] || for i in 1 2 3 4; do
  if [ $i -eq 1 ]; then cat "$work/rows1M.csv"; else tail -n +2 "$work/rows1M.csv"; fi
done >"$work/rows4M.csv"

# Best of three wall times of a command, in seconds.
best() {
  local best=
  for _ in 1 2 3; do
    local t0 t1
    t0=$(date +%s.%N); "$@" >/dev/null 2>&1 || [ $? -eq 1 ]; t1=$(date +%s.%N)
    best=$(echo "$t0 $t1 $best" | awk '{t=$2-$1; if ($3=="" || t<$3) print t; else print $3}')
  done
  echo "$best"
}
rate() { awk -v n=$rows -v t="$1" 'BEGIN {printf "%.0f rows/s (%.3f s)", n/t, t}'; }

jobs=$(nproc)
t_default=$(best "$batch" --quiet "$work/rows1M.csv" -o "$work/out.csv")
t_one=$(best "$batch" --quiet -j 1 "$work/rows1M.csv" -o "$work/out.csv")
echo "terravel-batch, 1M rows, -j $jobs (default): $(rate "$t_default")"
echo "terravel-batch, 1M rows, -j 1:             $(rate "$t_one")"
awk -v a="$t_one" -v b="$t_default" 'BEGIN {printf "speed-up of the default threads over -j 1: %.2fx\n", a/b}'
for table in rows1M rows4M; do
  rss=$( { /usr/bin/time -f '%M' "$batch" --quiet "$work/$table.csv" >/dev/null; } 2>&1 | tail -n 1)
  echo "peak resident memory, $table: $((rss / 1024)) MB"
done
if /usr/bin/python3 -c 'import pandas' 2>/dev/null; then
  t0=$(date +%s.%N)
  /usr/bin/python3 bench/batch/pandas_batch.py "$work/rows1M.csv" "$work/pandas.csv"
  t1=$(date +%s.%N)
  awk -v p="$(echo "$t0 $t1" | awk '{print $2-$1}')" -v b="$t_default" \
    'BEGIN {printf "pandas and NumPy, 1M rows: %.2f s; terravel-batch is %.1fx faster\n", p, p/b}'
fi
