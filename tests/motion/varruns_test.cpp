// Variable-velocity runs along the two PTP paths.
#include "motion/varruns.h"

#include <gtest/gtest.h>

#include <cmath>

#include "control/params.h"
#include "motion/plan.h"
#include "motion/runs.h"
#include "ptp/clpath.h"
#include "ptp/planner.h"
#include "ptp/schedule.h"

namespace {

using namespace agv;
using motiontest::kPoses;

// Plans the pose and computes both kinds of run, as a dialogue pass does.
void pass(double x, double y, double thDeg) {
  ASSERT_EQ(motiontest::planptp(x, y, thDeg), 1);
  ASSERT_LT(caltrajPTP(), MAX);
  ASSERT_EQ(caltrajVV(), 0);
}

double ds(const double (*run)[6], int n) { return run[n][RS] - run[n - 1][RS]; }

// The arc-line path of the default pose starts with a left arc: the AGV
// stands still while its steering turns at full rate to phiArc, then runs
// the arc at Vmax cos(phiArc) (type 2, whose steered wheel drives) or at
// Vmax (type 3).
TEST(VarRuns, ArcLineSteeringAndRunning) {
  pass(2.0, 3.0, 0.0);
  for (int k = 1; k < 3; ++k) {
    const int n0 = nv2[k][0][0], n1 = nv2[k][0][1];
    ASSERT_EQ(n0, 19);
    for (int n = 1; n <= n0; ++n) {
      EXPECT_EQ(vvA[k][n][RS], 0.0);
      EXPECT_EQ(vvA[k][n][RTH], agv::th0);
      EXPECT_EQ(vvA[k][n][RX], agv::x0);
      EXPECT_EQ(vvA[k][n][RY], agv::y0);
      if (n < n0) {
        EXPECT_NEAR(vvA[k][n][RPHI] - vvA[k][n - 1][RPHI], steerRate * dtv2[k][0][0], 1e-15);
      }
    }
    EXPECT_EQ(vvA[k][n0][RPHI], phiArc);
    const double V = k == 1 ? Vmax * std::cos(phiArc) : Vmax;
    for (int n = n0 + 1; n <= n0 + n1; ++n) {
      EXPECT_NEAR(ds(vvA[k], n), V * dtv2[k][0][1], 1e-11) << "type " << k + 1 << " " << n;
      EXPECT_EQ(vvA[k][n][RPHI], phiArc);
      EXPECT_EQ(vvA[k][n][RKAP], Karc);
    }
    EXPECT_NEAR(vvA[k][n0 + n1][RTH], std::acos(-1.0) / 2.0, 1e-8);  // a quarter turn
  }
}

// On the default clothoid-line path the clothoids are too sharp for full
// speed at small steering angles: there the steering turns at steerRate
// and the speed starts at Vc and rises.  The curvature rises to Kc over
// the entry clothoid and falls back to 0 over the exit clothoid.
TEST(VarRuns, SpeedLimitedClothoidPart) {
  pass(2.0, 3.0, 0.0);
  for (int k = 1; k < 3; ++k) {
    const int m0 = nv5[k][0][0], m1 = nv5[k][0][1];
    ASSERT_GT(m0, 0);
    ASSERT_LT(Vc[k][0], Vmax);
    const double h = dtv5[k][0][0];
    for (int n = 1; n <= m0; ++n) {
      EXPECT_NEAR(vvB[k][n][RPHI] - vvB[k][n - 1][RPHI], steerRate * h, 1e-10) << n;
      if (n > 1) {
        EXPECT_GT(ds(vvB[k], n), ds(vvB[k], n - 1));
      }
    }
    EXPECT_GT(ds(vvB[k], 1), Vc[k][0] * h);
    EXPECT_LT(ds(vvB[k], 1), Vc[k][0] * h * 1.01);
    EXPECT_NEAR(vvB[k][m0 + m1][RKAP], Kc[0], 1e-6);
    EXPECT_NEAR(vvB[k][nvc[k][0]][RKAP], 0.0, 1e-4);
  }
}

TEST(VarRuns, Type1RepeatsTheReference) {
  pass(4.0, -3.0, -45.0);
  EXPECT_EQ(nvSeg[0][3], nSeg[0][3]);
  EXPECT_EQ(nvc[0][3], nc[0][3]);
  for (int n = 0; n <= nSeg[0][3]; ++n) {
    for (int f = RS; f <= RPHI; ++f) ASSERT_EQ(vvA[0][n][f], refA[0][n][f]) << n << " " << f;
  }
  for (int n = 0; n <= nc[0][3]; ++n) {
    for (int f = RS; f <= RPHI; ++f) ASSERT_EQ(vvB[0][n][f], refB[0][n][f]) << n << " " << f;
  }
}

// Every variable-velocity run ends at the end pose.  A Runge-Kutta-Gill
// step of h <= 0.02 s on curvature <= 1.9 1/m at 1 m/s errs by about
// (1.9 * 0.02)^5 / 5! < 1e-9 m, so 3000 steps stay below 1e-5 m.
TEST(VarRuns, EndAtTheEndPose) {
  for (const auto& p : kPoses) {
    pass(p[0], p[1], p[2]);
    for (int k = 1; k < 3; ++k) {
      for (const auto* end : {&vvA[k][nvSeg[k][3]], &vvB[k][nvc[k][3]]}) {
        EXPECT_NEAR((*end)[RX], xf, 1e-5) << p[0] << " " << p[1] << " type " << k + 1;
        EXPECT_NEAR((*end)[RY], yf, 1e-5) << p[0] << " " << p[1] << " type " << k + 1;
        EXPECT_NEAR(motiontest::angdiff((*end)[RTH], thf), 0.0, 1e-5);
      }
      EXPECT_NEAR(vvB[k][nvc[k][3]][RPHI], 0.0, 1e-6);  // straight steering at the end
    }
  }
}

// Hand-made arc-line schedule: a left arc, the same left arc again after
// a steering phase, nothing more.
TEST(VarRuns, SteeringToTheSameAngleHoldsStill) {
  pass(3.0, 0.0, 0.0);
  for (int j = 0; j < 2; ++j) {
    sgnK[j] = 1;
    phiSeg[j] = phiArc;
    Kseg[j] = Karc;
  }
  for (int k = 1; k < 3; ++k) {
    const int n[3][2] = {{19, 10}, {5, 10}, {0, 0}};
    for (int j = 0; j < 3; ++j) {
      for (int p = 0; p < 2; ++p) {
        nv2[k][j][p] = n[j][p];
        dtv2[k][j][p] = dt;
      }
    }
    dtv2[k][0][0] = phiArc / steerRate / 19;
  }
  ASSERT_EQ(caltrajVV(), 0);
  for (int k = 1; k < 3; ++k) {
    for (int n = 30; n <= 34; ++n) {
      for (int f = RS; f <= RKAP; ++f) EXPECT_EQ(vvA[k][n][f], vvA[k][29][f]) << n << " " << f;
    }
    EXPECT_GT(vvA[k][35][RS], vvA[k][34][RS]);
  }
  // A schedule that would run past the record arrays is refused.
  nv2[2][1][1] = MAX;
  EXPECT_EQ(caltrajVV(), MAX);
}

}  // namespace
