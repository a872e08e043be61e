"""A CP pass along the wavy circle r = 2 + 0.2 cos(3 beta): the curve's length and, for each
mechanism, the duration of its run and where it ends against the curve's end.  The twin of
cp_pass.cpp."""
import math
import sys

import agvsim

try:
    r = agvsim.cp(16, 0.2, 3.0)  # curve 16, A = 0.2 m, 3 waves
except agvsim.Refused as e:
    sys.exit(f"refused: {e}")
print(f"wavy circle: {r.length:.4f} m, parameter 0 ... {r.uend:.4f}")
for runs in r.runs.values():  # mechanisms 1, 2, 3
    end = runs.cv[-1]
    miss = math.hypot(end["x"] - r.Pf.x, end["y"] - r.Pf.y)
    print(f"{runs.name:<8} {runs.NN:4d} records, {runs.T:.2f} s, ends {miss:.4f} m from the curve's end")
