// Variable-velocity schedule of the steered mechanisms.
#include "ptputil.h"

namespace ptptest {

constexpr double kSteer = agv::PI / 8;  // [s] a quarter-pi turn of the wheel

TEST(ArcLineSchedule, SteeringPhaseInFrontOfEverySegment) {
  const Plan p = plan(3, 1, 0);
  ASSERT_EQ(p.ret, 1);
  const agv::Schedule& v = p.v();
  const int run[3][3] = {{}, {25, 122, 25}, {18, 122, 18}};
  for (int k = 1; k <= 2; ++k)
    for (int j = 0; j < 3; ++j) {
      EXPECT_NEAR(v.Tv[k][j][0], kSteer, 1e-12);
      EXPECT_EQ(v.nv2[k][j][0], 19);
      EXPECT_EQ(v.nv2[k][j][1], run[k][j]);
      EXPECT_EQ(v.nvSeg[k][j], 19 + run[k][j]);
    }
  EXPECT_EQ(v.nvSeg[1].total, 229);
  EXPECT_EQ(v.nvSeg[2].total, 215);
}

// The S-curve to (2, 2, 0°): its 0 m line gets no phases; arc 2 steers from arc 1's angle.
TEST(ArcLineSchedule, ZeroLengthSegmentKeepsThePreviousAngle) {
  const Plan p = plan(2, 2, 0);
  ASSERT_EQ(p.ret, 1);
  const agv::Schedule& v = p.v();
  ASSERT_EQ(p.a().s[1], 0.0);
  for (int k = 1; k <= 2; ++k) {
    for (int ph = 0; ph < 2; ++ph) {
      EXPECT_EQ(v.Tv[k][1][ph], 0.0);
      EXPECT_EQ(v.dtv2[k][1][ph], 0.0);
      EXPECT_EQ(v.nv2[k][1][ph], 0);
    }
    EXPECT_EQ(v.nvSeg[k][1], 0);
    EXPECT_NEAR(v.Tv[k][2][0], 2 * kSteer, 1e-12);  // from +pi/4 to -pi/4
    EXPECT_EQ(v.nv2[k][2][0], 39);
  }
}

// A hair beside straight ahead, the adopted row's arcs of 2.5e-7 m (above the planner's
// tolerance, which takes straight ahead as a line alone) must not make the vehicles steer.
TEST(ArcLineSchedule, VanishingArcsGetNoSteeringPhase) {
  const Plan p = plan(4, 1e-6, 0);
  ASSERT_EQ(p.ret, 1);
  const agv::Schedule& v = p.v();
  ASSERT_GT(p.a().s[0], 0.0);
  ASSERT_LT(p.a().s[0], agv::sVanish);
  for (int k = 1; k <= 2; ++k) {
    for (int j = 0; j < 3; ++j) EXPECT_EQ(v.nv2[k][j][0], 0) << k << j;
    EXPECT_EQ(v.nvSeg[k].total, 200);
    EXPECT_EQ(v.nvc[k].total, 200);
    for (int j : {0, 2}) EXPECT_EQ(ints(v.nv5[k][j], 5), V(5, 0));
  }
}

TEST(ClothoidLineSchedule, DefaultEndPose) {
  const Plan p = plan(2, 3, 0);
  ASSERT_EQ(p.ret, 1);
  const agv::Schedule& v = p.v();
  EXPECT_EQ(v.nvSeg[1].total, 3 * 19 + 111 + 50 + 111);
  EXPECT_EQ(v.nvSeg[2].total, 3 * 19 + 78 + 50 + 78);
  const V phases[3] = {{}, {6, 53, 0, 53, 6}, {8, 34, 0, 34, 8}};
  const double phiStar[3] = {0, 0.266, 0.325};
  for (int k = 1; k <= 2; ++k) {
    for (int j : {0, 2}) {
      EXPECT_NEAR(v.Vc[k][j], 0.898, 5e-4);
      // Full speed needs Wc of steering; the steering turns at steerRate at the speed Vc.
      EXPECT_DOUBLE_EQ(v.Vc[k][j] * v.Wc[k][j], 2.0 * 1.0);
      EXPECT_EQ(ints(v.nv5[k][j], 5), phases[k]);
      // The angle where full speed begins, from the length of phase 0.
      const double phi = std::atan(v.sv5[k][j][0] * p.c().Kc[j] / p.c().sc3[j][0]);
      EXPECT_NEAR(phi, phiStar[k], 5e-4);
      EXPECT_NEAR(v.Tv5[k][j][0], phi / 2.0, 1e-12);
    }
    // The straight segment has only the middle phase, at full speed.
    EXPECT_EQ(ints(v.nv5[k][1], 5), V({0, 0, 50, 0, 0}));
    EXPECT_EQ(v.sv5[k][1][2], p.c().sc[1]);
    EXPECT_EQ(v.Vc[k][1], 1.0);
    EXPECT_EQ(v.Wc[k][1], 0.0);
    EXPECT_DOUBLE_EQ(v.dtvl[k][1], 0.02);
    EXPECT_DOUBLE_EQ(v.dtv5[k][1][2], 0.02);
  }
  EXPECT_EQ(v.nvc[1].total, 286);
  EXPECT_EQ(v.nvc[2].total, 218);
}

// A steep clothoid pair: the steering limit holds over the whole clothoid, phases 1 and 3 empty.
TEST(ClothoidLineSchedule, WholeClothoidSteeringLimited) {
  const Plan p = plan(4, -3, -45);
  ASSERT_EQ(p.ret, 1);
  const agv::Schedule& v = p.v();
  ASSERT_NE(p.a().sgnK[2], 0);
  for (int k = 1; k <= 2; ++k) {
    EXPECT_EQ(ints(v.nv5[k][2], 5), V({27, 0, 0, 0, 27}));
    EXPECT_EQ(v.sv5[k][2][0], p.c().sc3[2][0]);
    EXPECT_EQ(v.sv5[k][2][1], 0.0);
    EXPECT_NEAR(v.Tv5[k][2][0], p.c().phiC[2] / 2.0, 1e-15);
  }
}

// Accepted at constant velocity, over the step limit with the steering phases (a long line
// between quarter turns) or with the slow steep clothoids (a long S-bend).
TEST(Schedule, StepLimit) {
  const Plan p = plan(2, 56.8, 0);
  EXPECT_EQ(p.ret, 0);
  EXPECT_EQ(p.st().nc[1].total, 2980);
  EXPECT_EQ(p.v().nvSeg[1].total, 3019);
  EXPECT_TRUE(tooLongSteps(p));
  const Plan q = plan(58, 0.1, 0);
  EXPECT_EQ(q.ret, 0);
  EXPECT_EQ(q.v().nvSeg[1].total, 2958);
  EXPECT_EQ(q.v().nvc[1].total, 3007);
  EXPECT_TRUE(tooLongSteps(q));
}

}  // namespace ptptest
