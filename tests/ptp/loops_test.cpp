// Loops whose bound depends on computed values end even when a value is
// not a number or infinite.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "control/params.h"
#include "control/startup.h"
#include "cp/arclen.h"
#include "cp/curves.h"
#include "ptp/clothoid.h"
#include "ptp/planner.h"
#include "support/session.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(Loops, NonFiniteValuesEndEveryLoop) {
  double step = 1.0;
  int n = 1;
  agv::calstep(kNaN, agv::dt, step, n);  // no steps for a duration that is no number
  EXPECT_EQ(n, 0);
  EXPECT_EQ(step, 0.0);

  agv::Karc = 1.0;
  double phi = 0, kap = 0;
  EXPECT_EQ(agv::clsolve(kNaN, phi, kap), 0);  // the scan ends at once
  EXPECT_EQ(agv::clsolve(-kInf, phi, kap), 0);

  agvtest::scripted("", [] { agv::startup(); });
  agv::curvsetup(1);
  agvtest::scripted("", [] { agv::Pfcp[1][3] = agv::curvlen(0.0, agv::uend[1], 1); });
  agv::caltab(1);
  EXPECT_TRUE(std::isnan(agv::s2u(1.0, kNaN, 1)));
  EXPECT_EQ(agv::s2u(kNaN, 1.0, 1), agv::s2u(0.0, 1.0, 1));  // a guess that is no number
  EXPECT_EQ(agv::s2u(1.0, kInf, 1), agv::uend[1]);
  EXPECT_TRUE(std::isnan(agv::curvlen(0.0, kNaN, 1)));
}

}  // namespace
