#!/usr/bin/python3
"""A day of hourly heat balance at a station, as a figure.

Reads the hourly table examples/station_day.csv (columns time and the ten
inputs), or makes up a clear summer day when no table is there, computes
the balance of every hour with terravel.balance and plots the surface and
air temperature above the four fluxes of Rn = H + lE + G.

    python3 examples/python/diurnal.py                 # writes docs/diurnal.png
    python3 examples/python/diurnal.py --output day.png --csv my_station.csv
"""
import argparse
from pathlib import Path

import matplotlib
import numpy as np
import pandas as pd

import terravel

matplotlib.use("Agg")
import matplotlib.dates  # noqa: E402  (after choosing the backend)
import matplotlib.pyplot as plt  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]


def made_up_day():
    """A clear summer day: sine-shaped sunshine from 6 to 18 h, the air
    warmest at 16 h, drier and windier in the afternoon."""
    hour = np.arange(24)
    sun = np.clip(np.sin(np.pi * (hour - 6) / 12), 0.0, None)
    Ta = 18.0 + 7.0 * np.cos(2 * np.pi * (hour - 16) / 24)
    return pd.DataFrame({
        "time": pd.date_range("2026-07-01", periods=24, freq="h"),
        "Ta": Ta, "rh": 65.0 - 20.0 * sun, "u": 1.0 + 2.5 * sun, "pa": 1013.0,
        "albedo": 0.23, "ch": 0.003, "beta": 0.4, "Rs": 850.0 * sun,
        "Ld": 5.67e-8 * 0.8 * (Ta + 273.15) ** 4, "G": 0.12 * 850.0 * sun - 20.0,
    })


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--csv", type=Path, default=ROOT / "examples" / "station_day.csv",
                        help="hourly table with a time column and the ten inputs")
    parser.add_argument("--output", type=Path, default=ROOT / "docs" / "diurnal.png")
    args = parser.parse_args()

    table = pd.read_csv(args.csv, parse_dates=["time"]) if args.csv.exists() else made_up_day()
    inputs = {name: table[name].to_numpy() for name in terravel.INPUT_NAMES if name in table}
    result = pd.DataFrame(terravel.balance(**inputs)._asdict(), index=table["time"])
    hours = result.index

    fig, (top, bottom) = plt.subplots(2, 1, figsize=(8, 7), sharex=True,
                                      gridspec_kw={"height_ratios": [2, 3]})
    top.plot(hours, result.Ts, color="tab:red", lw=2.2, marker="o", ms=3,
             label="surface $T_s$")
    top.plot(hours, table["Ta"].to_numpy(), color="tab:blue", lw=2.2, marker="o", ms=3,
             label="air $T_a$")
    top.set_ylabel("temperature (°C)")
    top.legend(loc="upper left", frameon=False)
    top.set_title(f"Surface heat balance through the day, {hours[0]:%d %B %Y}")

    fluxes = [("Rn", "net radiation $R_n$", "black"),
              ("H", "sensible heat $H$", "tab:orange"),
              ("lE", "latent heat $\\lambda E$", "tab:green"),
              ("G", "ground heat $G$", "tab:brown")]
    for name, label, color in fluxes:
        values = result[name] if name in result else table[name].to_numpy()
        bottom.plot(hours, values, color=color, lw=2.2 if name == "Rn" else 1.8,
                    marker="o", ms=3, label=label)
    bottom.axhline(0.0, color="grey", lw=0.8)
    bottom.set_ylabel("flux (W/m²)")
    bottom.set_xlabel("local time")
    bottom.legend(loc="upper left", frameon=False, ncol=2)
    bottom.xaxis.set_major_formatter(matplotlib.dates.DateFormatter("%H:%M"))
    for ax in (top, bottom):
        ax.grid(True, color="0.9")
        ax.spines[["top", "right"]].set_visible(False)
    fig.text(0.99, 0.005, "Rn = H + λE + G, computed with terravel.balance",
             ha="right", va="bottom", fontsize=8, color="0.4")
    fig.tight_layout()
    args.output.parent.mkdir(parents=True, exist_ok=True)
    fig.savefig(args.output, dpi=110)
    print(f"{len(result)} hours, Ts from {result.Ts.min():.1f} to {result.Ts.max():.1f} degC, "
          f"wrote {args.output}")


if __name__ == "__main__":
    main()
