// Test support: what the tests read off a run's records.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

#include "agv/types.h"

namespace agvtest {

// The changes of driving direction of a run: of the sign of each step along its heading.
inline int reversals(const std::vector<agv::Record>& run) {
  int n = 0, was = 0;
  for (std::size_t i = 1; i < run.size(); ++i) {
    const double along = (run[i].x - run[i - 1].x) * std::cos(run[i - 1].th) +
                         (run[i].y - run[i - 1].y) * std::sin(run[i - 1].th);
    const int now = along > 0.0 ? 1 : along < 0.0 ? -1 : was;
    if (was != 0 && now != was) ++n;
    was = now;
  }
  return n;
}

}  // namespace agvtest
