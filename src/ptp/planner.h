// Arc-line PTP path planner.
#pragma once

#include "ptp/path.h"

namespace agv {

// One candidate join: a row of the planner's table.
struct Candidate {
  double L;       // total length, or a sentinel when the join does not exist
  double seg[3];  // segment lengths in driving order
  double dir[3];  // curvature direction of each segment: +1, 0, -1
  double r;       // arc radius
  double p1[3];   // pose (x, y, heading) at the end of the first segment
  double p2[3];   // pose at the end of the second segment
};
constexpr int nRows = 12;

// Sentinel lengths of candidates that do not exist; any real join shorter
// than lenNoSolution beats all of them.
constexpr double lenNoSolution = 1e5;  // the geometry has no solution
constexpr double lenUnbuilt = 1e9;     // the row was not built
constexpr double lenBackward = 1e10;   // drives backwards, or parallel headings

// Builds the twelve candidate rows for the poses P0 and PF.
void candidates(const Pose& P0, const Pose& PF, Candidate c[nRows]);

// Adopts the shortest candidate from P0 to PF, publishes it (writing the
// length into PF.s) and reports it on the console; 1, or 0 after the
// too-long message when no candidate is a real path.
int calPTP(Pose& P0, Pose& PF);

// Vector helpers on two-element arrays.
double vaddk(const double a[2], double k, const double u[2], double out[2]);
double vsub(const double a[2], const double b[2], double out[2]);
double vdot(const double a[2], const double b[2]);
double vcross(const double a[2], const double b[2]);
double vdist(const double a[2], const double b[2]);
void vrot(double angle, const double v[2], double out[2]);

}  // namespace agv
