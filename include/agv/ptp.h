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

#include <array>
#include <vector>

#include "agv/params.h"
#include "agv/types.h"

namespace agv {

struct MapIndex;  // agv/map.h

// The most segments of a path the planner adopts: three forward, five with reverse=1.  A path
// given as its segments (planPath) may have any number.
inline constexpr int kSegMax = 5;

// One value per segment j = 0 ... nseg - 1 of a path, and their sum over the segments.
template <class T>
struct Summed {
  std::vector<T> seg;
  T total = T();
  T& operator[](size_t j) { return seg[j]; }
  const T& operator[](size_t j) const { return seg[j]; }
};

// The adopted arc-line path.  Segment j = 0 ... nseg - 1 in driving order.
struct ArcPath {
  int krow = 0;               // the adopted candidate row (12, 13: three arcs); -1 with reverse=1
                              // or for a path given as its segments
  int nseg = 0;               // segments: 3 forward (some may have no length), 0 ... 5 reverse,
                              // any number given
  std::vector<int> sgnK;      // curvature direction of segment j: +1 left, 0 line, -1 right
  std::vector<int> drive;     // driving direction of segment j: +1 forward, -1 back
  std::vector<double> s;      // segment lengths
  double sf = 0.0;            // total length
  double Rarc = 0.0;          // arc radius
  double Karc = 0.0;          // its curvature, 1/Rarc
  std::vector<double> Kseg;   // curvature magnitude of segment j
  double phiArc = 0.0;        // steering angle of the arcs
  std::vector<double> phiSeg;  // steering angle of segment j (unsigned)
  Pose P0, Pf;                // start and end
  std::vector<Pose> Pj;       // the joint after segment j = 0 ... nseg - 2
  int cusps() const;          // the changes of driving direction
  // Every value back to its default for a path of n segments (driving forward, the rest 0); the
  // tables keep their memory.
  void reset(int n);
};

// The clothoid-line path: segment j an entry clothoid, a circular middle and
// an exit clothoid (m = 0, 1, 2), or a line.
struct ClothoidPath {
  std::vector<double> sc;                  // length of segment j
  std::vector<std::array<double, 4>> sc3;  // [j][m] length of part m; [j][3] their sum
  std::vector<double> Kc;                  // curvature of the circular middle of segment j
  std::vector<double> phiC;                // its steering angle
  double Kcs = 0.0;       // curvature of the middle of the last curved segment
  double sf = 0.0;        // total length
  void reset(int n);      // as ArcPath::reset
};

// Step tables of the constant-velocity runs of mechanism k: how long a
// segment or part takes, its step length and its whole number of steps,
// and (Summed) the sums over the segments.
struct Steps {
  // Arc-line path, [k][j].
  Summed<double> Tseg[3];
  std::vector<double> dtSeg[3];
  Summed<int> nSeg[3];
  // Clothoid-line path, [k][j] and [k][j][m].
  Summed<double> Tc[3];
  std::vector<std::array<double, 3>> Tc3[3];
  std::vector<std::array<double, 3>> dtc3[3];
  std::vector<std::array<int, 3>> nc3[3];
  Summed<int> nc[3];
  void reset(int n);      // as ArcPath::reset
};

// Schedules of the variable-velocity runs of the steered mechanisms k = 1, 2
// (mechanism 0 drives its constant-velocity runs).
struct Schedule {
  // The steering angle of the arc-line runs at the start (0, or on a route's
  // leg the one the leg before ended with) and at the end.
  double phiStart = 0.0;
  double phiEnd = 0.0;
  // Arc-line path, [k][j][p]: phase p = 0 steering on the spot, 1 running.
  std::vector<std::array<double, 2>> Tv[3];
  std::vector<std::array<double, 2>> dtv2[3];
  std::vector<std::array<int, 2>> nv2[3];
  Summed<int> nvSeg[3];
  // Clothoid-line path, [k][j][m]: phases m = 0 ... 4 of segment j (steering-
  // limited, full speed, circular middle, full speed, steering-limited).
  std::vector<std::array<double, 5>> sv5[3];
  std::vector<std::array<double, 5>> Tv5[3];
  std::vector<std::array<double, 5>> dtv5[3];
  std::vector<std::array<int, 5>> nv5[3];
  std::vector<double> Vc[3];    // speed of the steering-limited phases [m/s]
  std::vector<double> Wc[3];    // steering rate of the full-speed phases [rad/s]
  std::vector<double> dtvl[3];  // step length of a line segment
  Summed<int> nvc[3];
  void reset(int n);      // as ArcPath::reset; phiStart kept, phiEnd 0
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

// What the search of a pass in a map found (agv/search.h): its numbers for the summary.
struct Searched {
  bool done = false;     // the path was searched in a map (and found)
  double cost = 0.0;     // its cost, as the planner counts it
  int segments = 0;      // its segments
  int cusps = 0;         // its changes of driving direction
  long expansions = 0;   // nodes expanded
  double seconds = 0.0;  // the search's time [s]: it differs from run to run
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
  Searched search;         // the search of a pass in a map
  // The runs of mechanism m on the arc-line and on the clothoid-line path.
  const Runs& arcruns(Mechanism m) const { return arc[index(m)]; }
  const Runs& clruns(Mechanism m) const { return cl[index(m)]; }
};

// The plan from the start pose to the end pose (headings reduced into
// (-180, 180] first): the adopted arc-line path, the clothoid-line path, the
// step tables and the schedules, in the world's frame.  The runs of an
// earlier pass are cleared.  Degrees become radians exactly, but in the
// simulator's own pass, forward (reverse = 0) from (0, 0, 0), whose end
// heading takes DEG2RAD as it always has.
Status planPTP(const Params& p, const Waypoint& start, const Waypoint& end, PtpResult& r);
// The same from (0, 0, 0) to (xf, yf) [m], heading thfDeg [deg].
Status planPTP(const Params& p, double xf, double yf, double thfDeg, PtpResult& r);

// One segment of a path given as its segments: an arc of radius Ra or a line, in driving order.
struct PathSegment {
  int k = 0;        // curvature direction: +1 left arc, 0 line, -1 right arc
  int drive = 1;    // driving direction: +1 forward, -1 backward
  double len = 0;   // length [m], 0 or more
};

// The plan of the path that drives `segments` from `start` (heading reduced and converted as
// planPTP converts it), arcs of radius p.Ra, in the world's frame: the path (no row, its joints
// and its end driven to by the closed forms of its arcs and lines), the clothoid-line path, the
// step tables and the schedules, as planPTP plans; then runPTP runs it.  The segments may be
// any number (memory within maxMemory).  BadPath: a segment whose direction is not -1, 0 or +1,
// whose driving direction is not +1 or (with reverse=1) -1, or whose length is negative or not
// finite; with an
// end pose, an end more than kEndGap [m] or kEndGap [rad] from it, which is then the path's end
// (as planPTP's); without one r.end is the end driven to.
inline constexpr double kEndGap = 1e-6;
Status planPath(const Params& p, const Waypoint& start, const std::vector<PathSegment>& segments,
                PtpResult& r);
Status planPath(const Params& p, const Waypoint& start, const Waypoint& end,
                const std::vector<PathSegment>& segments, PtpResult& r);

// The runs of the planned paths and the extents (planPTP first).
Status runPTP(PtpResult& r);

// planPTP, then runPTP.
Status passPTP(const Params& p, const Waypoint& start, const Waypoint& end, PtpResult& r);
Status passPTP(const Params& p, double xf, double yf, double thfDeg, PtpResult& r);

// The plan of a path in a map: the path of least cost round the map's obstacles (planInMap,
// agv/search.h, with the map's index built for p's body), planned as planPath plans its
// segments, to the end pose (within kEndGap); r.search holds the search's numbers.
// NoPathInMap where the search finds none (reason() says why, as searchreason does).
Status planPTP(const Params& p, const Waypoint& start, const Waypoint& end, const MapIndex& map,
               PtpResult& r);

// A pass in a map: planPTP in the map, runPTP, then findcontacts.
Status passPTP(const Params& p, const Waypoint& start, const Waypoint& end, const MapIndex& map,
               PtpResult& r);

// The first contacts of the paths and the runs of a pass that is done with the map of ix (a
// path sampled at most half a cell apart, the runs record by record), into r.contacts.
void findcontacts(const MapIndex& ix, PtpResult& r);

// A plan alone: the path the planner adopts from start to end (headings reduced as planPTP
// reduces them), without clothoids, step tables or runs, and without allocating: forward
// (threeArcs as set; three segments, some perhaps of no length) or, with reverse=1, the path
// of least cost that may back up (0 to 5 segments).  Its degrees become radians exactly,
// always: it is the path planPTP adopts, but forward from (0, 0, 0), where planPTP's end
// heading keeps DEG2RAD, whose rounding (up to 3.6e-9 rad) the two paths then differ by.
struct PlanWord {
  Status status = Status::Done;  // Done, BadParams, BadPose (beyond kPoseMax too), or PathTooLong
  int n = 0;                     // segments
  int sgnK[kSegMax] = {};        // curvature direction of segment j: +1 left, 0 line, -1 right
  int drive[kSegMax] = {};       // driving direction of segment j: +1 forward, -1 backward
  double s[kSegMax] = {};        // segment lengths [m]
  double length = 0.0;           // total length [m]
  double Rarc = 0.0;             // arc radius [m]
};
PlanWord planOnly(const Params& p, const Waypoint& start, const Waypoint& end);

// A pose along a plan: position [m], heading [rad] (turning on continuously, not reduced), the
// driving direction there (+1 forward, -1 backward) and the distance driven to it [m].
struct PlanPose {
  double x = 0.0;
  double y = 0.0;
  double th = 0.0;
  int drive = 1;
  double s = 0.0;
};

// The most poses samplePlan gives for one plan (40 bytes each).
inline constexpr long kSampleMax = 10000000;

// The poses along a plan alone (planOnly's answer) from its start pose (as given to planOnly,
// heading [deg]): every ds of the distance driven (0, ds, 2 ds, ...), at every joint of its
// segments and at its end, in the order driven, each once, each from the closed form of its arc
// or line (within 1e-9 m and rad of it, the last on the plan's end).  At a joint the driving
// direction is the next segment's, at the end the last one's.  `poses` is cleared, and reused
// without allocating where it is large enough.  NotPlanned for a plan that is not done or not
// planOnly's (segments out of their ranges), BadPose for a start that is not finite or beyond
// kPoseMax, BadSpacing for a ds that is not above 0 (NaN, 0, negative) or so small that the
// poses it may give, floor(length / ds) + n + 2 (the joints counted apart), exceed kSampleMax;
// ds = infinity gives the joints and the ends alone.
Status samplePlan(const PlanWord& word, const Waypoint& start, double ds,
                  std::vector<PlanPose>& poses);

// A pose along a planned path, and the signed curvature there [1/m] (at a joint the next
// segment's, at the end the last one's).
struct PathPose : PlanPose {
  double kap = 0.0;
};

// The poses along the arc-line path of a plan that is done (planPTP, planPath) as samplePlan
// gives them, from its start pose, appended to `poses`: their distances carry on from the last
// pose there (a route's legs one after another; the first pose of a leg, which is the last of
// the leg before, is not repeated).  NotPlanned for a plan that is not done, BadSpacing as
// samplePlan.
Status samplePath(const PtpResult& r, double ds, std::vector<PathPose>& poses);

// The summary of a pass that is done: [0][index(m)] the arc-line runs of mechanism m,
// [1][index(m)] the clothoid-line runs.
struct PtpSummary {
  RunSummary run[2][3];
  const RunSummary& arc(Mechanism m) const { return run[0][index(m)]; }
  const RunSummary& clothoid(Mechanism m) const { return run[1][index(m)]; }
};
PtpSummary summarize(const PtpResult& r);

}  // namespace agv
