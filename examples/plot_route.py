"""A route of four waypoints driven by the three mechanisms: the paths, the constant-velocity
AGVs' tracks and their tracking error along the whole route, drawn with matplotlib.

    python3 examples/plot_route.py [FILE.png]    (without a file: a window)"""
import sys

import matplotlib.pyplot as plt
import numpy as np

import agvsim

waypoints = [(0, 0, 0), (4, 2, 90), (0, 6, 180), (-3, 0, -90)]
r = agvsim.route(waypoints)
colours = {1: "silver", 2: "tab:blue", 3: "tab:orange"}
fig, (top, err) = plt.subplots(1, 2, figsize=(12, 5.5), gridspec_kw={"width_ratios": [1, 1.3]})
top.plot(r.arc[1].ref["x"], r.arc[1].ref["y"], color="red", lw=1.5, label="arc-line path")
top.plot(r.clothoid[1].ref["x"], r.clothoid[1].ref["y"], color="green", lw=1.5,
         label="clothoid-line path")
for k, runs in r.clothoid.items():  # mechanisms 1, 2, 3 on the clothoid-line route
    top.plot(runs.cv["x"], runs.cv["y"], color=colours[k], lw=1, ls="--",
             label=f"{runs.name} constant velocity")
    e = np.hypot(runs.err["x"], runs.err["y"])
    err.plot(runs.err["t"], e, color=colours[k], label=runs.name)
for x, y, th in waypoints:
    top.plot(x, y, "ko")
    top.arrow(x, y, 0.6 * np.cos(np.radians(th)), 0.6 * np.sin(np.radians(th)), width=0.04,
              color="black")
# Where each leg begins along the whole route's time.
runs = r.clothoid[2]
for leg in range(1, len(waypoints) - 1):
    err.axvline(runs.err["t"][np.argmax(runs.leg == leg)], color="grey", lw=0.8, ls=":")
top.set_aspect("equal")
top.set_xlabel("x [m]")
top.set_ylabel("y [m]")
top.set_title(f"route of {len(waypoints) - 1} legs, clothoid-line {r.clothoid_sf:.3f} m")
err.set_xlabel("t [s]")
err.set_ylabel("error [m]")
err.set_title("tracking error of the constant-velocity AGVs (legs dotted)")
for a in (top, err):
    a.grid(True)
    a.legend(fontsize=7)
fig.tight_layout()
if len(sys.argv) > 1:
    fig.savefig(sys.argv[1], dpi=80)
else:
    plt.show()
