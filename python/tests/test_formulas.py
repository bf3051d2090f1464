"""The 24 formula functions: C++ bits, floats for scalars, broadcasting, errors."""
import numpy as np
import pytest

import terravel
from conftest import same_bits

# Every function with arguments inside its domain, by the C++ name it binds.
FUNCTIONS = [
    ("getRho", terravel.get_rho, (15.0, 1013.25, 10.0)),
    ("getCp", terravel.get_cp, (15.0,)),
    ("getL", terravel.get_l, (15.0,)),
    ("getPz", terravel.get_pz, (1013.25, 15.0, 500.0)),
    ("getEs", terravel.get_es, (15.0,)),
    ("getQs", terravel.get_qs, (15.0, 1013.25)),
    ("getDes", terravel.get_des, (15.0,)),
    ("getDqs", terravel.get_dqs, (15.0, 1013.25)),
    ("getQ", terravel.get_q, (10.0, 1013.25)),
    ("getE", terravel.get_e, (0.006, 1013.25)),
    ("getErh", terravel.get_erh, (0.6, 15.0)),
    ("getEwet", terravel.get_ewet, (20.0, 15.0, 1013.25)),
    ("getTdew", terravel.get_tdew, (10.0,)),
    ("getTs", terravel.get_ts, (520.0, 2.0, 15.0, 0.006, 1033.2, 0.001, 0.2)),
    ("getLdown0", terravel.get_ldown0, (15.0, 10.0)),
    ("getLdown", terravel.get_ldown, (15.0, 10.0, 0.5)),
    ("getW", terravel.get_w, (10.0,)),
    ("getW2", terravel.get_w2, (10.0,)),
    ("getTsEq", terravel.get_ts_eq, (400.0, 15.0, 1013.25)),
    ("getEpen", terravel.get_epen, (1.5e7, 0.0, 15.0, 2.0, 10.0)),
    ("getEpt", terravel.get_ept, (1.5e7, 0.0, 15.0)),
    ("getProd", terravel.get_prod, (3.0, 4.0)),
    ("getLinUp", terravel.get_lin_up, (0.5,)),
    ("getLinDown", terravel.get_lin_down, (0.5,)),
]
MULTI = {"getTs", "getTsEq"}  # these return (Ts, Lu, H, lE)


def outputs(value):
    return value if isinstance(value, tuple) else (value,)


def test_every_function_of_the_header_is_bound():
    assert len(FUNCTIONS) == 24
    names = {f.__name__ for _, f, _ in FUNCTIONS}
    assert names <= set(terravel.__all__)
    assert all(f.__doc__ and ("deg" in f.__doc__ or "Domain" in f.__doc__)
               for _, f, _ in FUNCTIONS)


@pytest.mark.parametrize("name,function,args", FUNCTIONS, ids=[f[0] for f in FUNCTIONS])
def test_scalars_give_floats_and_arrays_broadcast(name, function, args):
    scalar = outputs(function(*args))
    assert len(scalar) == (4 if name in MULTI else 1)
    assert all(type(x) is float for x in scalar)

    # The first argument as a column, the last as a row: the result is the
    # table of every pair, each element the scalar call's bits.
    first = np.array([args[0], args[0] * 1.01, args[0] * 0.99])[:, None]
    last = np.array([args[-1], args[-1] * 1.02])[None, :] if len(args) > 1 else args[-1]
    table = outputs(function(first, *args[1:-1], last) if len(args) > 1 else function(first))
    shape = (3, 2) if len(args) > 1 else (3, 1)
    for k, column in enumerate(table):
        assert isinstance(column, np.ndarray) and column.shape == shape
        for i, j in np.ndindex(shape):
            a = (first[i, 0],) + args[1:-1] + ((last[0, j],) if len(args) > 1 else ())
            assert same_bits(column[i, j], outputs(function(*a))[k])


POINTS = [
    ("getEs", (15.0,)), ("getEs", (-40.0,)), ("getEs", (0.1,)), ("getEs", (56.7,)),
    ("getQs", (28.03466796875, 1033.2)), ("getQs", (-10.0, 700.0)),
    ("getLdown", (15.0, 10.0, 0.0)), ("getLdown", (-5.0, 3.2, 0.73)),
    ("getTs", (520.0, 2.0, 15.0, 0.006, 1033.2, 0.001, 0.2)),
    ("getTs", (-80.0, 5.0, -10.0, 0.001, 900.0, 0.004, 1.0)),
    ("getTs", (1200.0, 0.5, 35.0, 0.01, 1010.0, 0.002, 0.0)),
    ("getTsEq", (400.0, 15.0, 1013.25)),
]
BY_NAME = {name: function for name, function, _ in FUNCTIONS}


def test_results_are_the_bits_of_the_cpp_functions(reference):
    expected = reference(POINTS)
    for (name, args), want in zip(POINTS, expected):
        got = outputs(BY_NAME[name](*args))
        assert all(same_bits(g, w) for g, w in zip(got, want)), (name, args, got, want)
    # The same points as arrays, one call a function.
    for name in {n for n, _ in POINTS}:
        rows = [(args, want) for (n, args), want in zip(POINTS, expected) if n == name]
        columns = [np.array(c) for c in zip(*(args for args, _ in rows))]
        got = outputs(BY_NAME[name](*columns))
        assert all(same_bits(g, [w[k] for _, w in rows]) for k, g in enumerate(got)), name


# Faults, each with the C++ function's own error.
FAULTS = [
    ("getTdew", (0.0,), terravel.FloatingPointError),       # log10 of 0
    ("getTdew", (-1.0,), terravel.FloatingPointError),      # log10 of a negative
    ("getEs", (-237.3,), terravel.FloatingPointError),      # division by zero
    ("getEs", (-238.0,), terravel.FloatingPointError),      # the power overflows
    ("getTs", (-100.0, 0.0, 15.0, 0.006, 1033.2, 0.001, 0.2), terravel.NoBalanceError),
]


@pytest.mark.parametrize("name,args,error", FAULTS, ids=[f"{n}{a[:2]}" for n, a, _ in FAULTS])
def test_faults_raise_the_cpp_error(reference, name, args, error):
    (message,) = reference([(name, args)])
    assert isinstance(message, str), "the C++ function must fail here"
    with pytest.raises(error) as raised:
        BY_NAME[name](*args)
    assert isinstance(raised.value, terravel.Error)
    assert isinstance(raised.value, ArithmeticError)
    assert str(raised.value) == message and raised.value.index == ()

    # Among good elements, the failing one is named by its index.
    good = next(a for n, _, a in FUNCTIONS if n == name)
    with pytest.raises(error) as raised:
        BY_NAME[name](*[np.array([g, b, g]) for g, b in zip(good, args)])
    assert str(raised.value) == "at index 1: " + message
    assert raised.value.index == (1,)


BAD_ARGUMENTS = [
    ("a string", ("15",), TypeError, "argument 'T' must be real numbers, not str"),
    ("None", (None,), TypeError, "not NoneType"),
    ("complex", (1 + 2j,), TypeError, "not complex"),
    ("an array of strings", (np.array(["1", "2"]),), TypeError, "array of <U1"),
    ("an array of objects", (np.array([1.0, None]),), TypeError, "array of object"),
    ("a ragged list", ([[1.0, 2.0], [3.0]],), ValueError, "inhomogeneous"),
    ("too many arguments", (1.0, 2.0), TypeError, "incompatible function arguments"),
]


@pytest.mark.parametrize("case,args,error,match", BAD_ARGUMENTS, ids=[b[0] for b in BAD_ARGUMENTS])
def test_wrong_arguments_are_refused_clearly(case, args, error, match):
    with pytest.raises(error, match=match):
        terravel.get_es(*args)


def test_shapes_that_do_not_broadcast_name_both_arguments():
    with pytest.raises(ValueError, match=r"get_qs\(\): cannot broadcast T with shape \(3,\) "
                                         r"together with P with shape \(4,\)"):
        terravel.get_qs(np.zeros(3), np.full(4, 1000.0))


@pytest.mark.parametrize("make", [
    lambda a: a[::2],                        # strided
    lambda a: a.reshape(2, 3).T,             # transposed
    lambda a: a.astype(">f8"),               # big-endian
    lambda a: a.astype(np.float32),          # single precision, widened exactly
    lambda a: a.round().astype(np.int64),    # integers
    lambda a: np.broadcast_to(a[:1], (6,)),  # a zero stride
], ids=["strided", "transposed", "big-endian", "float32", "int64", "zero-stride"])
def test_any_layout_and_real_dtype_reads_the_same_values(make):
    view = make(np.linspace(-30.0, 45.0, 6))
    expected = np.array([terravel.get_es(float(x)) for x in np.asarray(view, float).ravel()])
    assert same_bits(terravel.get_es(view).ravel(), expected)
