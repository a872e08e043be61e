// The tracked AGV: a fourth run on a path, steered by a controller (pure pursuit, Stanley or
// rear-wheel feedback) from its own pose measured against the path, with the kinematics, the
// steering rate limit, the speed and the Runge-Kutta-Gill step of the constant-velocity AGV.
#pragma once

#include <cstddef>
#include <vector>

#include "agv/cp.h"
#include "agv/ptp.h"
#include "base/model.h"

namespace agv {

// A path as the tracked AGV sees it: the n records of a reference run, joined by arcs (each
// the circle through two records in a row, tangent to the first one's heading), so that lines
// and circles are followed exactly.  A path driven backward (`back`) is travelled against its
// records' headings: its arcs leave each record turned half a turn, and the AGV drives it
// backward, steered as an AGV turned half a turn would be forward.
template <class R>
struct PathRecs {
  const R* rec;
  size_t n;
  bool back = false;
};

// The run of mechanism `type` with time step h along `path` from `start` (its pose, time and
// distance; its steering as it holds it), appended to tr, with the cross-track error of each
// record appended to xte (positive left of the path's direction of travel; its size the
// distance to the nearest point of the path).  It ends when the nearest point reaches the
// path's end, or after `steps` steps.  True when it reached the end.  With `stand` (the start of
// a stretch after a cusp) the AGV first stands while its steering turns to its first command.
// The controller is the one m.controller names (motion/control.h); with none, nothing is run.
template <class R>
bool trackrun(const Model& m, int type, double h, const PathRecs<R>& path, const Record& start,
              long steps, std::vector<Record>& tr, std::vector<double>& xte, bool stand = false);

// Where the tracked AGV starts: the pose of the path's first record moved by the offset of m
// (ahead, to the left, turned), at the first record's time and distance.
Record trackstart(const Model& m, const Record& first);

// The largest cross-track error of recs (on the clock of the reference records ref) against the
// path of ref, split at its cusps where `cusps`, measured as the tracked run measures its own.
template <class R>
double maxcrosstrack(const std::vector<R>& ref, const std::vector<Record>& recs, bool cusps);

// The tracked run of mechanism k (0 ... 2) on the reference run of `runs`, into its tr and xte
// (cleared first; left empty while no controller is set), with the time step h and at most
// `steps` steps.
void trackruns(const Model& m, int k, double h, long steps, Runs& runs);
void trackruns(const Model& m, int k, double h, long steps, CpRuns& runs);

// The bytes of one record of a tracked run, with its cross-track error.
inline constexpr double kTrackRecord = sizeof(Record) + sizeof(double);

// The most steps each of `runs` tracked runs may take: `bound`, or fewer where their records
// would take more than maxMemory leaves beside the `used` bytes of the other runs.  (A plan
// counts a tracked run as large as its constant-velocity run, the size of a run that follows;
// one that does not follow ends at this bound.)
long trackbound(const Params& p, double used, int runs, long bound);

}  // namespace agv
