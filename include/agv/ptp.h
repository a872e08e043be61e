// PTP (point-to-point) paths: from a start pose, (0, 0, 0) unless another is
// given, to an end pose.
//
// The planner adopts the shortest of its arc-line joins (arcs of the minimum
// turning radius Ra, or one wider arc, and straight lines; three segments), or
// with reverse=1 the shortest (cheapest) path of arcs of radius Ra and lines
// driven forward or backward (up to five segments, cusps between them); the
// clothoid-line path replaces every arc by a clothoid-arc-clothoid curve.  The runs
// simulate the three mechanisms k = 0, 1, 2 (2DW1C, 1FDW1FS, 1RDW1FS) on
// both paths: the reference point, the constant-velocity AGV and its error,
// and the variable-velocity AGV that stops to steer at the joints and slows
// down on the clothoids.
//
//   agv::Params p;                 // or your own vehicle
//   agv::PtpResult r;              // reuse it: a pass then allocates nothing
//   if (agv::passPTP(p, 4, -3, -45, r) == agv::Status::Done) ... r.path.sf ...
#pragma once

#include <vector>

#include "agv/params.h"
#include "agv/types.h"

namespace agv {

struct MapIndex;  // agv/map.h

// The most segments of a path: three forward, five with reverse=1.
inline constexpr int kSegMax = 5;
// Index of the sum over the segments in the step tables.
inline constexpr int TOTAL = kSegMax;

// The adopted arc-line path.  Segment j = 0 ... nseg - 1 in driving order.
struct ArcPath {
  int krow = 0;               // the adopted candidate row (12, 13: three arcs); -1 with reverse=1
  int nseg = 3;               // segments: 3 forward (some may have no length), 0 ... 5 reverse
  int sgnK[kSegMax] = {};     // curvature direction of segment j: +1 left, 0 line, -1 right
  int drive[kSegMax] = {1, 1, 1, 1, 1};  // driving direction of segment j: +1 forward, -1 back
  double s[kSegMax] = {};     // segment lengths
  double sf = 0.0;            // total length
  double Rarc = 0.0;          // arc radius
  double Karc = 0.0;          // its curvature, 1/Rarc
  double Kseg[kSegMax] = {};  // curvature magnitude of segment j
  double phiArc = 0.0;        // steering angle of the arcs
  double phiSeg[kSegMax] = {};  // steering angle of segment j (unsigned)
  Pose P0, Pf;                // start and end
  Pose Pj[kSegMax - 1];       // the joint after segment j = 0 ... nseg - 2
  int cusps() const;          // the changes of driving direction
};

// The clothoid-line path: segment j an entry clothoid, a circular middle and
// an exit clothoid (m = 0, 1, 2), or a line.
struct ClothoidPath {
  double sc[kSegMax] = {};      // length of segment j
  double sc3[kSegMax][4] = {};  // [j][m] length of part m; [j][3] their sum
  double Kc[kSegMax] = {};      // curvature of the circular middle of segment j
  double phiC[kSegMax] = {};    // its steering angle
  double Kcs = 0.0;       // curvature of the middle of the last curved segment
  double sf = 0.0;        // total length
};

// Step tables of the constant-velocity runs of mechanism k: how long a
// segment or part takes, its step length and its whole number of steps.
// Index TOTAL holds the sums over the segments.
struct Steps {
  // Arc-line path, [k][j].
  double Tseg[3][kSegMax + 1] = {};
  double dtSeg[3][kSegMax] = {};
  int nSeg[3][kSegMax + 1] = {};
  // Clothoid-line path, [k][j] and [k][j][m].
  double Tc[3][kSegMax + 1] = {};
  double Tc3[3][kSegMax][3] = {};
  double dtc3[3][kSegMax][3] = {};
  int nc3[3][kSegMax][3] = {};
  int nc[3][kSegMax + 1] = {};
};

// Schedules of the variable-velocity runs of the steered mechanisms k = 1, 2
// (mechanism 0 drives its constant-velocity runs).
struct Schedule {
  // The steering angle of the arc-line runs at the start (0, or on a route's
  // leg the one the leg before ended with) and at the end.
  double phiStart = 0.0;
  double phiEnd = 0.0;
  // Arc-line path, [k][j][p]: phase p = 0 steering on the spot, 1 running.
  double Tv[3][kSegMax][2] = {};
  double dtv2[3][kSegMax][2] = {};
  int nv2[3][kSegMax][2] = {};
  int nvSeg[3][kSegMax + 1] = {};
  // Clothoid-line path, [k][j][m]: phases m = 0 ... 4 of segment j (steering-
  // limited, full speed, circular middle, full speed, steering-limited).
  double sv5[3][kSegMax][5] = {};
  double Tv5[3][kSegMax][5] = {};
  double dtv5[3][kSegMax][5] = {};
  int nv5[3][kSegMax][5] = {};
  double Vc[3][kSegMax] = {};    // speed of the steering-limited phases [m/s]
  double Wc[3][kSegMax] = {};    // steering rate of the full-speed phases [rad/s]
  double dtvl[3][kSegMax] = {};  // step length of a line segment
  int nvc[3][kSegMax + 1] = {};
};

// The runs of one mechanism on one path.  Records 0 ... n, one per time
// step; the variable-velocity run has time steps of its own.
struct Runs {
  std::vector<Record> ref;  // reference point (theory)
  std::vector<Record> cv;   // constant-velocity AGV
  std::vector<Record> err;  // cv - ref
  std::vector<Record> vv;   // variable-velocity AGV
  // The tracked AGV (a controller set; empty otherwise), on the time steps of cv until its
  // nearest point of the path reaches the path's end, and the cross-track error of each of its
  // records: the distance to the nearest point of the path, positive left of the path [m].
  std::vector<Record> tr;
  std::vector<double> xte;
};

// Everything a PTP pass computes.
struct PtpResult {
  Refusal refusal;         // Done, or why the pass stopped
  Params params;           // the parameters it was computed with
  Waypoint start, end;     // the poses asked for, as they were given
  bool planned = false;    // path, step tables and schedules are done
  ArcPath path;
  ClothoidPath clothoid;
  Steps steps;
  Schedule schedule;
  Runs arc[3];             // [index(m)] on the arc-line path (filled by runPTP)
  Runs cl[3];              // [index(m)] on the clothoid-line path
  Extent bndPTP[3];        // [index(m)] x and y of the arc-line reference run
  Contacts contacts;       // where the paths and runs first touch the map of a pass with one
  // The runs of mechanism m on the arc-line and on the clothoid-line path.
  const Runs& arcruns(Mechanism m) const { return arc[index(m)]; }
  const Runs& clruns(Mechanism m) const { return cl[index(m)]; }
};

// The plan from the start pose to the end pose (headings reduced into
// (-180, 180] first): the adopted arc-line path, the clothoid-line path, the
// step tables and the schedules, in the world's frame.  The runs of an
// earlier pass are cleared.
Status planPTP(const Params& p, const Waypoint& start, const Waypoint& end, PtpResult& r);
// The same from (0, 0, 0) to (xf, yf) [m], heading thfDeg [deg].
Status planPTP(const Params& p, double xf, double yf, double thfDeg, PtpResult& r);

// The runs of the planned paths and the extents (planPTP first).
Status runPTP(PtpResult& r);

// planPTP, then runPTP.
Status passPTP(const Params& p, const Waypoint& start, const Waypoint& end, PtpResult& r);
Status passPTP(const Params& p, double xf, double yf, double thfDeg, PtpResult& r);

// A pass in a map: planPTP, runPTP, then findcontacts with the map's index, built for p's body.
Status passPTP(const Params& p, const Waypoint& start, const Waypoint& end, const MapIndex& map,
               PtpResult& r);

// The first contacts of the paths and the runs of a pass that is done with the map of ix (a
// path sampled at most half a cell apart, the runs record by record), into r.contacts.
void findcontacts(const MapIndex& ix, PtpResult& r);

// A plan alone: the path the planner adopts from start to end (headings reduced as planPTP
// reduces them), without clothoids, step tables or runs, and without allocating: forward
// (threeArcs as set; three segments, some perhaps of no length) or, with reverse=1, the path
// of least cost that may back up (0 to 5 segments).  The same path planPTP adopts.
struct PlanWord {
  Status status = Status::Done;  // Done, BadParams, BadPose, or PathTooLong (no join)
  int n = 0;                     // segments
  int sgnK[kSegMax] = {};        // curvature direction of segment j: +1 left, 0 line, -1 right
  int drive[kSegMax] = {};       // driving direction of segment j: +1 forward, -1 backward
  double s[kSegMax] = {};        // segment lengths [m]
  double length = 0.0;           // total length [m]
  double Rarc = 0.0;             // arc radius [m]
};
PlanWord planOnly(const Params& p, const Waypoint& start, const Waypoint& end);

// The summary of a pass that is done: [0][index(m)] the arc-line runs of mechanism m,
// [1][index(m)] the clothoid-line runs.
struct PtpSummary {
  RunSummary run[2][3];
  const RunSummary& arc(Mechanism m) const { return run[0][index(m)]; }
  const RunSummary& clothoid(Mechanism m) const { return run[1][index(m)]; }
};
PtpSummary summarize(const PtpResult& r);

}  // namespace agv
