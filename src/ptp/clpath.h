// Clothoid-line PTP path and the step tables of the constant-velocity runs.
#pragma once

#include "agv/ptp.h"
#include "base/model.h"

namespace agv {

// Sums the step counts n[0 .. nseg-1] of the segments into n[TOTAL]; 1 when
// the total is below max, 0 when it is not.
int steptotal(int n[], int nseg, int max);

// The sum of the times T[0 .. nseg-1] of the segments, in their order.
double segsum(const double T[], int nseg);

// Step tables of the arc-line runs, the clothoid-line path and its step
// tables; 1 on success, 0 when a step total reaches maxSteps.
int calclothoid(const Model& m, const ArcPath& a, ClothoidPath& c, Steps& st);

}  // namespace agv
