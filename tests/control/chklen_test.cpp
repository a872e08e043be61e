// The CP length check against 3000 CP time steps.
#include <gtest/gtest.h>

#include "control/dialogue.h"
#include "control/params.h"
#include "control/startup.h"
#include "cp/curves.h"
#include "support/session.h"

using agvtest::scripted;

namespace {

// A straight line of length L: the quadratic with zero height.
void line(double L) {
  scripted("", [] { agv::startup(); });
  agv::A3 = 0.0;
  agv::L3 = L;
  agv::curvsetup(3);
}

TEST(Chklen, LengthEqualToTheLimitPasses) {
  line(60.0);
  int ok = 0;
  auto s = scripted("", [&] { ok = agv::chklen(3); });
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(s.out, "");
  EXPECT_EQ(agv::Pfcp[3][3], 60.0);
}

TEST(Chklen, LongerCurveIsRefused) {
  line(60.01);
  int ok = 1;
  auto s = scripted("", [&] { ok = agv::chklen(3); });
  EXPECT_EQ(ok, 0);
  EXPECT_EQ(s.out, "\n経路番号I=3 経路長sf=60.0100>60.0000=smax限界を超えている．経路設定し直し");
  EXPECT_NEAR(agv::Pfcp[3][3], 60.01, 1e-9);
}

TEST(Chklen, DefaultCurvesPass) {
  scripted("", [] { agv::startup(); });
  for (int I : {1, 2, 3, 4, 11, 12, 13, 14, 16}) {
    agv::curvsetup(I);
    EXPECT_EQ(scripted("", [&] { EXPECT_EQ(agv::chklen(I), 1); }).out, "") << I;
    EXPECT_GT(agv::Pfcp[I][3], 0.0) << I;
  }
}

}  // namespace
