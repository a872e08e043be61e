// Arc-line PTP path planner.
#pragma once

#include <cmath>
#include <vector>

#include "agv/ptp.h"
#include "base/model.h"
#include "ptp/reeds.h"

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
constexpr int nRows = 12;     // the joins of arcs and lines
constexpr int nRowsMax = 14;  // and the two of three arcs (rows 12 and 13)

// Sentinel lengths of candidates that do not exist; any real join shorter
// than lenNoSolution beats all of them.
constexpr double lenNoSolution = 1e5;  // the geometry has no solution
constexpr double lenUnbuilt = 1e9;     // the row was not built
constexpr double lenBackward = 1e10;   // drives backwards, or parallel headings

// A segment shorter than this [m] is taken as vanishing: it gets no
// clothoids and no steps.
constexpr double sVanish = 1e-5;

// Builds the twelve candidate rows for the poses P0 and PF with arcs of
// radius Ra, and with threeArcs rows 12 and 13 too; the number of rows.
int candidates(const Pose& P0, const Pose& PF, double Ra, bool threeArcs,
               Candidate c[nRowsMax]);

// Adopts the shortest candidate from P0 to PF into `path` (writing the
// length into PF.s); 1, or 0 when no candidate is a real path.  With reverse
// = 1, `from` is the driving direction the path before P0 ended in (0: none),
// whose change at P0 costs cuspCost.
int calPTP(const Model& m, const Pose& P0, Pose& PF, ArcPath& path, int from = 0);

// The path of the segments segs from P0 (arcs of radius m.Ra and lines) into `path`, as calPTP
// publishes a path that backs up: its joints and its end PF driven to by the closed forms (PF's
// heading turning on continuously, PF.s the length, the lengths summed in driving order).
void calsegments(const Model& m, const Pose& P0, const std::vector<PathSegment>& segs, Pose& PF,
                 ArcPath& path);

// The join calPTP adopts from P0 to PF with arcs of radius Ra (and rows 12
// and 13 with threeArcs), found without the poses of its joints: its row, its
// three forward segments in w (the row's kinds and lengths bit for bit, a
// segment of no length kept, so n = 3) and its arc radius in r; -1 when
// calPTP finds no join (w and r untouched).
int planjoin(const Pose& P0, const Pose& PF, double Ra, bool threeArcs, Word& w, double& r);

// Vector helpers on two-element arrays, inline: the rows call them often,
// and the core is built position-independent, where a function of the
// library's interface is not inlined.
inline double vaddk(const double a[2], double k, const double u[2], double out[2]) {
  out[0] = a[0] + k * u[0];
  out[1] = a[1] + k * u[1];
  return std::sqrt(out[0] * out[0] + out[1] * out[1]);
}

inline double vsub(const double a[2], const double b[2], double out[2]) {
  out[0] = a[0] - b[0];
  out[1] = a[1] - b[1];
  return std::sqrt(out[0] * out[0] + out[1] * out[1]);
}

inline double vdot(const double a[2], const double b[2]) { return a[0] * b[0] + a[1] * b[1]; }

inline double vcross(const double a[2], const double b[2]) { return a[0] * b[1] - a[1] * b[0]; }

inline double vdist(const double a[2], const double b[2]) {
  double d[2];
  return vsub(a, b, d);
}

inline void vrot(double angle, const double v[2], double out[2]) {
  const double c = std::cos(angle);
  const double sn = std::sin(angle);
  out[0] = c * v[0] - sn * v[1];
  out[1] = sn * v[0] + c * v[1];
}

}  // namespace agv
