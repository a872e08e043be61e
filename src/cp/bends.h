// How a curve bends: its largest curvature and the stretches tighter than a limit.
#pragma once

#include "agv/track.h"
#include "cp/arclen.h"

namespace agv {

// The samples of the curvature between two points where curvpeak cuts the curve (the knots of
// a spline).
inline constexpr int kBendSamples = 16;

// The bends of the curve of t against the curvature `limit` [1/m]: its curvature's magnitude
// sampled kBendSamples times between the points of curvpeak, the largest refined between the
// samples beside it, each crossing of the limit found between the two samples it lies between.
// False where the curvature is not a number (the curve has no heading there); `at` gets that
// parameter.
bool bends(const CurveTable& t, double limit, Bends& out, double& at);

}  // namespace agv
