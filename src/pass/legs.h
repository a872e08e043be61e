// What the passes of one path and of a route share.
#pragma once

#include <cmath>
#include <numbers>
#include <vector>

#include "agv/ptp.h"
#include "agv/route.h"
#include "agv/search.h"

namespace agv {

// Radians per degree, exact to the last place (DEG2RAD is the simulator's shorter one).
inline constexpr double kRadPerDeg = std::numbers::pi / 180;

// A pose whose coordinates are numbers.
inline bool finite(const Waypoint& w) {
  return std::isfinite(w.x) && std::isfinite(w.y) && std::isfinite(w.thDeg);
}

// A pose within the bound where the arithmetic holds.
inline bool within(const Waypoint& w) { return std::fabs(w.x) <= kPoseMax && std::fabs(w.y) <= kPoseMax; }

// The plan of a PTP path (planPTP) whose arc-line variable-velocity runs begin with the
// steering angle phiStart, and whose vehicle drives in the direction `from` before it (+1, -1;
// 0 none): for a path alone 0 and 0, on a route where the leg before ended.  A path that may
// back up weighs a change of that direction at its start with cuspCost.
Status planleg(const Params& p, const Waypoint& start, const Waypoint& end, double phiStart, int from,
               PtpResult& r);

// The plan of a path from start to end in the map of ix (built for p's body): the search (its
// work buffers `work`, its result `found`), then planlegpath with the segments it found, to
// the end pose; NoPathInMap, the search's status and numbers in the refusal, where it finds
// none.
Status planlegmap(const Params& p, const MapIndex& ix, const Waypoint& start, const Waypoint& end,
                  double phiStart, SearchWork& work, SearchResult& found, PtpResult& r);

// The plans of a route's legs (planRoute), each leg's path searched in the map of ix where ix is
// not null (planlegmap).
Status planroute(const Params& p, const std::vector<Waypoint>& waypoints, const MapIndex* ix,
                 RouteResult& r);

// The plan of a path given as its segments (planPath; end null: none given) whose arc-line
// variable-velocity runs begin with the steering angle phiStart.
Status planlegpath(const Params& p, const Waypoint& start, const Waypoint* end,
                   const std::vector<PathSegment>& segments, double phiStart, PtpResult& r);

}  // namespace agv
