// The CP integrator on a curve of known curvature: the ellipse with equal
// half-axes, a circle of radius 1.5 m.
#include <gtest/gtest.h>

#include <cmath>

#include "control/params.h"
#include "cp/arclen.h"
#include "cp/curves.h"
#include "motion/model.h"

namespace {

using namespace agv;

constexpr int kCircle = 11;
constexpr double kR = 1.5;

class CpStep : public ::testing::Test {
 protected:
  void SetUp() override {
    dSteerMax = steerRate * dtCP;
    A11 = B11 = kR;
    curvsetup(kCircle);
    Pfcp[kCircle][3] = curvlen(0.0, uend[kCircle], kCircle);
    caltab(kCircle);
  }
  static TrackState start() {
    TrackState r{};
    r.thR = r.thA = PI_2;
    r.xR = r.xA = kR;
    r.kapR = curvk(0.0, kCircle);
    r.phiT = r.phi = std::atan(r.kapR * Lw);
    return r;
  }
};

TEST_F(CpStep, ReferenceStaysOnTheCurve) {
  for (int type = 1; type <= 3; ++type) {
    TrackState a = start(), b{};
    for (int n = 0; n < 250; ++n) {
      rkgcp(0.0, dtCP / 5, kCircle, type, a, b);
      a = b;
      ASSERT_NEAR(a.u, a.sR / kR, 1e-6) << "type " << type << " step " << n;
    }
    EXPECT_NEAR(a.kapR, 1.0 / kR, 1e-9);
    EXPECT_NEAR(a.phiT, std::atan(1.0 / kR * Lw), 1e-9);
    EXPECT_NEAR(std::hypot(a.xR, a.yR), kR, 1e-7);
    // On a circle the steering never has to move.
    EXPECT_NEAR(a.phi, a.phiT, 1e-9);
    if (type == 1) {
      EXPECT_EQ(a.xA, a.xR);
      EXPECT_EQ(a.thA, a.thR);
    }
  }
  // 1FDW1FS: its reference point runs at V cos(phiT).
  TrackState a = start(), b{};
  rkgcp(0.0, 0.004, kCircle, 2, a, b);
  EXPECT_NEAR(b.sR, 0.004 * std::cos(std::atan(1.0 / kR)), 1e-11);
}

}  // namespace
