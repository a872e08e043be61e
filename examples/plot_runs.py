"""x(t), y(t), the tracking error and the curvature of the three mechanisms on the
clothoid-line path to (4 m, -3 m, -45 deg), drawn with matplotlib.

    python3 examples/plot_runs.py [FILE.png]    (without a file: a window)"""
import sys

import matplotlib.pyplot as plt
import numpy as np

import agvsim

r = agvsim.ptp(4.0, -3.0, -45.0)
colours = {1: "silver", 2: "tab:blue", 3: "tab:orange"}
fig, ax = plt.subplots(2, 2, figsize=(11, 8), sharex=True)
for k, runs in r.clothoid.items():  # mechanisms 1, 2, 3
    name, colour = runs.name, colours[k]
    for a, field in ((ax[0, 0], "x"), (ax[0, 1], "y")):
        if k == 1:
            a.plot(runs.ref["t"], runs.ref[field], color="red", lw=1.2, zorder=5, label="theory")
        a.plot(runs.cv["t"], runs.cv[field], color=colour, label=f"{name} constant velocity")
        a.plot(runs.vv["t"], runs.vv[field], color=colour, ls="--",
               label=f"{name} variable velocity")
    ax[1, 0].plot(runs.err["t"], np.hypot(runs.err["x"], runs.err["y"]), color=colour,
                  label=name)
    if k == 1:
        ax[1, 1].plot(runs.ref["t"], runs.ref["kap"], color="red", lw=1.2, zorder=5,
                      label="theory")
    ax[1, 1].plot(runs.cv["t"], runs.cv["kap"], color=colour, label=name)
for a, title, unit in ((ax[0, 0], "x(t)", "x [m]"), (ax[0, 1], "y(t)", "y [m]"),
                       (ax[1, 0], "tracking error of the constant-velocity AGV", "error [m]"),
                       (ax[1, 1], "curvature", "curvature [1/m]")):
    a.set_title(title)
    a.set_ylabel(unit)
    a.grid(True)
    a.legend(fontsize=7)
for a in ax[1]:
    a.set_xlabel("t [s]")
fig.suptitle(f"clothoid-line path to (4, -3, -45 deg), {r.sf:.3f} m")
fig.tight_layout()
if len(sys.argv) > 1:
    fig.savefig(sys.argv[1], dpi=90)
else:
    plt.show()
