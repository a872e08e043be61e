// Loops whose bound depends on computed values end even when a value is
// not a number or infinite.
#include <gtest/gtest.h>

#include <limits>

#include "control/params.h"
#include "ptp/clothoid.h"
#include "ptp/planner.h"

namespace {

TEST(Loops, NonFiniteValuesEndTheStepDivisionAndTheFit) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  double step = 1.0;
  int n = 1;
  agv::calstep(kNaN, agv::dt, step, n);  // no steps for a duration that is no number
  EXPECT_EQ(n, 0);
  EXPECT_EQ(step, 0.0);

  agv::Karc = 1.0;
  double phi = 0, kap = 0;
  EXPECT_EQ(agv::clsolve(kNaN, phi, kap), 0);  // the scan ends at once
  EXPECT_EQ(agv::clsolve(-std::numeric_limits<double>::infinity(), phi, kap), 0);
}

}  // namespace
