// What the window shows of the runs: the runs of the current PTP drawing,
// and the extents that scale the graphs.
#pragma once

namespace agv {

// The runs of mechanism k that the current PTP drawing shows: the
// clothoid-line runs for 'b', the arc-line runs for any other drawing.
struct PtpRuns {
  bool clothoid;  // the clothoid-line runs
  double T;       // duration of the constant-velocity runs [s]
  int n;          // their step total
  const double (*ref)[6];
  const double (*cv)[6];
  const double (*err)[6];
  int nv;  // step total of the variable-velocity run
  const double (*vv)[6];
};
PtpRuns ptpruns(int k);

// Extents {largest, smallest, larger magnitude} per mechanism: bndPTP of
// x and y of the arc-line reference runs, bndCP of x and y of the CP
// reference runs, bndCPk of the curvature of the CP reference and AGV runs.
enum Extent { EXTHI = 0, EXTLO = 1, EXTMAG = 2 };
extern double bndPTP[3][3];
extern double bndCP[3][3];
extern double bndCPk[3][3];

// Extent of the points pts[0..n] (x and y pooled).
void bounds(int n, const double (*pts)[2], double out[3]);

// The extents from the runs just computed.
void extentsPTP();
void extentsCP();

}  // namespace agv
