#!/usr/bin/python3
"""Writes a CSV table of realistic hourly station rows for terravel-batch's
benchmark: a time column and the ten inputs, drawn uniformly from the middle
of the ranges the solver sweep walks, with the decimals a station reports.

    bench/batch/make_table.py 1000000 > rows.csv
"""
import argparse
import sys

import numpy as np

# name: (low, high, decimals)
RANGES = {
    "Ta": (-20.0, 40.0, 1), "rh": (20.0, 100.0, 1), "u": (0.5, 10.0, 1),
    "pa": (850.0, 1050.0, 1), "albedo": (0.1, 0.4, 2), "ch": (0.001, 0.005, 4),
    "beta": (0.05, 1.0, 2), "Rs": (0.0, 1000.0, 1), "Ld": (200.0, 450.0, 1),
    "G": (-50.0, 150.0, 1),
}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("rows", type=int)
    parser.add_argument("--seed", type=int, default=2026)
    args = parser.parse_args()
    rng = np.random.default_rng(args.seed)
    out = sys.stdout
    out.write("time," + ",".join(RANGES) + "\n")
    block = 100_000
    start = np.datetime64("2020-01-01T00:00")
    for first in range(0, args.rows, block):
        n = min(block, args.rows - first)
        times = (start + np.arange(first, first + n).astype("timedelta64[h]")).astype(str)
        columns = [times] + [np.char.mod(f"%.{d}f", rng.uniform(lo, hi, n))
                             for lo, hi, d in RANGES.values()]
        out.write("\n".join(",".join(row) for row in zip(*columns)) + "\n")


if __name__ == "__main__":
    main()
