// Variable-velocity schedule of the PTP paths (mechanisms k = 1, 2).
#pragma once

#include "agv/ptp.h"
#include "base/model.h"

namespace agv {

// 1 on success, 0 when a step total reaches maxSteps.  Writes the
// curvature of each curved middle into c.Kcs again as it takes it.
int calvelPTP(const Model& m, const ArcPath& a, ClothoidPath& c, const Steps& st, Schedule& v);

}  // namespace agv
