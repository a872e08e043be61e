"""The three controllers against the open-loop AGV over a grid of end poses: per path,
mechanism and controller, the median and the largest of each pass's largest cross-track
error, printed as a table and drawn with matplotlib.

    python3 examples/compare_controllers.py [FILE.png [STEP_M STEP_DEG]]
    (without a file: a window; the grid's steps default to 1 m and 15 degrees)"""
import sys

import matplotlib.pyplot as plt
import numpy as np

import agvsim

step_m = float(sys.argv[2]) if len(sys.argv) > 3 else 1.0
step_deg = float(sys.argv[3]) if len(sys.argv) > 3 else 15.0
axis = np.arange(-4, 4 + step_m / 2, step_m)
headings = np.arange(-180, 180, step_deg)
controllers = ["purepursuit", "stanley", "rearwheel"]
paths = ["arc", "clothoid"]

# worst[c][key]: each pass's largest cross-track error; c is a controller or "open loop".
worst = {c: {} for c in ["open loop"] + controllers}
for c in controllers:
    params = agvsim.Params(controller=c)
    for x in axis:
        for y in axis:
            for th in headings:
                s = agvsim.ptp(x, y, th, params=params).summary
                for path in paths:
                    for m in (1, 2, 3):
                        key = f"{path}{m}"
                        worst[c].setdefault(key, []).append(s[f"{key}_trmaxxte[m]"])
                        if c == controllers[0]:
                            worst["open loop"].setdefault(key, []).append(s[f"{key}_cvmaxxte[m]"])

keys = [f"{path}{m}" for path in paths for m in (1, 2, 3)]
print(f"{len(axis) ** 2 * len(headings)} end poses; largest cross-track error [m], median / largest")
print("path+mechanism " + "".join(f"{c:>22}" for c in worst))
for key in keys:
    print(f"{key:<15}" + "".join(f"{np.median(worst[c][key]):>13.3f} / {np.max(worst[c][key]):.3f}"
                                 for c in worst))

fig, (med, top) = plt.subplots(1, 2, figsize=(12, 4.5))
width = 0.8 / len(worst)
at = np.arange(len(keys))
for i, (c, colour) in enumerate(zip(worst, ["black", "tab:purple", "tab:blue", "tab:orange"])):
    med.bar(at + i * width, [np.median(worst[c][k]) for k in keys], width, color=colour, label=c)
    top.bar(at + i * width, [np.max(worst[c][k]) for k in keys], width, color=colour, label=c)
for a, what in ((med, "median"), (top, "largest")):
    a.set_xticks(at + 0.4 - width / 2, [k.replace("arc", "arc ").replace("clothoid", "clothoid ")
                                        for k in keys])
    a.set_ylabel("largest cross-track error of a pass [m]")
    a.set_title(f"{what} over the grid's end poses")
    a.grid(True, axis="y")
    a.legend(fontsize=8)
# A few passes lose the path far: cut the scale there and print their value.
cut = 1.2
top.set_ylim(0, cut)
for i, c in enumerate(worst):
    for j, k in enumerate(keys):
        if np.max(worst[c][k]) > cut:
            top.text(at[j] + i * width, cut * 0.97, f"{np.max(worst[c][k]):.1f}", ha="center",
                     va="top", fontsize=8, rotation=90, color="white")
fig.tight_layout()
if len(sys.argv) > 1:
    fig.savefig(sys.argv[1], dpi=80)
else:
    plt.show()
