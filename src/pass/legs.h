// What the passes of one path and of a route share.
#pragma once

#include "agv/ptp.h"

namespace agv {

// The plan of a PTP path (planPTP) whose arc-line variable-velocity runs begin with the
// steering angle phiStart: 0 for a path alone, where the leg before ended on a route.
Status planleg(const Params& p, const Waypoint& start, const Waypoint& end, double phiStart,
               PtpResult& r);

}  // namespace agv
