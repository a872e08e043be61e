// PTP variable-velocity runs.
#pragma once

#include "agv/ptp.h"
#include "base/model.h"

namespace agv {

// The variable-velocity runs of the three mechanisms on both paths into
// r.arc[k].vv and r.cl[k].vv (mechanism 0 drives its reference runs);
// 0, or maxSteps when a schedule would run past the step capacity.
int caltrajVV(const Model& m, PtpResult& r);

}  // namespace agv
