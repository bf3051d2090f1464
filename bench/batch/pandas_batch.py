#!/usr/bin/python3
"""The batch job written with pandas and NumPy, as the comparison for
terravel-batch: read the table, compute the twelve results with the search
vectorised in NumPy (bench/python/numpy_balance.py), write the table.

    bench/batch/pandas_batch.py rows.csv out.csv

Prints the seconds each stage took on standard error.
"""
import sys
import time
from pathlib import Path

import pandas as pd

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "python"))
import numpy_balance  # noqa: E402

INPUTS = ["Ta", "rh", "u", "pa", "albedo", "ch", "beta", "Rs", "Ld", "G"]


def main():
    source, target = sys.argv[1:3]
    t0 = time.perf_counter()
    table = pd.read_csv(source)
    t1 = time.perf_counter()
    with __import__("numpy").errstate(all="ignore"):
        results = numpy_balance.balance(*(table[name].to_numpy() for name in INPUTS))
    for name, values in results.items():
        table[name] = values
    t2 = time.perf_counter()
    table.to_csv(target, index=False)
    t3 = time.perf_counter()
    print(f"read {t1 - t0:.2f} s, compute {t2 - t1:.2f} s, write {t3 - t2:.2f} s, "
          f"total {t3 - t0:.2f} s", file=sys.stderr)


if __name__ == "__main__":
    main()
