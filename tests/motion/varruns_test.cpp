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
using motiontest::planptp;

constexpr double kPoses[][3] = {
    {2.0, 3.0, 0.0}, {3.0, 1.0, 0.0}, {0.5, 0.2, 0.0}, {4.0, -3.0, -45.0}, {2.0, 2.0, 90.0}};

// Plans the pose and computes both kinds of run, as a dialogue pass does.
void pass(double x, double y, double thDeg) {
  ASSERT_EQ(planptp(x, y, thDeg), 1);
  ASSERT_LT(caltrajPTP(), MAX);
  ASSERT_EQ(caltrajVV(), 0);
}

double ds(const double (*run)[6], int n) { return run[n][RS] - run[n - 1][RS]; }

// The arc-line path of the default pose starts with a left arc: the AGV
// stands still while its steering turns at full rate to phiArc.
TEST(VarRuns, FirstSteeringPhaseStandsStill) {
  pass(2.0, 3.0, 0.0);
  for (int k = 1; k < 3; ++k) {
    const int n0 = nv2[k][0][0];
    ASSERT_EQ(n0, 19);
    const double h = dtv2[k][0][0];
    for (int n = 1; n <= n0; ++n) {
      EXPECT_EQ(vvA[k][n][RS], 0.0);
      EXPECT_EQ(vvA[k][n][RTH], agv::th0);
      EXPECT_EQ(vvA[k][n][RX], agv::x0);
      EXPECT_EQ(vvA[k][n][RY], agv::y0);
      if (n < n0) {
        EXPECT_NEAR(vvA[k][n][RPHI] - vvA[k][n - 1][RPHI], steerRate * h, 1e-15);
      }
    }
    EXPECT_EQ(vvA[k][n0][RPHI], phiArc);
  }
}

// Type 2 drives its steered wheel at Vmax, so its path point runs at
// Vmax cos(phiArc) on an arc; type 3 runs at Vmax.
TEST(VarRuns, ArcSpeedPerType) {
  pass(2.0, 3.0, 0.0);
  for (int k = 1; k < 3; ++k) {
    const int n0 = nv2[k][0][0], n1 = nv2[k][0][1];
    const double h = dtv2[k][0][1];
    const double V = k == 1 ? Vmax * std::cos(phiArc) : Vmax;
    EXPECT_EQ(vvA[k][n0][RKAP], Karc);
    for (int n = n0 + 1; n <= n0 + n1; ++n) {
      EXPECT_NEAR(ds(vvA[k], n), V * h, 1e-11) << "type " << k + 1 << " step " << n;
      EXPECT_EQ(vvA[k][n][RPHI], phiArc);
      EXPECT_EQ(vvA[k][n][RKAP], Karc);
    }
    // The segment ends where the arc does: a quarter turn.
    EXPECT_NEAR(vvA[k][n0 + n1][RTH], std::acos(-1.0) / 2.0, 1e-8);
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

// On the default clothoid-line path the clothoids are too sharp for full
// speed at small steering angles: there the steering turns at steerRate
// and the speed starts at Vc and rises.
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
    // Full speed after it: type 3 at Vmax.
    if (k == 2) {
      for (int n = m0 + 1; n <= m0 + m1; ++n) {
        EXPECT_NEAR(ds(vvB[k], n), Vmax * dtv5[k][0][1], 1e-11);
      }
    }
    // The curvature rises to sgnK Kc over the entry clothoid and falls back
    // to 0 over the exit clothoid.
    EXPECT_NEAR(vvB[k][m0 + m1][RKAP], Kc[0], 1e-6);
    EXPECT_NEAR(vvB[k][nvc[k][0]][RKAP], 0.0, 1e-4);
    EXPECT_NEAR(vvB[k][nvc[k][0]][RPHI], 0.0, 1e-6);
  }
}

// Every variable-velocity run ends at the end pose.  A Runge-Kutta-Gill
// step of h <= 0.02 s on curvature <= 1.9 1/m at 1 m/s errs by about
// (1.9 * 0.02)^5 / 5! < 1e-9 m, so 3000 steps stay below 1e-5 m; the
// clothoid fit and the line steps add nothing of that size.
TEST(VarRuns, EndAtTheEndPose) {
  for (const auto& p : kPoses) {
    pass(p[0], p[1], p[2]);
    for (int k = 1; k < 3; ++k) {
      const int NA = nvSeg[k][3], NB = nvc[k][3];
      for (const auto* run : {&vvA[k][NA], &vvB[k][NB]}) {
        EXPECT_NEAR((*run)[RX], xf, 1e-5) << p[0] << " " << p[1] << " type " << k + 1;
        EXPECT_NEAR((*run)[RY], yf, 1e-5) << p[0] << " " << p[1] << " type " << k + 1;
        EXPECT_NEAR(motiontest::angdiff((*run)[RTH], thf), 0.0, 1e-5);
      }
      // Only the clothoid-line path ends with straight steering.
      EXPECT_NEAR(vvB[k][NB][RPHI], 0.0, 1e-6);
    }
  }
}

// Hand-made arc-line schedule: left arc, left arc again, nothing.
class HandSchedule : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(planptp(3.0, 0.0, 0.0), 1);  // a consistent straight plan
    caltrajPTP();
    phiArc = std::atan2(Lw, 1.0);
    Karc = 1.0;
    for (int j = 0; j < 2; ++j) {
      sgnK[j] = 1;
      phiSeg[j] = phiArc;
      Kseg[j] = Karc;
    }
    sgnK[2] = 0;
    phiSeg[2] = Kseg[2] = 0.0;
    for (int k = 1; k < 3; ++k) {
      nv2[k][0][0] = 19;
      dtv2[k][0][0] = phiArc / steerRate / 19;
      nv2[k][0][1] = 10;
      dtv2[k][0][1] = dt;
      nv2[k][1][0] = 5;
      dtv2[k][1][0] = dt;
      nv2[k][1][1] = 10;
      dtv2[k][1][1] = dt;
      nv2[k][2][0] = nv2[k][2][1] = 0;
    }
  }
};

TEST_F(HandSchedule, SteeringToTheSameAngleHoldsStill) {
  ASSERT_EQ(caltrajVV(), 0);
  for (int k = 1; k < 3; ++k) {
    for (int n = 30; n <= 34; ++n) {
      for (int f = RS; f <= RKAP; ++f) EXPECT_EQ(vvA[k][n][f], vvA[k][29][f]) << n << " " << f;
    }
    EXPECT_GT(vvA[k][35][RS], vvA[k][34][RS]);
    EXPECT_EQ(vvA[k][44][RPHI], phiArc);
  }
}

TEST_F(HandSchedule, ScheduleBeyondTheArraysIsRefused) {
  nv2[2][1][1] = MAX;
  EXPECT_EQ(caltrajVV(), MAX);
}

}  // namespace
