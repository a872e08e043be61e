// Clothoid-line PTP path and the step tables of the constant-velocity runs.
#pragma once

#include <vector>

#include "agv/ptp.h"
#include "base/model.h"

namespace agv {

// Sums the step counts n[0 .. nseg-1] of the segments into n.total; 1 when
// the total is below max, 0 when it is not.
int steptotal(Summed<int>& n, int nseg, int max);

// The sum of the times T[0 .. nseg-1] of the segments, in their order.
double segsum(const std::vector<double>& T, int nseg);

// The memory the tables of a plan of n segments take (path, clothoids, step tables and
// schedules) [bytes].
double planbytes(int n);

// Step tables of the arc-line runs, the clothoid-line path and its step
// tables; 1 on success, 0 when a step total reaches maxSteps.
int calclothoid(const Model& m, const ArcPath& a, ClothoidPath& c, Steps& st);

}  // namespace agv
