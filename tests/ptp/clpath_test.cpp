// Step tables of the arc-line runs and the clothoid-line path.
#include "ptp/clpath.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "control/params.h"
#include "ptp/planner.h"
#include "ptputil.h"

namespace {

using ptptest::plan;

void expectCounts(const int n[4], int n0, int n1, int n2) {
  EXPECT_EQ(n[0], n0);
  EXPECT_EQ(n[1], n1);
  EXPECT_EQ(n[2], n2);
  EXPECT_EQ(n[3], n0 + n1 + n2);
}

TEST(ClothoidLine, DefaultEndPose) {
  ASSERT_EQ(plan(2, 3, 0).ret, 1);
  // Arc-line path: the front-drive mechanism is slower on the arcs.
  expectCounts(agv::nSeg[0], 78, 50, 78);
  expectCounts(agv::nSeg[1], 111, 50, 111);
  expectCounts(agv::nSeg[2], 78, 50, 78);
  EXPECT_NEAR(agv::Tseg[1][0], (agv::PI / 2) / std::cos(agv::PI / 4), 1e-12);

  // Both quarter turns become clothoid pairs without a middle arc.
  for (int j : {0, 2}) {
    EXPECT_NEAR(agv::Kc[j], 1.870, 5e-4);
    EXPECT_NEAR(agv::sc3[j][0], 0.840, 5e-4);
    EXPECT_NEAR(agv::sc3[j][1], 0.0, 1e-12);
    EXPECT_EQ(agv::sc3[j][2], agv::sc3[j][0]);
    EXPECT_NEAR(agv::sc[j], 1.680, 5e-4);
    EXPECT_DOUBLE_EQ(agv::phiC[j], std::atan(agv::Kc[j]));
    for (int k = 0; k < 3; ++k) EXPECT_EQ(agv::nc3[k][j][1], 0);
  }
  EXPECT_DOUBLE_EQ(agv::sc[1], 1.0);
  EXPECT_EQ(agv::Kc[1], 0.0);
  EXPECT_EQ(agv::Kcs, agv::Kc[2]);
  expectCounts(agv::nc[0], 84, 50, 84);
  expectCounts(agv::nc[1], 120, 50, 120);
  expectCounts(agv::nc[2], 84, 50, 84);
  EXPECT_EQ(agv::nc[0][3], 218);
  EXPECT_EQ(agv::nc[1][3], 290);
  // The 1 m line: 50 steps of 0.02 s for every mechanism, on both paths.
  for (int k = 0; k < 3; ++k) {
    EXPECT_DOUBLE_EQ(agv::dtSeg[k][1], 0.02);
    EXPECT_EQ(agv::nc3[k][1][1], 50);
    EXPECT_DOUBLE_EQ(agv::dtc3[k][1][1], 0.02);
  }
  EXPECT_DOUBLE_EQ(agv::Tc[0][3], agv::Tc[0][0] + agv::Tc[0][1] + agv::Tc[0][2]);
}

TEST(ClothoidLine, FrontDriveNeedsMoreTimeOnCurves) {
  for (const auto& pose : {std::array{2.0, 3.0, 0.0}, std::array{4.0, -3.0, -45.0},
                           std::array{0.5, 0.2, 0.0}, std::array{3.0, 1.0, 0.0}}) {
    ASSERT_EQ(plan(pose[0], pose[1], pose[2]).ret, 1);
    for (int j = 0; j < 3; ++j) {
      if (agv::sgnK[j] == 0) {
        EXPECT_EQ(agv::Tc[1][j], agv::Tc[0][j]);
        EXPECT_EQ(agv::Tseg[1][j], agv::Tseg[0][j]);
      } else {
        EXPECT_GT(agv::Tc[1][j], agv::Tc[0][j]);
        EXPECT_GT(agv::Tseg[1][j], agv::Tseg[0][j]);
        EXPECT_EQ(agv::Tc[2][j], agv::Tc[0][j]);
        // The clothoid-line curve is never shorter than the arc it replaces.
        EXPECT_GE(agv::sc[j], agv::s[j]);
      }
    }
  }
}

TEST(ClothoidLine, HalfTurnKeepsAMiddleArc) {
  ASSERT_EQ(plan(0, 2, 180).ret, 1);  // one left half turn
  ASSERT_EQ(agv::sgnK[0], 1);
  EXPECT_NEAR(agv::s[0], agv::PI, 1e-6);
  EXPECT_NEAR(agv::Kc[0], 1.011, 5e-4);
  EXPECT_NEAR(agv::sc[0], 3.613, 5e-4);
  EXPECT_GT(agv::sc3[0][1], 0);
  EXPECT_DOUBLE_EQ(agv::sc3[0][3], agv::sc3[0][0] + agv::sc3[0][1] + agv::sc3[0][2]);
  for (int k = 0; k < 3; ++k) {
    EXPECT_GT(agv::nc3[k][0][1], 0);
    EXPECT_EQ(agv::nc[k][0], agv::nc3[k][0][1] + 2 * agv::nc3[k][0][0]);
  }
}

// Straight ahead, the adopted row keeps arcs of about 1e-16 m.
TEST(ClothoidLine, CurvedSegmentOfVanishingLength) {
  ASSERT_EQ(plan(4, 0, 0).ret, 1);
  ASSERT_NE(agv::sgnK[0], 0);
  ASSERT_LT(agv::s[0], agv::sVanish);
  for (int j : {0, 2}) {
    EXPECT_EQ(agv::sc[j], 0.0);
    for (int m = 0; m < 4; ++m) EXPECT_EQ(agv::sc3[j][m], 0.0);
    EXPECT_EQ(agv::Kc[j], 1 / agv::Rarc);
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(agv::nc[k][j], 0);
      EXPECT_EQ(agv::Tc[k][j], 0.0);
      EXPECT_EQ(agv::nSeg[k][j], 0);
      for (int m = 0; m < 3; ++m) {
        EXPECT_EQ(agv::nc3[k][j][m], 0);
        EXPECT_EQ(agv::dtc3[k][j][m], 0.0);
      }
    }
  }
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(agv::nSeg[k][3], 200);
    EXPECT_EQ(agv::nc[k][3], 200);
  }
}

TEST(ClothoidLine, StepLimitStraightAhead) {
  auto p = plan(60, 0, 0);
  EXPECT_EQ(p.ret, 0);
  EXPECT_EQ(agv::nSeg[0][3], 3000);
  p = plan(59.98, 0, 0);
  EXPECT_EQ(p.ret, 1);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(agv::nSeg[k][3], 2999);
    EXPECT_EQ(agv::nc[k][3], 2999);
  }
}

}  // namespace
