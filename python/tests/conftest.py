"""Shared helpers: the C++ reference program and bitwise comparison."""
import os
import subprocess

import numpy as np
import pytest


@pytest.fixture(scope="session")
def reference():
    """Runs (command, arguments) lines through the C++ reference program.

    Returns one entry a line: the list of its results, or the message of the
    error the C++ code threw.
    """
    program = os.environ.get("TERRAVEL_REFERENCE")
    if not program:
        pytest.skip("TERRAVEL_REFERENCE names no reference program (run through ctest)")

    def run(lines):
        text = "".join(
            " ".join([command] + [float(x).hex() for x in args]) + "\n"
            for command, args in lines)
        out = subprocess.run([program], input=text, capture_output=True, text=True,
                             check=True).stdout.splitlines()
        assert len(out) == len(lines)
        return [line[len("error "):] if line.startswith("error ")
                else [float.fromhex(w) for w in line.split()] for line in out]

    return run


def same_bits(a, b):
    """True when two float arrays hold the same bits (NaN included)."""
    a, b = np.asarray(a, dtype=np.float64), np.asarray(b, dtype=np.float64)
    return a.shape == b.shape and np.array_equal(a.view(np.uint64), b.view(np.uint64))
