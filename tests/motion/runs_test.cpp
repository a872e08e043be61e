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
using motiontest::kPoses;
using motiontest::planptp;

double poserr(const double (*run)[6], int n) {
  return std::hypot(run[n][RX] - xf, run[n][RY] - yf);
}

// The reference point arrives at the end pose; the constant-velocity AGV
// of types 2 and 3 cannot steer fast enough and drifts; 2DW1C turns with
// the path curvature and has no error at all.
TEST(PtpRuns, ArrivalDriftAndType1) {
  for (const auto& p : kPoses) {
    ASSERT_EQ(planptp(p[0], p[1], p[2]), 1);
    EXPECT_EQ(caltrajPTP(), nc[2][3]);
    for (int k = 0; k < 3; ++k) {
      const int NA = nSeg[k][3], NB = nc[k][3];
      EXPECT_LT(poserr(refA[k], NA), 1e-7);
      EXPECT_LT(std::fabs(motiontest::angdiff(refA[k][NA][RTH], thf)), 1e-7);
      if (k > 0) {
        EXPECT_GT(poserr(cvA[k], NA), 1e-3) << p[0] << " " << p[1] << " type " << k + 1;
        EXPECT_GT(poserr(cvB[k], NB), 1e-3) << p[0] << " " << p[1] << " type " << k + 1;
      }
    }
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
    }
  }
}

// The default path starts with a left arc: types 2 and 3 set off with
// straight steering against a target of phiArc, on too large a radius.
// The last record of each segment already holds the target of the next.
TEST(PtpRuns, StartingArcAndSegmentTargets) {
  ASSERT_EQ(planptp(2.0, 3.0, 0.0), 1);
  ASSERT_EQ(sgnK[0], 1);
  caltrajPTP();
  for (int k = 1; k < 3; ++k) {
    EXPECT_EQ(cvA[k][0][RPHI], 0.0);
    EXPECT_EQ(refA[k][0][RPHI], phiArc);
    EXPECT_EQ(refA[k][0][RKAP], Karc);
    double prev = 0.0;
    for (int n = 1; n <= 40; ++n) {
      const double e = std::hypot(errA[k][n][RX], errA[k][n][RY]);
      ASSERT_GT(e, prev) << "type " << k + 1 << " step " << n;
      prev = e;
    }
    for (int n = 1; n <= 19; ++n) {
      EXPECT_NEAR(cvA[k][n][RPHI], n * steerRate * dtSeg[k][0], 1e-8) << n;
    }
    const int e0 = nSeg[k][0], e1 = e0 + nSeg[k][1];
    EXPECT_EQ(refA[k][e0 - 1][RPHI], phiArc);
    EXPECT_EQ(refA[k][e0][RPHI], 0.0);
    EXPECT_EQ(refA[k][e1][RKAP], -Karc);
  }
}

// Hand-made plans along a straight path.
class HandPlan : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(planptp(3.0, 0.0, 0.0), 1);
    sgnK[0] = sgnK[2] = 0;
    sc[1] = sc3[1][1] = sc3[1][3] = 100.0;
    for (int k = 0; k < 3; ++k) {
      for (int j = 0; j < 3; ++j) {
        nSeg[k][j] = 0;
        for (int m = 0; m < 3; ++m) nc3[k][j][m] = 0;
      }
    }
  }
  static void setA(int k, int j, int n, double h) {
    nSeg[k][j] = n;
    dtSeg[k][j] = h;
  }
  static void setB(int k, int j, int n, double h) {
    nc3[k][j][1] = n;
    dtc3[k][j][1] = h;
  }
  static int run(std::string& out) {
    con::script("", &out);
    const int r = caltrajPTP();
    con::scriptEnd();
    return r;
  }
};

TEST_F(HandPlan, EmptySegmentTakesNoStep) {
  for (int k = 0; k < 3; ++k) {
    setA(k, 0, 0, 99.0);
    setA(k, 1, 5, 0.02);
    setA(k, 2, 3, 0.01);
    setB(k, 1, 4, 0.03);
  }
  std::string out;
  EXPECT_EQ(run(out), 4);
  EXPECT_EQ(out, "");
  EXPECT_NEAR(refA[1][5][RS], 0.10, 1e-9);
  EXPECT_NEAR(refA[1][8][RS], 0.13, 1e-9);
  EXPECT_NEAR(cvB[2][4][RX], 0.12, 1e-9);
}

TEST_F(HandPlan, StepIndexLimit) {
  for (int k = 0; k < 3; ++k) {
    setA(k, 1, MAX - 1, dt);
    setB(k, 1, MAX - 1, dt);
  }
  std::string out;
  EXPECT_EQ(run(out), MAX - 1);
  EXPECT_EQ(out, "");
  // One step more on the arc-line path of type 1: nothing is stored.
  refA[0][0][RS] = 42.0;
  setA(0, 2, 1, dt);
  EXPECT_GE(run(out), MAX);
  EXPECT_EQ(out, "\n円弧－直線経路 時間刻み数Nk=3000>MAX=3000 設定し直し");
  EXPECT_EQ(refA[0][0][RS], 42.0);
  // On the clothoid-line path of type 3.
  setA(0, 2, 0, dt);
  setB(2, 2, 1, dt);
  out.clear();
  EXPECT_GE(run(out), MAX);
  EXPECT_EQ(out, "\nCLD－直線経路 時間刻み数Nk=3000>MAX=3000 設定し直し");
}

}  // namespace
