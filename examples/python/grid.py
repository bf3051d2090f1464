#!/usr/bin/python3
"""The heat balance of a synthetic global grid at 0.25 degrees, on Dask.

Builds the inputs of a global 1440 x 720 grid for some hours of one day as
lazy Dask arrays (warm tropics, cold poles, sunshine where the sun is up at
that hour), computes terravel.xarray.balance on a dask.distributed
LocalCluster of 2 worker processes and prints the points computed per second
with a few figures of the result.

    python3 examples/python/grid.py              # 6 hours, 6.2 million points
    python3 examples/python/grid.py --hours 1    # a shorter try
"""
import argparse
import time

import dask.array as da
import numpy as np
import xarray as xr
from dask.distributed import Client, LocalCluster

import terravel
import terravel.xarray

SIGMA = 5.67e-8  # Stefan-Boltzmann constant, W/(m2 K4)


def synthetic_inputs(hours, resolution=0.25, rows_per_chunk=180):
    """A Dataset of lazy inputs on a global grid for `hours` hours of 21 June."""
    lat = np.arange(-90 + resolution / 2, 90, resolution)
    lon = np.arange(-180 + resolution / 2, 180, resolution)
    hour = np.arange(hours) * (24.0 / hours)  # spread over the day
    chunks = (1, rows_per_chunk, lon.size)
    t = da.from_array(hour, chunks=1)[:, None, None]
    phi = np.deg2rad(da.from_array(lat, chunks=rows_per_chunk))[None, :, None]
    lam = da.from_array(lon, chunks=-1)[None, None, :]

    # Sun on 21 June: declination 23.44 deg; solar hour angle from UTC and longitude.
    declination = np.deg2rad(23.44)
    hour_angle = np.deg2rad(15.0 * (t - 12.0) + lam)
    cos_zenith = (np.sin(phi) * np.sin(declination)
                  + np.cos(phi) * np.cos(declination) * np.cos(hour_angle))
    sun = da.clip(cos_zenith, 0.0, None)
    # A pseudo-random field for wind, humidity and albedo, smooth in space.
    pattern = 0.5 + 0.5 * np.sin(3.0 * lam * np.pi / 180.0) * np.cos(5.0 * phi)

    Ta = 28.0 - 45.0 * np.sin(phi) ** 2 + 6.0 * sun - 2.0
    variables = {
        "Ta": Ta,
        "rh": 45.0 + 45.0 * pattern,
        "u": 1.0 + 7.0 * (1.0 - pattern),
        "albedo": 0.12 + 0.25 * np.sin(phi) ** 2 + 0.05 * pattern,
        "Rs": 1050.0 * sun,
        "Ld": 0.78 * SIGMA * (Ta + 273.15) ** 4,
        "G": 0.12 * 1050.0 * sun - 15.0,
    }
    dims = ("time", "lat", "lon")
    shape = (hour.size, lat.size, lon.size)
    return xr.Dataset(
        {name: (dims, da.broadcast_to(v, shape).rechunk(chunks))
         for name, v in variables.items()},
        coords={"time": hour, "lat": lat, "lon": lon})


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--hours", type=int, default=6, help="hours of the day (default 6)")
    parser.add_argument("--workers", type=int, default=2, help="worker processes (default 2)")
    args = parser.parse_args()

    with LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True,
                      dashboard_address=None) as cluster, Client(cluster) as client:
        ds = synthetic_inputs(args.hours)
        points = ds.Ta.size
        out = terravel.xarray.balance(ds, constants={"pa": 1010.0, "ch": 0.002, "beta": 0.3},
                                      errors="nan")
        summary = xr.Dataset({
            "Ts_min": out.Ts.min(), "Ts_max": out.Ts.max(),
            "H_mean": out.H.mean(), "lE_mean": out.lE.mean(),
            "failed": (out.status != 0).sum(),
        })
        start = time.perf_counter()
        figures = summary.compute()
        took = time.perf_counter() - start

        print(f"{points:,} points ({args.hours} h x 720 x 1440) on {args.workers} worker "
              f"processes: {took:.2f} s, {points / took:,.0f} points/s")
        print(f"Ts {float(figures.Ts_min):.1f} to {float(figures.Ts_max):.1f} degC, "
              f"mean H {float(figures.H_mean):.1f} W/m2, mean lE {float(figures.lE_mean):.1f} "
              f"W/m2, {int(figures.failed)} points without balance")
        client.close()


if __name__ == "__main__":
    main()
