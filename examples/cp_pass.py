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
for k, name in enumerate(("2DW1C", "1FDW1FS", "1RDW1FS")):
    end = r.runs[k].cv[-1]
    miss = math.hypot(end["x"] - r.Pf[0], end["y"] - r.Pf[1])
    print(f"{name:<8} {r.NN[k]:4d} records, {r.TCP[k]:.2f} s, ends {miss:.4f} m from the curve's end")
