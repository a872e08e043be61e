// PTP constant-velocity runs.
#pragma once

#include "agv/ptp.h"
#include "base/model.h"

namespace agv {

// Where a constant-velocity run begins: its time, the distances the
// reference point and the AGV have run, and the AGV's pose and steering
// angle.  The reference point begins on the path's start pose.
struct RunStart {
  double t = 0.0, sR = 0.0, sA = 0.0;
  double th = 0.0, x = 0.0, y = 0.0, phi = 0.0;
};

// A run's beginning at the start pose of path a, at time 0, steering
// straight; and the beginning of the run that carries on from the last
// record of `runs` (a route's next leg).
RunStart startof(const ArcPath& a);
RunStart carryon(const Runs& runs);

// One run of mechanism k on the path of `variant` ('a' arc-line, 'b'
// clothoid-line) from st, appended to out.ref, out.cv and out.err: the
// number of steps taken (its records are one more), or maxSteps when the
// step index would reach maxSteps (refusal gets the count refused).
int runptp(const Model& m, const PtpResult& r, char variant, int k, const RunStart& st, Runs& out,
           Refusal& refusal);

// The six runs (arc-line, then clothoid-line, types 1 to 3); the step
// count of the last, or maxSteps when a run is refused.
int caltrajPTP(const Model& m, PtpResult& r);

}  // namespace agv
