// The extents that scale the graphs.
#pragma once

#include <vector>

#include "agv/cp.h"
#include "agv/ptp.h"

namespace agv {

// Extent of the values f(rec[0]), g(rec[0]), ..., f(rec[n]), g(rec[n]),
// taken in that order.
template <class R, class S>
Extent bounds(const std::vector<R>& a, double Record::*f, const std::vector<S>& b,
              double Record::*g);

// The extents from the runs just computed: x and y of the arc-line
// reference runs; x and y of the CP reference runs and the curvature of
// the CP reference and AGV runs.
void extentsPTP(PtpResult& r);
void extentsCP(CpResult& r);

}  // namespace agv
