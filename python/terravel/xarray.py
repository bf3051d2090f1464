"""terravel.balance over xarray Datasets, lazily where they are backed by Dask.

    >>> import terravel.xarray
    >>> out = terravel.xarray.balance(ds, constants={"ch": 0.002})
    >>> out.Ts.attrs["units"]
    'degC'
"""
import numpy as np
import xarray as xr

from . import DEFAULTS, INPUT_NAMES, INPUT_UNITS, RESULT_NAMES, RESULT_UNITS, STATUS_NAMES
from . import _core

LONG_NAMES = {
    "ea": "vapour pressure of the air",
    "qa": "specific humidity of the air",
    "Rsu": "reflected solar radiation",
    "Ts": "ground surface temperature",
    "Lu": "upward long-wave radiation of the surface",
    "H": "sensible heat flux",
    "lE": "latent heat flux",
    "es": "saturation vapour pressure at the surface temperature",
    "qs": "saturation specific humidity at the surface temperature",
    "Rn": "net radiation",
    "bowen": "Bowen ratio H / lE",
    "evap": "evaporation",
}


def balance(ds, *, constants=None, errors="raise"):
    """terravel.balance over the variables of an xarray Dataset.

    ds holds any of the ten inputs as variables named as in
    terravel.INPUT_NAMES, in the units of terravel.INPUT_UNITS; they
    broadcast by their dimensions. An input that is not a variable takes its
    value from ``constants`` ({"pa": 1013.25, ...}), else the window's
    default (terravel.DEFAULTS).

    Returns a Dataset of the twelve results, each with ``units`` and
    ``long_name``. On Dask-backed variables nothing is computed until asked;
    each chunk is computed by one C++ call that releases the GIL.

    errors="raise": a failing element raises when it is computed (for Dask
    data, at compute time; the index in the message is then the element's
    place in its chunk). errors="nan": failing elements get NaN, and the
    result has a ``status`` variable with each element's code (CF flags).
    """
    if errors not in ("raise", "nan"):
        raise ValueError(f'errors must be "raise" or "nan", not {errors!r}')
    constants = dict(constants or {})
    unknown = sorted(set(constants) - set(INPUT_NAMES))
    if unknown:
        raise ValueError(f"not an input of the balance: {', '.join(unknown)} "
                         f"(the inputs are {', '.join(INPUT_NAMES)})")
    twice = sorted(set(constants) & set(ds.data_vars))
    if twice:
        raise ValueError(f"given both as a variable and as a constant: {', '.join(twice)}")

    args = [ds[name] if name in ds.data_vars else constants.get(name, DEFAULTS[name])
            for name in INPUT_NAMES]
    raise_errors = errors == "raise"

    def compute(*values):
        results, status, _ = _core.balance(*values, raise_errors=raise_errors)
        return (*map(np.asarray, results), np.asarray(status, dtype=np.uint8))

    outputs = xr.apply_ufunc(
        compute, *args,
        output_core_dims=[()] * (len(RESULT_NAMES) + 1),
        dask="parallelized",
        output_dtypes=[np.float64] * len(RESULT_NAMES) + [np.uint8],
    )
    out = xr.Dataset()
    for name, value in zip(RESULT_NAMES, outputs):
        out[name] = xr.DataArray(value).assign_attrs(
            units=RESULT_UNITS[name], long_name=LONG_NAMES[name])
    if not raise_errors:
        out["status"] = xr.DataArray(outputs[-1]).assign_attrs(
            long_name="how the balance of the element ended",
            flag_values=np.arange(len(STATUS_NAMES), dtype=np.uint8),
            flag_meanings=" ".join(n.replace(" ", "_") for n in STATUS_NAMES))
    return out


__all__ = ["balance", "LONG_NAMES", "INPUT_UNITS"]
