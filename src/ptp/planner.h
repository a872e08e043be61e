// Arc-line PTP path planner.
#pragma once

namespace agv {

struct Pose {
  double x;
  double y;
  double th;  // heading [rad]
  double s;   // path length at the pose [m]
};

// Printed by each PTP stage that finds the path too long for the
// time-series capacity.
inline constexpr char msgTooLong[] = "\n経路長長過ぎる．経路設定し直し";

// Adopted arc-line path.
extern int sgnK[3];                 // curvature direction of segment j: +1, 0, -1
extern double s[3];                 // segment lengths [m]
extern double sf;                   // total length [m]
extern double Rarc;                 // arc radius [m]
extern double Karc;                 // 1/Rarc
extern double Kseg[3];              // curvature magnitude of segment j
extern double phiArc;               // steering angle of the arcs
extern double phiSeg[3];            // steering angle of segment j (unsigned)
extern double P1[3], P2[3], Pf[3];  // poses for the report (x, y, heading)

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

// Plans the path from P0 to PF; 1 on success, 0 when a later stage finds
// the path too long for the time-series capacity.
int calPTP(Pose& P0, Pose& PF);

// Vector helpers on two-element arrays.
double vaddk(const double a[2], double k, const double u[2], double out[2]);
double vsub(const double a[2], const double b[2], double out[2]);
double vdot(const double a[2], const double b[2]);
double vcross(const double a[2], const double b[2]);
double vdist(const double a[2], const double b[2]);
void vrot(double angle, const double v[2], double out[2]);

}  // namespace agv
