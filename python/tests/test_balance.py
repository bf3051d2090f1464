"""terravel.balance: the window's calculate over arrays."""
import threading
import time

import numpy as np
import pytest

import terravel
from conftest import same_bits

D = dict(terravel.DEFAULTS)

# Inputs in the order of terravel.INPUT_NAMES: Ta rh u pa albedo ch beta Rs Ld G.
POINTS = {
    "defaults": tuple(D.values()),
    "cold night": (-25.0, 80.0, 4.0, 980.0, 0.8, 0.002, 0.1, 0.0, 180.0, -20.0),
    "desert noon": (42.0, 8.0, 1.5, 950.0, 0.3, 0.004, 0.05, 1050.0, 420.0, 120.0),
    "wet field": (18.5, 95.0, 0.7, 1013.25, 0.18, 0.003, 1.0, 640.0, 360.0, 35.0),
    "no evaporation": (15.0, 60.0, 2.0, 1033.2, 0.1, 0.001, 0.0, 300.0, 300.0, 50.0),
    "dry air, no wind": (5.0, 0.0, 0.0, 1033.2, 0.25, 0.001, 0.2, 500.0, 250.0, 10.0),
    "edges of the checks": (0.0, 100.0, 0.0, 1e-3, 1.0, 1.0, 0.0, 300.0, 300.0, 0.0),
}


def calculate(reference, points):
    """The window's calculate on each point; bowen NaN where lE is 0."""
    rows = reference([("calculate", p) for p in points])
    for row in rows:
        assert not isinstance(row, str), row
        if row[6] == 0.0:
            row[10] = float("nan")
    return np.array(rows)


def test_scalars_give_the_window_bits_as_floats(reference):
    expected = calculate(reference, POINTS.values())
    for (case, point), want in zip(POINTS.items(), expected):
        got = terravel.balance(*point)
        assert all(type(x) is float for x in got) and got.status == 0 and got.messages == {}
        assert same_bits(got, want), case
    assert terravel.balance().Ts == 28.03466796875
    assert np.isnan(terravel.balance(beta=0.0).bowen)  # the window shows -1 there


def test_arrays_give_the_window_bits(reference):
    expected = calculate(reference, POINTS.values())
    columns = [np.array(c) for c in zip(*POINTS.values())]
    got = terravel.balance(*columns)
    assert got._fields == terravel.RESULT_NAMES
    assert same_bits(np.stack(got, axis=1), expected)
    assert same_bits(got.status, np.zeros(len(POINTS)))
    # Keywords, any order.
    by_name = terravel.balance(**dict(reversed(list(zip(terravel.INPUT_NAMES, columns)))))
    assert same_bits(np.stack(by_name, axis=1), expected)


def test_arguments_broadcast_together():
    Ta = np.array([-5.0, 10.0, 30.0])[:, None, None]
    Rs = np.array([0.0, 400.0, 900.0, 50.0])[None, :, None]
    rh = np.array([20.0, 90.0])
    got = terravel.balance(Ta=Ta, Rs=Rs, rh=rh, u=[3.0])
    assert all(r.shape == (3, 4, 2) for r in got) and got.status.shape == (3, 4, 2)
    for i, j, k in np.ndindex(3, 4, 2):
        one = terravel.balance(Ta=Ta[i, 0, 0], Rs=Rs[0, j, 0], rh=rh[k], u=3.0)
        assert same_bits([r[i, j, k] for r in got], one)
    empty = terravel.balance(Ta=np.zeros((0, 1)), rh=rh)
    assert all(r.shape == (0, 2) for r in empty) and empty.status.shape == (0, 2)
    with pytest.raises(ValueError, match=r"cannot broadcast Rs with shape \(1, 4, 1\) "
                                         r"together with G with shape \(5, 1\)"):
        terravel.balance(Ta=Ta, Rs=Rs, G=np.zeros((5, 1)))


# Each way an element fails, one row each: the inputs, the status code, the
# exception errors="raise" gives and its message (None: the C++ message).
FAILURES = [
    ("rh above 100", dict(rh=150.0), 1, ValueError, "rh = 150 is outside 0 to 100"),
    ("rh not a number", dict(rh=float("nan")), 1, ValueError, "rh = nan is not a number"),
    ("negative wind", dict(u=-0.5), 1, ValueError, "u = -0.5 is below 0"),
    ("zero pressure", dict(pa=0.0), 1, ValueError, "pa = 0 is not above 0"),
    ("albedo above 1", dict(albedo=1.5), 1, ValueError, "albedo = 1.5 is outside 0 to 1"),
    ("negative ch", dict(ch=-1e-3), 1, ValueError, "ch = -0.001 is outside 0 to 1"),
    ("negative beta", dict(beta=-0.2), 1, ValueError, "beta = -0.2 is below 0"),
    ("absolute zero", dict(Ta=-273.15), 2, terravel.FloatingPointError, None),
    ("Tetens overflow", dict(Ta=-240.0), 3, terravel.FloatingPointError, None),
    ("infinite air", dict(Ta=float("inf")), 4, terravel.FloatingPointError, None),
    ("no wind, heat in", dict(u=0.0, G=1000.0), 5, terravel.NoBalanceError, None),
]


def with_defaults(inputs):
    return tuple({**D, **inputs}.values())


@pytest.fixture(scope="module")
def failures(reference):
    """FAILURES with the C++ message filled in for the faults."""
    rows = []
    for case, inputs, code, error, message in FAILURES:
        if message is None:
            (message,) = reference([("calculate", with_defaults(inputs))])
            assert isinstance(message, str), case
        rows.append((case, inputs, code, error, message))
    return rows


def test_each_failure_raises_its_error(failures):
    for case, inputs, code, error, message in failures:
        with pytest.raises(error) as raised:
            terravel.balance(**inputs)
        assert str(raised.value) == message, case
        assert raised.value.index == ()
        assert (code == 1) != isinstance(raised.value, terravel.Error), case


def test_the_first_failing_element_raises_with_its_index(failures):
    # Every failure of the table, with good points in between: the first
    # failing one, element 1, raises.
    points = [with_defaults({})] + [p for _, inputs, *_ in failures
                                    for p in (with_defaults(inputs), with_defaults({}))]
    columns = [np.array(c).reshape(-1, 1) for c in zip(*points)]
    _, _, _, error, message = failures[0]
    with pytest.raises(error) as raised:
        terravel.balance(*columns)
    assert str(raised.value) == f"at index (1, 0): {message}"
    assert raised.value.index == (1, 0)


def test_errors_nan_marks_failed_elements_and_computes_the_rest(failures, reference):
    points = [with_defaults(inputs) for _, inputs, *_ in failures] + list(POINTS.values())
    got = terravel.balance(*[np.array(c) for c in zip(*points)], errors="nan")
    n = len(failures)
    assert same_bits(np.stack(got, axis=1)[:n], np.full((n, 12), np.nan))
    assert same_bits(np.stack(got, axis=1)[n:], calculate(reference, POINTS.values()))
    assert got.status.dtype == np.uint8
    assert got.status.tolist() == [code for _, _, code, _, _ in failures] + [0] * len(POINTS)
    assert got.failed.tolist() == [True] * n + [False] * len(POINTS)
    assert got.messages == {(i,): row[4] for i, row in enumerate(failures)}

    scalar = terravel.balance(rh=150.0, errors="nan")
    assert np.isnan(scalar.Ts) and scalar.status == 1
    assert scalar.messages == {(): "rh = 150 is outside 0 to 100"}


@pytest.mark.parametrize("call,error,match", [
    (lambda: terravel.balance(errors="ignore"), ValueError, 'errors must be "raise" or "nan"'),
    (lambda: terravel.balance(Rs="300"), TypeError, "argument 'Rs' must be real numbers"),
    (lambda: terravel.balance(G=[1.0, "x"]), TypeError, "argument 'G' must be real numbers"),
    (lambda: terravel.balance(wind=2.0), TypeError, "unexpected keyword argument 'wind'"),
    (lambda: terravel.balance(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11), TypeError, "positional"),
], ids=["errors", "string", "mixed list", "unknown keyword", "too many"])
def test_wrong_arguments_are_refused_clearly(call, error, match):
    with pytest.raises(error, match=match):
        call()


def test_the_gil_is_released_during_the_loop():
    # A fifth of a second of work or more in one call; meanwhile this thread counts.
    n = 150_000
    Ta = np.linspace(-20.0, 40.0, n)
    done = threading.Event()
    span = {}

    def work():
        span["start"] = time.perf_counter()
        terravel.balance(Ta=Ta, Rs=500.0)
        span["end"] = time.perf_counter()
        done.set()

    worker = threading.Thread(target=work)
    ticks = []
    worker.start()
    while not done.is_set():
        ticks.append(time.perf_counter())
    worker.join()
    inside = np.array([t for t in ticks if span["start"] <= t <= span["end"]])
    duration = span["end"] - span["start"]
    assert duration > 0.05, "the call was too short to tell"
    # With the GIL held for the whole call this thread could not run in it:
    # one gap as long as the call. Released, it only waits for switches.
    gaps = np.diff(np.concatenate([[span["start"]], inside, [span["end"]]]))
    assert gaps.max() < 0.5 * duration, (gaps.max(), duration)
