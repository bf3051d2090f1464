"""terravel.xarray.balance over Datasets, eager and chunked with Dask."""
import dask
import dask.array
import numpy as np
import pytest
import xarray as xr

import terravel
import terravel.xarray
from conftest import same_bits


@pytest.fixture
def ds():
    """Three hours over a 4 x 5 grid: Ta and Rs vary, rh by column, one bad rh."""
    hours = np.arange(3)
    Ta = 10.0 + 8.0 * np.sin(hours[:, None, None] + np.arange(4)[:, None] + np.arange(5))
    Rs = np.clip(700.0 * np.cos(0.5 * hours), 0.0, None)
    rh = np.linspace(20.0, 100.0, 5)
    rh[3] = 101.0
    return xr.Dataset(
        {"Ta": (("time", "y", "x"), Ta), "Rs": ("time", Rs), "rh": ("x", rh)},
        coords={"time": hours, "y": np.arange(4), "x": np.arange(5)})


def test_variables_constants_and_defaults_make_the_inputs(ds):
    out = terravel.xarray.balance(ds, constants={"pa": 990.0, "ch": 0.003}, errors="nan")
    assert list(out.data_vars) == list(terravel.RESULT_NAMES) + ["status"]
    assert out.Ts.dims == ("time", "y", "x") and out.Ts.shape == (3, 4, 5)
    assert out.Ts.attrs == {"units": "degC", "long_name": "ground surface temperature"}
    assert all(out[n].attrs["units"] == terravel.RESULT_UNITS[n] for n in terravel.RESULT_NAMES)

    want = terravel.balance(Ta=ds.Ta.values, Rs=ds.Rs.values[:, None, None],
                            rh=ds.rh.values, pa=990.0, ch=0.003, errors="nan")
    for name in terravel.RESULT_NAMES:
        assert same_bits(out[name].transpose("time", "y", "x"), getattr(want, name)), name
    assert (out.status.values == want.status).all()
    assert (out.status.isel(x=3) == 1).all() and (out.status.isel(x=[0, 1, 2, 4]) == 0).all()
    assert out.status.attrs["flag_meanings"].split()[1] == "out_of_range"


def test_chunked_gives_the_bits_of_eager(ds):
    eager = terravel.xarray.balance(ds, errors="nan")
    chunked_input = ds.chunk({"time": 1, "x": 2})
    lazy = terravel.xarray.balance(chunked_input, errors="nan")
    assert all(isinstance(lazy[n].data, dask.array.Array) for n in lazy.data_vars)
    with dask.config.set(scheduler="threads", num_workers=2):
        computed = lazy.compute()
    for name in terravel.RESULT_NAMES:
        assert same_bits(computed[name], eager[name]), name
    assert (computed.status == eager.status).all()


def test_errors_raise_when_computed(ds):
    with pytest.raises(ValueError, match="rh = 101 is outside 0 to 100"):
        terravel.xarray.balance(ds)
    lazy = terravel.xarray.balance(ds.chunk({"x": 1}))  # nothing computed yet
    with dask.config.set(scheduler="synchronous"), \
            pytest.raises(ValueError, match="rh = 101 is outside 0 to 100"):
        lazy.compute()


@pytest.mark.parametrize("constants,match", [
    ({"wind": 2.0}, "not an input of the balance: wind"),
    ({"Ta": 20.0}, "given both as a variable and as a constant: Ta"),
])
def test_wrong_constants_are_refused(ds, constants, match):
    with pytest.raises(ValueError, match=match):
        terravel.xarray.balance(ds, constants=constants, errors="nan")
