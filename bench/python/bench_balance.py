#!/usr/bin/python3
"""Speed of terravel.balance on a million realistic points.

Three figures, each the best of a few runs:
  1. balance on one thread against the same calculation vectorised in NumPy
     (numpy_balance.py beside this file), the straightforward loop over the
     whole arrays (target at least 3x faster) and a loop that shrinks to the
     points still searching;
  2. two threads, each on half of the points, against one thread on all of
     them; target at least 1.6x;
  3. balance against the C++ row engine alone on the same points (the
     program row_engine, given with --engine); target at most 25 % overhead.

    PYTHONPATH=build/release/python bench/python/bench_balance.py \
        --engine build/release/bench/row_engine

The points are drawn from the middle of the ranges the solver sweep walks:
weather a station meets, not the extremes.
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

import numpy as np

import terravel

sys.path.insert(0, str(Path(__file__).resolve().parent))
import numpy_balance  # noqa: E402

# Uniform ranges of the ten inputs, in the order of terravel.INPUT_NAMES.
RANGES = {
    "Ta": (-20.0, 40.0), "rh": (20.0, 100.0), "u": (0.5, 10.0), "pa": (850.0, 1050.0),
    "albedo": (0.1, 0.4), "ch": (0.001, 0.005), "beta": (0.05, 1.0),
    "Rs": (0.0, 1000.0), "Ld": (200.0, 450.0), "G": (-50.0, 150.0),
}


def points(n, seed=2026):
    rng = np.random.default_rng(seed)
    return {name: rng.uniform(lo, hi, n) for name, (lo, hi) in RANGES.items()}


def best_of(runs, function):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        function()
        times.append(time.perf_counter() - start)
    return min(times)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--points", type=int, default=1_000_000)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--engine", type=Path, help="the row_engine program")
    args = parser.parse_args()
    n = args.points
    p = points(n)

    result = terravel.balance(**p)
    failed = int(np.count_nonzero(result.status))
    print(f"{n} points, {failed} without balance; terravel {terravel.__version__}, "
          f"numpy {np.__version__}")

    one = best_of(args.runs, lambda: terravel.balance(**p))
    print(f"terravel.balance, one thread:  {one:.3f} s  ({one / n * 1e9:.0f} ns/point)")

    for loop in ("whole", "shrinking"):
        vectorised = best_of(max(1, args.runs - 1), lambda: numpy_balance.balance(**p, loop=loop))
        check = numpy_balance.balance(**p, loop=loop)
        same = all(np.array_equal(check[k], getattr(result, k), equal_nan=True)
                   for k in terravel.RESULT_NAMES)
        worst = max(np.nanmax(np.abs(check[k] - getattr(result, k))) for k in ("Ts", "H", "lE"))
        print(f"NumPy, {loop + ' arrays,':17} {vectorised:.3f} s  "
              f"({'the same bits' if same else f'largest difference {worst:.3g}'})")
        print(f"  -> balance is {vectorised / one:.2f}x as fast"
              f"{' (target >= 3)' if loop == 'whole' else ''}")

    halves = [{k: v[: n // 2] for k, v in p.items()}, {k: v[n // 2:] for k, v in p.items()}]
    with ThreadPoolExecutor(2) as pool:
        two = best_of(args.runs,
                      lambda: list(pool.map(lambda h: terravel.balance(**h), halves)))
    print(f"two threads, half each:       {two:.3f} s")
    print(f"  -> {one / two:.2f}x one thread (target >= 1.6) on {os.cpu_count()} cores")

    if args.engine:
        with tempfile.NamedTemporaryFile(suffix=".f64") as file:
            np.column_stack([p[k] for k in terravel.INPUT_NAMES]).astype("=f8").tofile(file.name)
            out = subprocess.run([str(args.engine), file.name, str(args.runs)],
                                 capture_output=True, text=True, check=True).stdout.strip()
        print(out)
        engine = float(out.split("passes: ")[1].split(" s")[0])
        sum_ts = float(out.rsplit("Ts: ", 1)[1])
        same_points = sum_ts == sum(result.Ts[~np.isnan(result.Ts)].tolist())  # in order
        print(f"  -> binding overhead {100 * (one / engine - 1):+.1f} % over the engine "
              f"(target <= 25 %){'' if same_points else ' (WARNING: the sums of Ts differ)'}")


if __name__ == "__main__":
    main()
