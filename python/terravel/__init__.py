"""Terravel: the surface heat balance and its formulas over NumPy arrays.

The calculation is Terravel's C++ code, the same the window runs: the
results are the same bits. Every function takes scalars or arrays that
broadcast together like a NumPy ufunc's arguments, returns floats for scalar
arguments and arrays otherwise, and runs its loop without the GIL, so threads
and Dask's threaded scheduler use every core.

    >>> import terravel
    >>> terravel.balance().Ts
    28.03466796875
    >>> terravel.balance(Ta=[10.0, 20.0], Rs=[[0.0], [800.0]]).Ts.shape
    (2, 2)

terravel.xarray.balance does the same over an xarray Dataset, lazily where
it is backed by Dask.
"""
from collections import namedtuple
from types import MappingProxyType

from . import _core
from ._core import (
    Error,
    FloatingPointError,
    NoBalanceError,
    get_cp,
    get_des,
    get_dqs,
    get_e,
    get_epen,
    get_ept,
    get_erh,
    get_es,
    get_ewet,
    get_l,
    get_ldown,
    get_ldown0,
    get_lin_down,
    get_lin_up,
    get_prod,
    get_pz,
    get_q,
    get_qs,
    get_rho,
    get_tdew,
    get_ts,
    get_ts_eq,
    get_w,
    get_w2,
)

__version__ = "1.0.0"

#: The ten inputs of balance(), in order.
INPUT_NAMES = _core.INPUT_NAMES
#: The twelve results of balance(), in order.
RESULT_NAMES = _core.RESULT_NAMES
#: The inputs' units, as the window shows them (rh in per cent).
INPUT_UNITS = MappingProxyType(dict(zip(INPUT_NAMES, (
    "degC", "%", "m/s", "hPa", "1", "1", "1", "W/m2", "W/m2", "W/m2"))))
#: The results' units.
RESULT_UNITS = MappingProxyType(dict(zip(RESULT_NAMES, _core.RESULT_UNITS)))
#: The window's default inputs, balance()'s defaults.
DEFAULTS = MappingProxyType(dict(_core.DEFAULT_INPUTS))
#: The status codes of balance(errors="nan"), by code: 0 "balanced",
#: 1 "out of range", 2 "division by zero", 3 "overflow",
#: 4 "invalid operation", 5 "no balance".
STATUS_NAMES = _core.STATUS_NAMES
#: The error message of each fault code ("" for 0 and 1, whose message
#: depends on the input).
FAULT_MESSAGES = _core.FAULT_MESSAGES


class Balance(namedtuple("Balance", RESULT_NAMES)):
    """The twelve results of balance(), floats or arrays of the arguments' shape.

    ea vapour pressure of the air (hPa), qa its specific humidity (kg/kg),
    Rsu reflected solar radiation, Ts the surface temperature (degC), Lu its
    long-wave emission, H the sensible and lE the latent heat flux, es and
    qs saturation vapour pressure (hPa) and specific humidity (kg/kg) at Ts,
    Rn net radiation (fluxes in W/m2), bowen H / lE (NaN where lE is 0) and
    evap the evaporation (mm/day).

    Two attributes say how each element ended:
    status    its code (STATUS_NAMES), 0 where the balance closed: an int
              for scalar arguments, a uint8 array otherwise
    messages  {index: reason} for each element that failed, the index a
              tuple (() for scalar arguments), the reason as the error would
              say it: "rh = 150 is outside 0 to 100"
    """

    @property
    def failed(self):
        """True where the element failed (its results are all NaN)."""
        return self.status != 0


def balance(Ta=DEFAULTS["Ta"], rh=DEFAULTS["rh"], u=DEFAULTS["u"], pa=DEFAULTS["pa"],
            albedo=DEFAULTS["albedo"], ch=DEFAULTS["ch"], beta=DEFAULTS["beta"],
            Rs=DEFAULTS["Rs"], Ld=DEFAULTS["Ld"], G=DEFAULTS["G"], *, errors="raise"):
    """The calculate command: the surface temperature that closes the balance.

    Ta      air temperature, degC
    rh      relative humidity, per cent, 0 to 100
    u       wind velocity, m/s, >= 0
    pa      atmospheric pressure, hPa, > 0
    albedo  surface albedo, 0 to 1
    ch      bulk transfer coefficient, 0 to 1
    beta    evaporative efficiency, >= 0
    Rs      solar radiation, W/m2
    Ld      downward long-wave radiation, W/m2
    G       ground heat flux, W/m2

    Each argument defaults to the window's value and may be a scalar or an
    array; they broadcast together. Returns a Balance named tuple of the
    twelve results, bit for bit those of the window's calculate.

    errors="raise": the first failing element (in C order) raises, with its
    index and reason in the message and as the exception's ``index``:
    ValueError for an input outside its range, terravel.FloatingPointError
    for a floating-point fault, terravel.NoBalanceError when no temperature
    closes the balance.
    errors="nan": a failing element gets NaN in all twelve results; the
    result's ``status`` and ``messages`` say which failed and why.
    """
    if errors not in ("raise", "nan"):
        raise ValueError(f'errors must be "raise" or "nan", not {errors!r}')
    results, status, messages = _core.balance(
        Ta, rh, u, pa, albedo, ch, beta, Rs, Ld, G, raise_errors=errors == "raise")
    out = Balance(*results)
    out.status = status
    out.messages = messages
    return out


def __getattr__(name):
    # terravel.xarray imports xarray: only when asked for.
    if name == "xarray":
        import importlib
        return importlib.import_module(".xarray", __name__)
    raise AttributeError(f"module {__name__!r} has no attribute {name!r}")


__all__ = [
    "Balance", "DEFAULTS", "Error", "FAULT_MESSAGES", "FloatingPointError",
    "INPUT_NAMES", "INPUT_UNITS", "NoBalanceError", "RESULT_NAMES", "RESULT_UNITS",
    "STATUS_NAMES", "balance",
    "get_cp", "get_des", "get_dqs", "get_e", "get_epen", "get_ept", "get_erh",
    "get_es", "get_ewet", "get_l", "get_ldown", "get_ldown0", "get_lin_down",
    "get_lin_up", "get_prod", "get_pz", "get_q", "get_qs", "get_rho", "get_tdew",
    "get_ts", "get_ts_eq", "get_w", "get_w2",
]
