// Variable-velocity schedule of the steered mechanisms.
#include "ptp/schedule.h"

#include <gtest/gtest.h>

#include <cmath>

#include "control/params.h"
#include "ptp/clpath.h"
#include "ptp/planner.h"
#include "ptputil.h"

namespace {

using ptptest::plan;

constexpr double kSteer = 0.39269908169872414;  // pi/8 s: a quarter-pi turn of the wheel

void expectFive(const int n[5], int n0, int n1, int n2, int n3, int n4) {
  EXPECT_EQ(n[0], n0);
  EXPECT_EQ(n[1], n1);
  EXPECT_EQ(n[2], n2);
  EXPECT_EQ(n[3], n3);
  EXPECT_EQ(n[4], n4);
}

TEST(ArcLineSchedule, SteeringPhaseInFrontOfEverySegment) {
  ASSERT_EQ(plan(3, 1, 0).ret, 1);
  for (int k = 1; k <= 2; ++k) {
    for (int j = 0; j < 3; ++j) {
      EXPECT_NEAR(agv::Tv[k][j][0], kSteer, 1e-12);
      EXPECT_EQ(agv::nv2[k][j][0], 19);
    }
  }
  EXPECT_EQ(agv::nv2[2][0][1], 18);
  EXPECT_EQ(agv::nv2[2][1][1], 122);
  EXPECT_EQ(agv::nv2[2][2][1], 18);
  EXPECT_EQ(agv::nv2[1][0][1], 25);
  EXPECT_EQ(agv::nv2[1][1][1], 122);
  EXPECT_EQ(agv::nv2[1][2][1], 25);
  EXPECT_EQ(agv::nvSeg[2][3], 215);
  EXPECT_EQ(agv::nvSeg[1][3], 229);
  EXPECT_EQ(agv::nvSeg[1][0], 19 + 25);
}

TEST(ArcLineSchedule, DefaultEndPose) {
  ASSERT_EQ(plan(2, 3, 0).ret, 1);
  EXPECT_EQ(agv::nvSeg[1][3], 3 * 19 + 111 + 50 + 111);
  EXPECT_EQ(agv::nvSeg[2][3], 3 * 19 + 78 + 50 + 78);
  EXPECT_EQ(agv::nvSeg[1][3], 329);
  EXPECT_EQ(agv::nvSeg[2][3], 263);
}

// Sets a path by hand: the schedule reads only the published variables.
void setPath(double s0, double s1, double s2, int d0, int d1, int d2) {
  const double len[3] = {s0, s1, s2};
  const int dir[3] = {d0, d1, d2};
  agv::Rarc = 1.0;
  agv::Karc = 1.0;
  agv::phiArc = std::atan2(agv::Lw, agv::Rarc);
  for (int j = 0; j < 3; ++j) {
    agv::s[j] = len[j];
    agv::sgnK[j] = dir[j];
    agv::Kseg[j] = dir[j] == 0 ? 0.0 : 1.0;
    agv::phiSeg[j] = dir[j] == 0 ? 0.0 : agv::phiArc;
  }
  ptptest::scriptedCall([] { return agv::calclothoid(); });
}

// A segment of length 0 gets no steering phase; the next one steers from
// the angle of the last segment that had length.
TEST(ArcLineSchedule, ZeroLengthSegmentKeepsThePreviousAngle) {
  setPath(1.0, 0.0, 1.0, 1, 0, -1);
  ASSERT_EQ(ptptest::scriptedCall([] { return agv::calvelPTP(); }), 1);
  for (int k = 1; k <= 2; ++k) {
    EXPECT_EQ(agv::Tv[k][1][0], 0.0);
    EXPECT_EQ(agv::Tv[k][1][1], 0.0);
    EXPECT_EQ(agv::nv2[k][1][0], 0);
    EXPECT_EQ(agv::nv2[k][1][1], 0);
    EXPECT_EQ(agv::nvSeg[k][1], 0);
    // From +pi/4 straight to -pi/4: twice the usual steering time.
    EXPECT_NEAR(agv::Tv[k][2][0], 2 * kSteer, 1e-12);
    EXPECT_EQ(agv::nv2[k][2][0], 39);
  }
}

// Straight ahead, rounding leaves arcs of about 1e-16 m in the adopted row;
// they must not make the vehicles stop to steer left and right.
TEST(ArcLineSchedule, VanishingArcsGetNoSteeringPhase) {
  ASSERT_EQ(plan(4, 0, 0).ret, 1);
  ASSERT_GT(agv::s[0], 0.0);
  ASSERT_LT(agv::s[0], agv::sVanish);
  for (int k = 1; k <= 2; ++k) {
    for (int j = 0; j < 3; ++j) EXPECT_EQ(agv::nv2[k][j][0], 0) << k << j;
    EXPECT_EQ(agv::nvSeg[k][3], 200);
    EXPECT_EQ(agv::nvc[k][3], 200);
    for (int j : {0, 2}) expectFive(agv::nv5[k][j], 0, 0, 0, 0, 0);  // nor clothoid phases
  }
  // The limit straight ahead is that of the constant-velocity runs.
  EXPECT_EQ(plan(59.98, 0, 0).ret, 1);
  EXPECT_EQ(agv::nvSeg[1][3], 2999);
}

TEST(ClothoidLineSchedule, DefaultEndPoseIsSpeedLimitedAtTheStraightEnds) {
  ASSERT_EQ(plan(2, 3, 0).ret, 1);
  for (int k = 1; k <= 2; ++k) {
    for (int j : {0, 2}) {
      EXPECT_NEAR(agv::Vc[k][j], 0.898, 5e-4);
      EXPECT_DOUBLE_EQ(agv::Wc[k][j], agv::Kc[j] / agv::sc3[j][0]);
    }
  }
  // The angle where full speed begins, from the length of phase 0.
  const double phiS1 = std::atan(agv::sv5[1][0][0] * agv::Kc[0] / agv::sc3[0][0]);
  const double phiS2 = std::atan(agv::sv5[2][0][0] * agv::Kc[0] / agv::sc3[0][0]);
  EXPECT_NEAR(phiS1, 0.266, 5e-4);
  EXPECT_NEAR(phiS2, 0.325, 5e-4);
  for (int j : {0, 2}) {
    expectFive(agv::nv5[1][j], 6, 53, 0, 53, 6);
    expectFive(agv::nv5[2][j], 8, 34, 0, 34, 8);
    EXPECT_NEAR(agv::Tv5[1][j][0], phiS1 / agv::steerRate, 1e-12);
  }
  EXPECT_EQ(agv::nvc[1][1], 50);
  EXPECT_EQ(agv::nvc[1][3], 286);
  EXPECT_EQ(agv::nvc[2][3], 218);
}

TEST(ClothoidLineSchedule, StraightSegmentHasOnlyTheMiddlePhase) {
  ASSERT_EQ(plan(2, 3, 0).ret, 1);
  for (int k = 1; k <= 2; ++k) {
    expectFive(agv::nv5[k][1], 0, 0, 50, 0, 0);
    EXPECT_EQ(agv::sv5[k][1][2], agv::sc[1]);
    EXPECT_EQ(agv::Vc[k][1], agv::Vmax);
    EXPECT_EQ(agv::Wc[k][1], 0.0);
    EXPECT_DOUBLE_EQ(agv::dtvl[k][1], 0.02);
    EXPECT_DOUBLE_EQ(agv::dtv5[k][1][2], 0.02);
  }
}

// A short arc fitted by a steep clothoid pair: the steering limit holds
// over the whole clothoid (case ii), phases 1 and 3 are empty.
TEST(ClothoidLineSchedule, WholeClothoidSteeringLimited) {
  ASSERT_EQ(plan(4, -3, -45).ret, 1);
  ASSERT_NE(agv::sgnK[2], 0);
  for (int k = 1; k <= 2; ++k) {
    expectFive(agv::nv5[k][2], 27, 0, 0, 0, 27);
    EXPECT_EQ(agv::sv5[k][2][0], agv::sc3[2][0]);
    EXPECT_EQ(agv::sv5[k][2][1], 0.0);
    EXPECT_NEAR(agv::Tv5[k][2][0], agv::phiC[2] / agv::steerRate, 1e-15);
  }
  EXPECT_EQ(agv::Kcs, agv::Kc[2]);
}

// The arc-line schedule is tested first and refuses at 3000 steps.
TEST(Schedule, StepLimit) {
  setPath(0.0, 59.0, 0.0, 1, 0, -1);  // 2950 steps, straight
  EXPECT_EQ(ptptest::scriptedCall([] { return agv::calvelPTP(); }), 1);
  setPath(0.5, 58.7, 0.0, 1, 0, -1);  // two steering phases push it over
  std::string out;
  EXPECT_EQ(ptptest::scriptedCall([] { return agv::calvelPTP(); }, &out), 0);
  EXPECT_EQ(out, ptptest::kTooLong);
  EXPECT_GE(agv::nvSeg[1][3], agv::MAX);
}

}  // namespace
