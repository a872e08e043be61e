// Value types shared by the passes: poses, run records, extents and the
// result of a pass.  Lengths are in metres, times in seconds and angles in
// radians unless a name says degrees.
#pragma once

#include <cstdint>
#include <string>

#include "agv/params.h"

namespace agv {

// Mathematical constants of every computation, as the simulator writes them.
inline constexpr double PI = 3.14159265358979;
inline constexpr double PI2 = 2.0 * PI;
inline constexpr double PI_2 = 1.5707963267948;
inline constexpr double RAD2DEG = 57.2957795;  // degrees per radian
inline constexpr double DEG2RAD = 0.0174532925;  // radians per degree

// The three wheel mechanisms, numbered 1, 2, 3 as the programs, the files and Python number
// them: 2DW1C (two driven wheels and a caster), 1FDW1FS (a front wheel that drives and
// steers), 1RDW1FS (a driven rear axle and a steered front wheel).
enum class Mechanism : int { M2DW1C = 1, M1FDW1FS = 2, M1RDW1FS = 3 };
inline constexpr Mechanism kMechanisms[] = {Mechanism::M2DW1C, Mechanism::M1FDW1FS,
                                            Mechanism::M1RDW1FS};
// A result holds the runs of the three mechanisms in arrays of three, 0-based: [0] is
// mechanism 1 (2DW1C).  Read them by mechanism (PtpResult::arcruns and the like); index(m) is
// the place of m in those arrays, for the callers that index them.
constexpr int index(Mechanism m) { return static_cast<int>(m) - 1; }
// The mechanism's name: "2DW1C", "1FDW1FS", "1RDW1FS".
const char* name(Mechanism m);

// A heading [deg] reduced into (-180, 180] by whole turns: the same end pose
// gives the same path however its heading is typed.  A heading inside that
// range comes back as it is.
double reduceheading(double deg);

// The largest |x| and |y| of a pose [m] (start, end, waypoint) where the
// arithmetic of the passes holds: a pass there agrees with the same pass near
// the origin to 1e-12 of its length and to 2e-10 m in its runs.  Beyond it a
// pass is refused as a misuse (BadPose), but the simulator's own pass,
// forward from (0, 0, 0), whose end pose is not bounded (a far one is too
// long for maxSteps).
inline constexpr double kPoseMax = 1000.0;

// A pose as the passes take it: position [m] and heading [deg] (reduced
// into (-180, 180] as it enters a pass).
struct Waypoint {
  double x = 0.0;
  double y = 0.0;
  double thDeg = 0.0;
};

// A pose: position, heading and the path length at the pose.
struct Pose {
  double x = 0.0;
  double y = 0.0;
  double th = 0.0;
  double s = 0.0;
};

// One time step of a run: the time, the distance run, the heading, the
// position, the steering angle and the curvature.  In an error record the
// fields after t are the differences AGV - reference.
struct Record {
  double t = 0.0;
  double s = 0.0;
  double th = 0.0;
  double x = 0.0;
  double y = 0.0;
  double phi = 0.0;
  double kap = 0.0;
};

// A record of the reference point on a CP curve: also the curve parameter u.
struct CurveRecord : Record {
  double u = 0.0;
};

// Extent of a run's values: the largest, the smallest and the larger of
// their magnitudes.
struct Extent {
  double hi = 0.0;
  double lo = 0.0;
  double mag = 0.0;
};

// What a check found: nothing, an occupied (or unknown) cell, or the world outside the map.
enum class Touch : std::uint8_t { None, Occupied, Outside };

// The result of a check: of one pose, or the first contact along a run or a path.
struct Contact {
  Touch touch = Touch::None;
  long index = -1;   // the record or sample of the first contact (-1 for one pose, or none)
  double t = 0.0;    // its time [s] (run records)
  double s = 0.0;    // its distance along the run or path [m]
  double x = 0.0;    // the pose there [m, m, rad]
  double y = 0.0;
  double th = 0.0;
  int col = -1;      // Occupied: a cell the body reaches into, row 0 the top row
  int row = -1;

  explicit operator bool() const { return touch != Touch::None; }
};

// Where the paths and the runs of a pass first touch the map it was checked against (a pass with
// a map): the path and the runs of each drawing, [0] the arc-line path (a CP pass: its curve)
// and [1] the clothoid-line path, each run [index(m)] of its mechanism.
struct Contacts {
  bool checked = false;  // the pass was checked against a map
  Contact path[2];       // the path, sampled at most half a cell apart
  Contact cv[2][3];      // the constant-velocity AGV, record by record
  Contact vv[2][3];      // the variable-velocity AGV (PTP paths)
  Contact tr[2][3];      // the tracked AGV (a controller set)
};

// The summary of one constant-velocity run with its variable-velocity run:
// their step counts and durations, the largest and the final position error
// and the final heading error of the constant-velocity AGV.
struct RunSummary {
  int steps = 0;
  double T = 0.0;
  int vsteps = 0;  // PTP only
  double vT = 0.0;
  double maxerr = 0.0;
  double enderr = 0.0;
  double endtherr = 0.0;
  // The tracked AGV, where it ran (a controller set; not for one leg of a route): its steps
  // and duration, its largest, RMS and final cross-track error, its final position and
  // heading error against the end of the path; and beside it the largest cross-track error of
  // the constant-velocity AGV.
  bool tracked = false;
  long trsteps = 0;
  double trT = 0.0;
  double trmaxxte = 0.0;
  double trrmsxte = 0.0;
  double trendxte = 0.0;
  double trenderr = 0.0;
  double trendtherr = 0.0;
  double cvmaxxte = 0.0;
  // The first contacts with a map of the constant-velocity, variable-velocity and tracked AGVs
  // (a pass with a map).
  Contact cvcontact, vvcontact, trcontact;
};

// The result of a pass: done, a refusal of the path, or a misuse of the
// library.
enum class Status {
  Done,
  // Refusals of a PTP path.
  PathTooLong,  // no join short enough, or the step tables need maxSteps steps or more
  RunTooLong,   // a run needs maxSteps time steps or more
  // Refusals of a CP curve.
  RangeTooLong,  // the parameter range does not fit the arc-length table
  CurveTooLong,  // the curve is longer than maxSteps CP steps
  CurveSteps,    // a mechanism needs maxSteps steps or records or more
  CurveTooSharp,  // the curve bends too sharply to be measured or run with the time step
  // Refusal of either.
  TooMuchMemory,  // the records of the pass would take more than maxMemory
  // Misuse.
  BadParams,       // a parameter out of its range (checkparams says which)
  BadPose,         // a pose that is not finite (stage 0), or beyond kPoseMax (stage 1)
  UnknownCurve,    // no curve of that number
  BadConstants,    // a curve constant that is negative or not finite
  UndefinedCurve,  // constants that define no curve (a division by zero, an endless range)
  BadRoute,        // a route of fewer than two waypoints, or of more than kRouteMax
  BadSpacing,      // poses along a plan asked for every ds, ds not above 0 or too small
  BadTrack,        // a track's points: too few or too many, not finite, or one repeated
  NotPlanned,      // runs (or poses) asked for without a plan that is done
  NoPathInMap,     // a pass in a map whose search found no path (stage: the SearchStatus; count:
                   // its stage where the goal is unreachable, its expansions otherwise; value,
                   // limit and contact as its SearchResult has them)
  BadPath,         // a path given as its segments: segment `count` (1, 2, ...) is no arc or line
                   // of a length 0 or more driven forward or (reverse=1) backward (stage 0), or
                   // it ends `value` [m or rad] from its end pose (stage 1)
};

// A pass's status and the numbers of its report, as far as the status has
// them.
struct Refusal {
  Status status = Status::Done;
  // PathTooLong: 0 the planner found no join, 1 a step table or schedule
  // is too long.  BadPose: 0 not finite, 1 beyond kPoseMax.  CurveSteps: 0
  // the step count of a mechanism, 1 its run.
  // CurveTooSharp: 0 the length, 1 the arc-length table cannot be measured,
  // 2 the run's reference point strays from the curve, 3 a track's spline has no heading at
  // the arc length `value` (it stops to turn).  BadTrack: 0 too few or too many points, 1 a
  // point (or the heading of an end) not finite, 2 a point equal to the one before, 3 points
  // too far apart for their chord lengths to be added, 4 points too close together for their
  // size: the spline's coefficients up to point `count` are beyond a double's range.
  int stage = 0;
  // RunTooLong: the run refused, 'a' arc-line or 'b' clothoid-line
  // constant-velocity run, 'v' a variable-velocity run.  TooMuchMemory: 'c'
  // for a CP pass.
  char run = 0;
  int mechanism = 0;  // CurveSteps, CurveTooSharp: the Mechanism's number, 1, 2 or 3
  int count = 0;      // RunTooLong, CurveSteps: the count refused; TooMuchMemory: the most
                      // time steps of a run; BadTrack: the points, or the point refused (1 ...)
  // RangeTooLong: the end of the parameter range and the table's limit;
  // CurveTooLong: the length of the curve and its limit; CurveTooSharp,
  // stage 2: how far the reference point strayed [m] and the limit;
  // TooMuchMemory: the memory the records would take and maxMemory [MiB].
  double value = 0.0;
  double limit = 0.0;
  Contact contact = {};  // NoPathInMap: the start or goal pose that collides, and what it touches
};

// Why a pass did not finish, in English; empty for Done.
std::string reason(const Refusal& r, const Params& p);

}  // namespace agv
