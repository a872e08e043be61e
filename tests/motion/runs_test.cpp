// Constant-velocity runs along the two PTP paths.
#include "motion/runs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "control/console.h"
#include "control/params.h"
#include "motion/plan.h"
#include "ptp/clpath.h"
#include "ptp/planner.h"

namespace {

using namespace agv;
using motiontest::planptp;

// The end poses of the planner's own checks.
constexpr double kPoses[][3] = {
    {2.0, 3.0, 0.0}, {3.0, 1.0, 0.0}, {0.5, 0.2, 0.0}, {4.0, -3.0, -45.0}, {2.0, 2.0, 90.0}};

double poserr(const double (*run)[6], int n) {
  return std::hypot(run[n][RX] - xf, run[n][RY] - yf);
}

TEST(PtpRuns, ReturnsClothoidTotalOfType3) {
  for (const auto& p : kPoses) {
    ASSERT_EQ(planptp(p[0], p[1], p[2]), 1);
    EXPECT_EQ(caltrajPTP(), nc[2][3]) << p[0] << " " << p[1] << " " << p[2];
  }
}

// 2DW1C turns with the path curvature and never lags.
TEST(PtpRuns, Type1HasNoErrorOnEitherPath) {
  for (const auto& p : kPoses) {
    ASSERT_EQ(planptp(p[0], p[1], p[2]), 1);
    caltrajPTP();
    for (int n = 0; n <= nSeg[0][3]; ++n) {
      for (int f = RS; f <= RPHI; ++f) ASSERT_EQ(errA[0][n][f], 0.0) << n << " " << f;
    }
    for (int n = 0; n <= nc[0][3]; ++n) {
      for (int f = RS; f <= RPHI; ++f) ASSERT_EQ(errB[0][n][f], 0.0) << n << " " << f;
    }
  }
}

TEST(PtpRuns, StraightAheadHasNoErrorForAnyType) {
  ASSERT_EQ(planptp(3.0, 0.0, 0.0), 1);
  EXPECT_EQ(caltrajPTP(), 150);
  for (int k = 0; k < 3; ++k) {
    ASSERT_EQ(nSeg[k][3], 150);
    ASSERT_EQ(nc[k][3], 150);
    for (int n = 0; n <= 150; ++n) {
      for (int f = RS; f <= RKAP; ++f) {
        ASSERT_EQ(errA[k][n][f], 0.0) << k << " " << n << " " << f;
        ASSERT_EQ(errB[k][n][f], 0.0) << k << " " << n << " " << f;
      }
      ASSERT_EQ(cvA[k][n][RPHI], 0.0);
    }
    EXPECT_NEAR(refA[k][150][RX], 3.0, 1e-8);
    EXPECT_NEAR(cvB[k][150][RX], 3.0, 1e-8);
  }
}

// The default path starts with a left arc: types 2 and 3 set off with
// straight steering against a target of phiArc.
TEST(PtpRuns, StartingArcDrivesOffThePath) {
  ASSERT_EQ(planptp(2.0, 3.0, 0.0), 1);
  ASSERT_EQ(sgnK[0], 1);
  caltrajPTP();
  for (int k = 1; k < 3; ++k) {
    EXPECT_EQ(cvA[k][0][RPHI], 0.0);
    EXPECT_EQ(refA[k][0][RPHI], phiArc);
    EXPECT_EQ(refA[k][0][RKAP], Karc);
    EXPECT_EQ(errA[k][0][RX], 0.0);
    double prev = 0.0;
    for (int n = 1; n <= 40; ++n) {
      const double e = std::hypot(errA[k][n][RX], errA[k][n][RY]);
      ASSERT_GT(e, prev) << "type " << k + 1 << " step " << n;
      prev = e;
    }
    for (int n = 1; n <= 19; ++n) {
      EXPECT_NEAR(cvA[k][n][RPHI], n * steerRate * dtSeg[k][0], 1e-8) << n;
    }
  }
}

// On the arc-line path the last record of a segment already holds the
// target of the segment that follows it.
TEST(PtpRuns, ArcLineTargetsSwitchAtSegmentEnds) {
  ASSERT_EQ(planptp(2.0, 3.0, 0.0), 1);
  caltrajPTP();
  for (int k = 0; k < 3; ++k) {
    const int e0 = nSeg[k][0], e1 = e0 + nSeg[k][1], N = nSeg[k][3];
    EXPECT_EQ(refA[k][e0 - 1][RPHI], phiArc);
    EXPECT_EQ(refA[k][e0][RPHI], 0.0);
    EXPECT_EQ(refA[k][e0][RKAP], 0.0);
    EXPECT_EQ(refA[k][e1][RPHI], -phiArc);
    EXPECT_EQ(refA[k][N][RKAP], -Karc);
    EXPECT_DOUBLE_EQ(cvA[k][N][RKAP], std::tan(cvA[k][N][RPHI]) / Lw);
  }
}

// The reference point arrives at the end pose; the constant-velocity AGV
// of types 2 and 3 cannot steer fast enough and drifts.
TEST(PtpRuns, ReferenceArrivesAndSteeredTypesDrift) {
  for (const auto& p : kPoses) {
    ASSERT_EQ(planptp(p[0], p[1], p[2]), 1);
    caltrajPTP();
    for (int k = 0; k < 3; ++k) {
      const int NA = nSeg[k][3], NB = nc[k][3];
      EXPECT_LT(poserr(refA[k], NA), 1e-7);
      EXPECT_LT(std::fabs(motiontest::angdiff(refA[k][NA][RTH], thf)), 1e-7);
      if (k == 0) continue;
      EXPECT_GT(poserr(cvA[k], NA), 1e-3) << p[0] << " " << p[1] << " type " << k + 1;
      EXPECT_GT(poserr(cvB[k], NB), 1e-3) << p[0] << " " << p[1] << " type " << k + 1;
    }
  }
}

// Hand-made plans: the tables the runs read, for a straight path.
class HandPlan : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int j = 0; j < 3; ++j) {
      sgnK[j] = 0;
      phiSeg[j] = Kseg[j] = 0.0;
      sc[j] = Kc[j] = 0.0;
      for (int m = 0; m < 4; ++m) sc3[j][m] = 0.0;
      for (int k = 0; k < 3; ++k) {
        dtSeg[k][j] = 0.0;
        nSeg[k][j] = 0;
        nc[k][j] = 0;
        for (int m = 0; m < 3; ++m) {
          nc3[k][j][m] = 0;
          dtc3[k][j][m] = 0.0;
        }
      }
    }
    for (int k = 0; k < 3; ++k) nSeg[k][3] = nc[k][3] = 0;
    sc[1] = sc3[1][1] = sc3[1][3] = 100.0;
  }
  // caltrajPTP with the console captured.
  int run(std::string& out) {
    con::script("", &out);
    const int r = caltrajPTP();
    con::scriptEnd();
    return r;
  }
};

TEST_F(HandPlan, EmptySegmentTakesNoStep) {
  for (int k = 0; k < 3; ++k) {
    nSeg[k][0] = 0;
    dtSeg[k][0] = 99.0;
    nSeg[k][1] = 5;
    dtSeg[k][1] = 0.02;
    nSeg[k][2] = 3;
    dtSeg[k][2] = 0.01;
    nSeg[k][3] = 8;
    nc3[k][1][1] = 4;
    dtc3[k][1][1] = 0.03;
    nc[k][3] = 4;
  }
  std::string out;
  EXPECT_EQ(run(out), 4);
  EXPECT_EQ(out, "");
  EXPECT_NEAR(refA[1][5][RS], 0.10, 1e-9);
  EXPECT_NEAR(refA[1][8][RS], 0.13, 1e-9);
  EXPECT_NEAR(cvB[2][4][RX], 0.12, 1e-9);
}

TEST_F(HandPlan, LongestRunPasses) {
  for (int k = 0; k < 3; ++k) {
    nSeg[k][1] = nSeg[k][3] = MAX - 1;
    dtSeg[k][1] = dt;
    nc3[k][1][1] = nc[k][3] = MAX - 1;
    dtc3[k][1][1] = dt;
  }
  std::string out;
  EXPECT_EQ(run(out), MAX - 1);
  EXPECT_EQ(out, "");
  EXPECT_NEAR(refB[2][MAX - 1][RX], (MAX - 1) * dt, 1e-6);
}

TEST_F(HandPlan, ArcLineRunStopsAtMax) {
  refA[0][0][RS] = 42.0;
  nSeg[0][1] = 2000;
  nSeg[0][2] = 1000;
  dtSeg[0][1] = dtSeg[0][2] = dt;
  nSeg[0][3] = MAX;
  std::string out;
  EXPECT_GE(run(out), MAX);
  EXPECT_EQ(out, "\n円弧－直線経路 時間刻み数Nk=3000>MAX=3000 設定し直し");
  EXPECT_EQ(refA[0][0][RS], 42.0);  // nothing of the broken run is stored
}

TEST_F(HandPlan, ClothoidLineRunStopsAtMax) {
  for (int k = 0; k < 3; ++k) {
    nc3[k][1][1] = nc[k][3] = 10;
    dtc3[k][1][1] = dt;
  }
  nc3[2][2][1] = MAX - 10;
  dtc3[2][2][1] = dt;
  nc[2][3] = MAX;
  std::string out;
  EXPECT_GE(run(out), MAX);
  EXPECT_EQ(out, "\nCLD－直線経路 時間刻み数Nk=3000>MAX=3000 設定し直し");
  EXPECT_NEAR(refB[1][10][RX], 0.2, 1e-9);  // earlier runs are complete
}

}  // namespace
