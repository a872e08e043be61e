// Variable-velocity schedule of the steered mechanisms.
#include "ptputil.h"

namespace ptptest {

constexpr double kSteer = agv::PI / 8;  // [s] a quarter-pi turn of the wheel

TEST(ArcLineSchedule, SteeringPhaseInFrontOfEverySegment) {
  ASSERT_EQ(plan(3, 1, 0).ret, 1);
  const int run[3][3] = {{}, {25, 122, 25}, {18, 122, 18}};
  for (int k = 1; k <= 2; ++k)
    for (int j = 0; j < 3; ++j) {
      EXPECT_NEAR(agv::Tv[k][j][0], kSteer, 1e-12);
      EXPECT_EQ(agv::nv2[k][j][0], 19);
      EXPECT_EQ(agv::nv2[k][j][1], run[k][j]);
      EXPECT_EQ(agv::nvSeg[k][j], 19 + run[k][j]);
    }
  EXPECT_EQ(agv::nvSeg[1][3], 229);
  EXPECT_EQ(agv::nvSeg[2][3], 215);
}

// The S-curve to (2, 2, 0°): its 0 m line gets no phases; arc 2 steers from arc 1's angle.
TEST(ArcLineSchedule, ZeroLengthSegmentKeepsThePreviousAngle) {
  ASSERT_EQ(plan(2, 2, 0).ret, 1);
  ASSERT_EQ(agv::s[1], 0.0);
  for (int k = 1; k <= 2; ++k) {
    for (int p = 0; p < 2; ++p) {
      EXPECT_EQ(agv::Tv[k][1][p], 0.0);
      EXPECT_EQ(agv::dtv2[k][1][p], 0.0);
      EXPECT_EQ(agv::nv2[k][1][p], 0);
    }
    EXPECT_EQ(agv::nvSeg[k][1], 0);
    EXPECT_NEAR(agv::Tv[k][2][0], 2 * kSteer, 1e-12);  // from +pi/4 to -pi/4
    EXPECT_EQ(agv::nv2[k][2][0], 39);
  }
}

// Straight ahead, the adopted row's arcs of about 1e-16 m must not make the vehicles steer.
TEST(ArcLineSchedule, VanishingArcsGetNoSteeringPhase) {
  ASSERT_EQ(plan(4, 0, 0).ret, 1);
  ASSERT_GT(agv::s[0], 0.0);
  ASSERT_LT(agv::s[0], agv::sVanish);
  for (int k = 1; k <= 2; ++k) {
    for (int j = 0; j < 3; ++j) EXPECT_EQ(agv::nv2[k][j][0], 0) << k << j;
    EXPECT_EQ(agv::nvSeg[k][3], 200);
    EXPECT_EQ(agv::nvc[k][3], 200);
    for (int j : {0, 2}) EXPECT_EQ(ints(agv::nv5[k][j], 5), V(5, 0));
  }
}

TEST(ClothoidLineSchedule, DefaultEndPose) {
  ASSERT_EQ(plan(2, 3, 0).ret, 1);
  EXPECT_EQ(agv::nvSeg[1][3], 3 * 19 + 111 + 50 + 111);
  EXPECT_EQ(agv::nvSeg[2][3], 3 * 19 + 78 + 50 + 78);
  const V phases[3] = {{}, {6, 53, 0, 53, 6}, {8, 34, 0, 34, 8}};
  const double phiStar[3] = {0, 0.266, 0.325};
  for (int k = 1; k <= 2; ++k) {
    for (int j : {0, 2}) {
      EXPECT_NEAR(agv::Vc[k][j], 0.898, 5e-4);
      // Full speed needs Wc of steering; the steering turns at steerRate at the speed Vc.
      EXPECT_DOUBLE_EQ(agv::Vc[k][j] * agv::Wc[k][j], agv::steerRate * agv::Vmax);
      EXPECT_EQ(ints(agv::nv5[k][j], 5), phases[k]);
      // The angle where full speed begins, from the length of phase 0.
      const double phi = std::atan(agv::sv5[k][j][0] * agv::Kc[j] / agv::sc3[j][0]);
      EXPECT_NEAR(phi, phiStar[k], 5e-4);
      EXPECT_NEAR(agv::Tv5[k][j][0], phi / agv::steerRate, 1e-12);
    }
    // The straight segment has only the middle phase, at full speed.
    EXPECT_EQ(ints(agv::nv5[k][1], 5), V({0, 0, 50, 0, 0}));
    EXPECT_EQ(agv::sv5[k][1][2], agv::sc[1]);
    EXPECT_EQ(agv::Vc[k][1], agv::Vmax);
    EXPECT_EQ(agv::Wc[k][1], 0.0);
    EXPECT_DOUBLE_EQ(agv::dtvl[k][1], 0.02);
    EXPECT_DOUBLE_EQ(agv::dtv5[k][1][2], 0.02);
  }
  EXPECT_EQ(agv::nvc[1][3], 286);
  EXPECT_EQ(agv::nvc[2][3], 218);
}

// A steep clothoid pair: the steering limit holds over the whole clothoid, phases 1 and 3 empty.
TEST(ClothoidLineSchedule, WholeClothoidSteeringLimited) {
  ASSERT_EQ(plan(4, -3, -45).ret, 1);
  ASSERT_NE(agv::sgnK[2], 0);
  for (int k = 1; k <= 2; ++k) {
    EXPECT_EQ(ints(agv::nv5[k][2], 5), V({27, 0, 0, 0, 27}));
    EXPECT_EQ(agv::sv5[k][2][0], agv::sc3[2][0]);
    EXPECT_EQ(agv::sv5[k][2][1], 0.0);
    EXPECT_NEAR(agv::Tv5[k][2][0], agv::phiC[2] / agv::steerRate, 1e-15);
  }
}

// Accepted at constant velocity, over the step limit with the steering phases (a long line
// between quarter turns) or with the slow steep clothoids (a long S-bend).
TEST(Schedule, StepLimit) {
  auto p = plan(2, 56.8, 0);
  EXPECT_EQ(p.ret, 0);
  EXPECT_EQ(agv::nc[1][3], 2980);
  EXPECT_EQ(agv::nvSeg[1][3], 3019);
  EXPECT_TRUE(twiceTooLong(p.out));  // calvelPTP's message, then calPTP's
  p = plan(58, 0.1, 0);
  EXPECT_EQ(p.ret, 0);
  EXPECT_EQ(agv::nvSeg[1][3], 2958);
  EXPECT_EQ(agv::nvc[1][3], 3007);
  EXPECT_TRUE(twiceTooLong(p.out));
}

}  // namespace ptptest
