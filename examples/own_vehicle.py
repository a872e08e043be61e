"""Your own vehicle: a wheel base of 0.6 m and a steering wheel half as fast as the
simulator's, on the PTP path to (3 m, 2 m, 90 deg).  The two steered mechanisms compared:
the front drive (1FDW1FS) and the rear drive (1RDW1FS), at constant and variable speed.
The twin of own_vehicle.cpp."""
import math
import sys

import agvsim

try:
    mine = agvsim.Params(Lw=0.6, steerRate=1.0)
    r = agvsim.ptp(3.0, 2.0, 90.0, params=mine)
except ValueError as e:
    sys.exit(str(e))
except agvsim.Refused as e:
    sys.exit(f"refused: {e}")
print(f"path {r.sf:.4f} m; steering angle on the arcs {r.phiArc_deg:.2f} deg")
for k in ("1FDW1FS", "1RDW1FS"):  # mechanisms 2 and 3, by name
    for drawing, runs in (("arc-line", r.arc[k]), ("clothoid-line", r.clothoid[k])):
        worst = max(math.hypot(e["x"], e["y"]) for e in runs.err)
        print(f"{k} {drawing:<13} constant velocity {runs.ref['t'][-1]:.2f} s "
              f"(largest error {worst:.3f} m), variable {runs.vv['t'][-1]:.2f} s")
