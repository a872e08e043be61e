// The exact test of a pose, without the index's shortcut (for the tests that compare the two),
// and the samples of a segment as the map's check takes them (for the search's own checks).
#pragma once

#include "agv/map.h"

namespace agv {

// Whether the body at (x, y, th) collides, by the exact test of every cell it reaches into.
Contact exactcontact(const MapIndex& ix, double x, double y, double th);

// The most samples of a segment: whole numbers a double counts exactly.
inline constexpr double kMaxSteps = 9007199254740992.0;  // 2^53

// The pose at signed distance sd from a along a line or an arc of curvature kap.
Pose along(const Pose& a, double kap, double sd);

}  // namespace agv
