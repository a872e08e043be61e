"""A PTP pass to the end pose (4 m, -3 m, -45 deg) and its summary: the adopted join, and
for each mechanism how long its runs take and how far the constant-velocity AGV strays.
The twin of ptp_summary.cpp."""
import math
import sys

import agvsim

try:
    r = agvsim.ptp(4.0, -3.0, -45.0)  # the simulator's own vehicle
except agvsim.Refused as e:
    sys.exit(f"refused: {e}")
print(f"row {r.row}, curvature directions ({r.sgnK[0]} {r.sgnK[1]} {r.sgnK[2]})")
print(f"segments {r.s[0]:.4f} {r.s[1]:.4f} {r.s[2]:.4f} m, total {r.sf:.4f} m")
for runs in r.arc.values():  # mechanisms 1, 2, 3
    worst = max(math.hypot(e["x"], e["y"]) for e in runs.err)
    print(f"{runs.name:<8} arc-line {runs.ref['t'][-1]:.2f} s "
          f"(variable velocity {runs.vv['t'][-1]:.2f} s), largest error {worst:.4f} m")
