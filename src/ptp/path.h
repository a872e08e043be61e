// The PTP paths: the arc-line path the planner adopts and the clothoid-line
// path built from it.
#pragma once

namespace agv {

struct Pose {
  double x;
  double y;
  double th;  // heading [rad]
  double s;   // path length at the pose [m]
};

// Adopted arc-line path (written by calPTP).
extern int krow;                    // index of the adopted candidate row
extern int sgnK[3];                 // curvature direction of segment j: +1, 0, -1
extern double s[3];                 // segment lengths [m]
extern double sf;                   // total length [m]
extern double Rarc;                 // arc radius [m]
extern double Karc;                 // 1/Rarc
extern double Kseg[3];              // curvature magnitude of segment j
extern double phiArc;               // steering angle of the arcs
extern double phiSeg[3];            // steering angle of segment j (unsigned)
extern double P1[3], P2[3], Pf[3];  // poses for the report (x, y, heading)

// A segment shorter than this [m] is taken as vanishing: it gets no
// clothoids and no steps.
constexpr double sVanish = 1e-5;

// Clothoid-line path (written by calclothoid): every arc replaced by a
// clothoid, an arc and a clothoid.
extern double sc[3];     // length of segment j
extern double sc3[3][4]; // [j][m]: entry clothoid, middle, exit clothoid; [j][3] their sum
extern double Kc[3];     // curvature of the circular middle of segment j
extern double phiC[3];   // its steering angle
// Curvature of the middle of the last curved segment; the schedule
// (calvelPTP) writes the same values again as it takes each segment.
extern double Kcs;

}  // namespace agv
