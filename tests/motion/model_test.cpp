// Vehicle models, steering law and the Runge-Kutta-Gill step.
#include "motion/model.h"

#include <gtest/gtest.h>

#include <cmath>

#include "control/params.h"
#include "ptp/clpath.h"
#include "ptp/planner.h"

namespace {

using namespace agv;

class ModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dSteerMax = steerRate * dt;  // 0.04 rad
    phiArc = std::atan2(Lw, 1.0);
    Karc = 1.0;
    for (int j = 0; j < 3; ++j) setSeg(j, 0, 0.0, 0.0, 0.0);
  }
  // Segment j of the clothoid-line path: clothoids of Lc around a middle
  // part of Lm (a line when sgn is 0).
  static void setSeg(int j, int sgn, double Lc, double Lm, double k) {
    sgnK[j] = sgn;
    Kc[j] = k;
    sc3[j][0] = sc3[j][2] = Lc;
    sc3[j][1] = Lm;
    sc[j] = sc3[j][3] = Lc + Lm + Lc;
  }
  static TrackState targetAt(double d) {
    TrackState r{};
    r.sR = d;
    derivptp(TSR, 0.0, 3, 'b', 0, r);
    return r;
  }
};

TEST_F(ModelTest, SteerLawBandEdges) {
  EXPECT_EQ(steerlaw(0.04, 0.0), 0.0);  // |d| = dSteerMax exactly
  EXPECT_EQ(steerlaw(0.0, 0.04), 0.0);
  EXPECT_EQ(steerlaw(0.0401, 0.0), -steerRate);
  EXPECT_EQ(steerlaw(0.0, 0.0401), steerRate);
  // Just inside: 100 (phiT - phi), limited to the steering rate, so
  // proportional only for |d| <= 0.02 rad.
  EXPECT_EQ(steerlaw(0.0399, 0.0), -steerRate);
  EXPECT_EQ(steerlaw(0.0, 0.03), steerRate);
  EXPECT_DOUBLE_EQ(steerlaw(0.02, 0.0), -2.0);
  EXPECT_NEAR(steerlaw(0.5, 0.515), 1.5, 1e-12);
  EXPECT_EQ(steerlaw(0.3, 0.3), 0.0);
  // Before the first computation there is no band.
  dSteerMax = 0.0;
  EXPECT_EQ(steerlaw(1e-9, 0.0), -steerRate);
  EXPECT_EQ(steerlaw(0.2, 0.2), 0.0);
}

// From phi = 0 towards the steering angle of the 1 m arc: full rate until
// within dSteerMax, then proportional, without overshoot.
TEST_F(ModelTest, SteeringStepTowardsArc) {
  const double target = std::atan2(Lw, 1.0);
  for (int type = 2; type <= 3; ++type) {
    TrackState rec[41] = {};
    for (int n = 0; n < 40; ++n) {
      rkgptp(0.0, dt, type, 'a', 1, rec[n], rec[n + 1]);
      ASSERT_GT(target - rec[n + 1].phi, 0.0) << "type " << type << " step " << n + 1;
    }
    // 19 steps of steerRate dt bring phi to 0.76, within the band.
    for (int n = 1; n <= 19; ++n) EXPECT_NEAR(rec[n].phi - rec[n - 1].phi, 0.04, 1e-9) << n;
    EXPECT_GT(target - rec[18].phi, dSteerMax);
    EXPECT_LT(target - rec[19].phi, dSteerMax);
    // In the proportional band the gap shrinks by the Runge-Kutta factor
    // of the gain: 1 - 2 + 2 - 4/3 + 2/3 = 1/3 per step of 0.02 s.
    for (int n = 21; n <= 30; ++n) {
      EXPECT_NEAR((target - rec[n + 1].phi) / (target - rec[n].phi), 1.0 / 3.0, 1e-5) << n;
    }
    EXPECT_NEAR(rec[40].phi, target, 1e-11);
    EXPECT_EQ(rec[0].phiT, target);  // written into the record at the start
    EXPECT_DOUBLE_EQ(rec[40].kapA, std::tan(rec[40].phi) / Lw);
  }
}

TEST_F(ModelTest, ArcTargetFollowsSegmentSign) {
  for (int sgn = -1; sgn <= 1; ++sgn) {
    TrackState r{};
    r.phiT = r.kapR = 9.0;
    derivptp(TSR, 0.0, 2, 'a', sgn, r);
    EXPECT_EQ(r.phiT, sgn * phiArc);
    EXPECT_EQ(r.kapR, sgn * Karc);
  }
}

TEST_F(ModelTest, ClothoidTargetOverTheSegments) {
  const double k = 1.2;
  setSeg(0, -1, 0.5, 0.3, k);
  setSeg(1, 0, 0.0, 1.0, 0.0);
  EXPECT_EQ(targetAt(0.0).kapR, 0.0);
  EXPECT_DOUBLE_EQ(targetAt(0.25).kapR, -k * 0.25 / 0.5);
  EXPECT_DOUBLE_EQ(targetAt(0.25).phiT, std::atan(Lw * -k * 0.25 / 0.5));
  EXPECT_DOUBLE_EQ(targetAt(0.5).kapR, -k);
  EXPECT_DOUBLE_EQ(targetAt(1.1).kapR, -k * (1.3 - 1.1) / 0.5);
  EXPECT_EQ(targetAt(1.8).kapR, 0.0);  // on the line
  // Past the last segment.
  EXPECT_EQ(targetAt(2.3 + 1e-9).kapR, 0.0);
  EXPECT_EQ(targetAt(2.3 + 1e-9).phiT, 0.0);
  // A first segment that is straight starts with no curvature.
  setSeg(0, 0, 0.0, 1.0, 0.0);
  setSeg(1, 1, 0.5, 0.5, 1.0);
  EXPECT_EQ(targetAt(0.0).kapR, 0.0);
  EXPECT_DOUBLE_EQ(targetAt(1.25).kapR, 0.5);
}

TEST_F(ModelTest, ClothoidTargetSkipsEmptySegment) {
  // A curved segment of length 0 in front of a line (the path straight
  // ahead) gives no curvature at the start.
  setSeg(0, 1, 0.0, 0.0, 1.0);
  setSeg(1, 0, 0.0, 1.0, 0.0);
  EXPECT_EQ(targetAt(0.0).kapR, 0.0);
  // Between two turns it consumes no distance.
  setSeg(0, 1, 0.5, 0.2, 1.0);
  setSeg(1, -1, 0.0, 0.0, 1.0);
  setSeg(2, -1, 0.4, 0.1, 1.5);
  EXPECT_DOUBLE_EQ(targetAt(1.2 + 0.2).kapR, -1.5 * 0.2 / 0.4);
  EXPECT_DOUBLE_EQ(targetAt(1.2 + 0.45).kapR, -1.5);
}

TEST_F(ModelTest, ClothoidModel) {
  const double Vc = 0.9, Wc = 2.2, K = 1.8, Lc = 0.8, S = 2.0, s0 = 1.0;
  VarState r{};
  r.s = s0 + 0.3;
  // Phase 1 at phi = 0 runs at exactly Vc, then at Vc / cos^2.
  EXPECT_EQ(derivcldv(VS, 0.0, 2, 1, 1, 1, s0, Lc, S, K, Vc, Wc, r), Vc);
  EXPECT_EQ(derivcldv(VPHI, 0.0, 3, -1, 1, 1, s0, Lc, S, K, Vc, Wc, r), -steerRate);
  EXPECT_DOUBLE_EQ(r.kap, -K * 0.3 / Lc);
  r.phi = 0.5;
  const double c = std::cos(0.5);
  EXPECT_DOUBLE_EQ(derivcldv(VS, 0.0, 3, 1, 1, 1, s0, Lc, S, K, Vc, Wc, r), Vc / (c * c));
  // Full speed: type 2 drives the steered wheel at Vmax.
  EXPECT_DOUBLE_EQ(derivcldv(VS, 0.0, 2, 1, 1, 2, s0, Lc, S, K, Vc, Wc, r), Vmax * c);
  EXPECT_DOUBLE_EQ(derivcldv(VPHI, 0.0, 2, 1, 1, 2, s0, Lc, S, K, Vc, Wc, r), Wc * c * c * c);
  EXPECT_DOUBLE_EQ(derivcldv(VPHI, 0.0, 3, 1, -1, 2, s0, Lc, S, K, Vc, Wc, r), -Wc * c * c);
  // The exit clothoid is measured back from the end with the entry length.
  r.s = s0 + 1.9;
  const double th = derivcldv(VTH, 0.0, 3, 1, -1, 2, s0, Lc, S, K, Vc, Wc, r);
  EXPECT_DOUBLE_EQ(r.kap, K * (S - 1.9) / Lc);
  EXPECT_DOUBLE_EQ(th, r.kap * Vmax);
  EXPECT_EQ(derivcldv(VPHI, 0.0, 3, 1, 0, 3, s0, Lc, S, K, Vmax, 0.0, r), 0.0);
  EXPECT_EQ(r.kap, K);
}

// One step along a circle of radius 1: fourth-order accurate, with the
// Gill constants as written (their sum falls short of 1 by 1e-9/3).
TEST_F(ModelTest, GillStepOnCircle) {
  VarState in{0.0, 0.0, 0.0, 0.0, 0.1, 1.0}, out{};
  rkgarcv(0.0, dt, Vmax, in, out);
  EXPECT_NEAR(out.x, std::sin(0.02), 1e-10);
  EXPECT_NEAR(out.y, 1.0 - std::cos(0.02), 1e-10);
  EXPECT_NEAR(out.s, 0.02 * (1.0 + 0.292893219 + 1.70710678) / 3.0, 1e-15);
  EXPECT_EQ(out.phi, 0.1);
  EXPECT_EQ(out.kap, 1.0);
}

TEST_F(ModelTest, StepEndValues) {
  // On an entry clothoid the reference curvature of out is the one of the
  // last stage, a whole step into the clothoid.
  setSeg(0, 1, 0.5, 0.0, 2.0);
  TrackState in{}, out{};
  in.phiT = 5.0;
  rkgptp(0.0, dt, 3, 'b', 1, in, out);
  EXPECT_EQ(in.phiT, 0.0);
  EXPECT_NEAR(out.kapR, 2.0 * out.sR / 0.5, 1e-9);
  EXPECT_DOUBLE_EQ(out.kapA, std::tan(out.phi) / Lw);
  // 2DW1C steers exactly as the target and stays on the path.
  rkgptp(0.0, dt, 1, 'b', 1, in, out);
  EXPECT_EQ(out.phi, out.phiT);
  EXPECT_EQ(out.xA, out.xR);
  EXPECT_EQ(out.thA, out.thR);
  // Types 2 and 3 steering on target run with the reference point.
  for (int type = 2; type <= 3; ++type) {
    TrackState a{}, b{};
    a.phi = phiArc;
    for (int n = 0; n < 50; ++n) {
      rkgptp(0.0, dt, type, 'a', 1, a, b);
      a = b;
    }
    EXPECT_NEAR(a.thA, a.thR, 1e-12) << type;
    EXPECT_NEAR(a.xA, a.xR, 1e-12) << type;
    EXPECT_NEAR(a.sA, a.sR, 1e-12) << type;
  }
  // The clothoid model's curvature likewise.
  VarState v{2.0, 0.0, 0.0, 0.0, 0.0, 7.0}, w{};
  rkgcldv(0.0, dt, 3, 1, 1, 2, 2.0, 0.6, 1.2, 1.5, 1.0, 2.5, v, w);
  EXPECT_EQ(v.kap, 0.0);
  EXPECT_NEAR(w.kap, 1.5 * (w.s - 2.0) / 0.6, 1e-9);
}

}  // namespace
