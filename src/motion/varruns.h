// PTP variable-velocity runs.
#pragma once

#include "agv/ptp.h"
#include "base/model.h"

namespace agv {

// The variable-velocity runs of the three mechanisms on both paths into
// r.arc[k].vv and r.cl[k].vv (mechanism 0 drives its reference runs);
// 0, or maxSteps when a schedule would run past the step capacity.
int caltrajVV(const Model& m, PtpResult& r);

// The first record of a run at the start pose of path a: time 0, standing,
// steering straight.
Record vvstart(const ArcPath& a);

// The variable-velocity run of the steered mechanism k (1 or 2) on the path
// of `variant` ('a' arc-line, 'b' clothoid-line) from the record `first`,
// appended to vv (first included): the number of steps taken, or maxSteps
// when the schedule would run past the step capacity.  The arc-line run
// begins with the steering angle of `first`, which the schedule took as
// r.schedule.phiStart.
int vvrun(const Model& m, const PtpResult& r, char variant, int k, const Record& first,
          std::vector<Record>& vv);

// Mechanism 0's variable-velocity run: its reference records from index
// `from` on, appended to vv (time, distance, heading, position, steering;
// no curvature).
void copyref(const std::vector<Record>& ref, size_t from, std::vector<Record>& vv);

}  // namespace agv
