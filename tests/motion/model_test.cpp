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
    for (int j = 0; j < 3; ++j) {
      sgnK[j] = 0;
      sc[j] = 0.0;
      Kc[j] = 0.0;
      for (int m = 0; m < 4; ++m) sc3[j][m] = 0.0;
    }
  }
  void setTurn(int j, int sgn, double Lc, double Lm, double k) {
    sgnK[j] = sgn;
    Kc[j] = k;
    sc3[j][0] = Lc;
    sc3[j][1] = Lm;
    sc3[j][2] = Lc;
    sc3[j][3] = Lc + Lm + Lc;
    sc[j] = sc3[j][3];
  }
  void setLine(int j, double L) {
    sgnK[j] = 0;
    Kc[j] = 0.0;
    sc3[j][1] = L;
    sc3[j][3] = L;
    sc[j] = L;
  }
  // Target of the clothoid-line path at distance d.
  static TrackState targetAt(double d) {
    TrackState r{};
    r.sR = d;
    derivptp(TSR, 0.0, 3, 'b', 0, r);
    return r;
  }
};

TEST_F(ModelTest, SteerLawBandEdges) {
  // |d| = dSteerMax exactly gives no steering at all.
  EXPECT_EQ(steerlaw(0.04, 0.0), 0.0);
  EXPECT_EQ(steerlaw(0.0, 0.04), 0.0);
  // Outside the band: full rate towards the target.
  EXPECT_EQ(steerlaw(0.0401, 0.0), -steerRate);
  EXPECT_EQ(steerlaw(0.0, 0.0401), steerRate);
  EXPECT_EQ(steerlaw(1.0, -1.0), -steerRate);
  // Just inside: 100 (phiT - phi), limited to the steering rate.
  EXPECT_EQ(steerlaw(0.0399, 0.0), -steerRate);
  EXPECT_EQ(steerlaw(0.0, 0.0399), steerRate);
  EXPECT_EQ(steerlaw(0.03, 0.0), -steerRate);
  // Proportional only for |d| <= 0.02 rad.
  EXPECT_DOUBLE_EQ(steerlaw(0.02, 0.0), -2.0);
  EXPECT_DOUBLE_EQ(steerlaw(0.015, 0.0), -1.5);
  EXPECT_DOUBLE_EQ(steerlaw(0.5, 0.51), 1.0);
  EXPECT_EQ(steerlaw(0.3, 0.3), 0.0);
}

TEST_F(ModelTest, SteerLawWithoutBand) {
  // Before the first computation dSteerMax is 0: any offset steers at
  // full rate, none steers not at all.
  dSteerMax = 0.0;
  EXPECT_EQ(steerlaw(1e-9, 0.0), -steerRate);
  EXPECT_EQ(steerlaw(0.0, 1e-9), steerRate);
  EXPECT_EQ(steerlaw(0.2, 0.2), 0.0);
}

// From phi = 0 towards the steering angle of the 1 m arc: full rate until
// within dSteerMax, then proportional, without overshoot.
TEST_F(ModelTest, SteeringStepTowardsArc) {
  const double target = std::atan2(Lw, 1.0);
  for (int type = 2; type <= 3; ++type) {
    TrackState rec[41] = {};
    int firstProp = -1;
    for (int n = 0; n < 40; ++n) {
      rkgptp(0.0, dt, type, 'a', 1, rec[n], rec[n + 1]);
      const double gap = target - rec[n + 1].phi;
      ASSERT_GT(gap, 0.0) << "type " << type << " step " << n + 1;
      if (firstProp < 0 && target - rec[n].phi < dSteerMax) firstProp = n;
    }
    // 19 steps at steerRate: the first 19 records are 0.04 apart.
    for (int n = 1; n <= 19; ++n) {
      EXPECT_NEAR(rec[n].phi - rec[n - 1].phi, steerRate * dt, 1e-9) << n;
    }
    EXPECT_EQ(firstProp, 19);
    // In the proportional band the gap shrinks by the Runge-Kutta factor
    // of the gain: 1 - 2 + 2 - 4/3 + 2/3 = 1/3 per step of 0.02 s.
    for (int n = 21; n <= 30; ++n) {
      EXPECT_NEAR((target - rec[n + 1].phi) / (target - rec[n].phi), 1.0 / 3.0, 1e-5) << n;
    }
    EXPECT_NEAR(rec[40].phi, target, 1e-11);
    // Every record holds the target it was stepped against.
    EXPECT_EQ(rec[0].phiT, target);
    EXPECT_EQ(rec[40].phiT, target);
    EXPECT_DOUBLE_EQ(rec[40].kapA, std::tan(rec[40].phi) / Lw);
  }
}

TEST_F(ModelTest, ArcTargetFollowsSegmentSign) {
  Karc = 0.5;
  phiArc = std::atan2(Lw, 2.0);
  for (int sgn = -1; sgn <= 1; ++sgn) {
    TrackState r{};
    r.phiT = 9.0;
    r.kapR = 9.0;
    derivptp(TSR, 0.0, 2, 'a', sgn, r);
    EXPECT_EQ(r.phiT, sgn * phiArc);
    EXPECT_EQ(r.kapR, sgn * Karc);
  }
}

TEST_F(ModelTest, ClothoidTargetAlongTurn) {
  const double k = 1.2;
  setTurn(0, -1, 0.5, 0.3, k);
  setLine(1, 1.0);
  EXPECT_EQ(targetAt(0.0).kapR, 0.0);
  EXPECT_DOUBLE_EQ(targetAt(0.25).kapR, -k * 0.25 / 0.5);
  EXPECT_DOUBLE_EQ(targetAt(0.5).kapR, -k);  // end of the entry clothoid
  EXPECT_DOUBLE_EQ(targetAt(0.6).kapR, -k);
  EXPECT_DOUBLE_EQ(targetAt(1.1).kapR, -k * (1.3 - 1.1) / 0.5);
  EXPECT_EQ(targetAt(1.3).kapR, 0.0);  // end of the exit clothoid
  EXPECT_EQ(targetAt(1.8).kapR, 0.0);  // on the line
  const TrackState r = targetAt(0.25);
  EXPECT_DOUBLE_EQ(r.phiT, std::atan(Lw * -0.6));
}

TEST_F(ModelTest, ClothoidTargetPastTheLastSegment) {
  setTurn(0, 1, 0.5, 0.0, 2.0);
  setTurn(2, 1, 0.5, 0.0, 2.0);
  const TrackState r = targetAt(2.0 + 1e-9);
  EXPECT_EQ(r.kapR, 0.0);
  EXPECT_EQ(r.phiT, 0.0);
  EXPECT_EQ(targetAt(100.0).kapR, 0.0);
}

TEST_F(ModelTest, ClothoidTargetSkipsEmptySegment) {
  // A curved segment of length 0 in front of a line (the path straight
  // ahead) gives no curvature at the start.
  sgnK[0] = 1;
  Kc[0] = 1.0;
  setLine(1, 1.0);
  EXPECT_EQ(targetAt(0.0).kapR, 0.0);
  EXPECT_EQ(targetAt(0.0).phiT, 0.0);
  // Between two turns it consumes no distance: 0.2 m after the first turn
  // is 0.2 m into the third segment.
  setTurn(0, 1, 0.5, 0.2, 1.0);
  sgnK[1] = -1;
  Kc[1] = 1.0;
  sc3[1][1] = sc3[1][3] = sc[1] = 0.0;
  setTurn(2, -1, 0.4, 0.1, 1.5);
  EXPECT_DOUBLE_EQ(targetAt(1.2 + 0.2).kapR, -1.5 * 0.2 / 0.4);
  EXPECT_DOUBLE_EQ(targetAt(1.2 + 0.45).kapR, -1.5);
}

TEST_F(ModelTest, ClothoidTargetFirstSegmentStraight) {
  setLine(0, 1.0);
  setTurn(1, 1, 0.5, 0.5, 1.0);
  TrackState r = targetAt(0.0);
  EXPECT_EQ(r.kapR, 0.0);
  EXPECT_EQ(r.phiT, 0.0);
  EXPECT_EQ(targetAt(1.0).kapR, 0.0);
  EXPECT_DOUBLE_EQ(targetAt(1.25).kapR, 0.5);
}

// The tracking equations of the three mechanisms at one record.
TEST_F(ModelTest, TrackingRates) {
  TrackState base{};
  base.thR = 0.3;
  base.thA = -0.2;
  base.phi = 0.4;
  const double pT = 0.6, kR = std::tan(0.6) / Lw;
  const auto rate = [&](int field, int type) {
    TrackState r = base;
    r.phiT = pT;
    r.kapR = kR;
    return derivcp(field, 0.0, type, r);
  };
  // 2DW1C turns with the path curvature itself and copies the target.
  EXPECT_EQ(rate(TTHA, 1), Vmax * kR);
  EXPECT_EQ(rate(TSA, 1), Vmax);
  EXPECT_EQ(rate(TXA, 1), Vmax * std::cos(base.thA));
  EXPECT_EQ(rate(TPHI, 1), 0.0);
  TrackState r1 = base;
  r1.phiT = pT;
  derivcp(TSR, 0.0, 1, r1);
  EXPECT_EQ(r1.phi, pT);
  // 1FDW1FS: the tracked point moves at V cos(steering angle).
  EXPECT_EQ(rate(TSR, 2), Vmax * std::cos(pT));
  EXPECT_EQ(rate(TTHR, 2), Vmax * std::sin(pT) / Lw);
  EXPECT_EQ(rate(TYR, 2), Vmax * std::cos(pT) * std::sin(base.thR));
  EXPECT_EQ(rate(TSA, 2), Vmax * std::cos(base.phi));
  EXPECT_EQ(rate(TTHA, 2), Vmax * std::sin(base.phi) / Lw);
  EXPECT_EQ(rate(TXA, 2), Vmax * std::cos(base.phi) * std::cos(base.thA));
  EXPECT_EQ(rate(TPHI, 2), steerRate);
  // 1RDW1FS: full speed, heading rate from tan of the steering angle.
  EXPECT_EQ(rate(TSR, 3), Vmax);
  EXPECT_EQ(rate(TTHR, 3), Vmax * kR);
  EXPECT_EQ(rate(TTHA, 3), Vmax * std::tan(base.phi) / Lw);
  EXPECT_EQ(rate(TYA, 3), Vmax * std::sin(base.thA));
  // The CP target fields do not move.
  EXPECT_EQ(rate(TPHIT, 2), 0.0);
  EXPECT_EQ(rate(TKAPR, 3), 0.0);
}

TEST_F(ModelTest, ClothoidModelSpeedLaw) {
  const double Vc = 0.9, Wc = 2.2, Kcv = 1.8, Lc = 0.8, S = 1.6, s0 = 1.0;
  VarState r{};
  r.s = s0 + 0.3;
  // Phase 1 at phi = 0 runs at exactly Vc and steers at full rate.
  EXPECT_EQ(derivcldv(VS, 0.0, 2, 1, 1, 1, s0, Lc, S, Kcv, Vc, Wc, r), Vc);
  EXPECT_EQ(derivcldv(VPHI, 0.0, 3, -1, 1, 1, s0, Lc, S, Kcv, Vc, Wc, r), -steerRate);
  EXPECT_EQ(derivcldv(VPHI, 0.0, 3, -1, -1, 1, s0, Lc, S, Kcv, Vc, Wc, r), steerRate);
  r.phi = 0.5;
  const double c = std::cos(0.5);
  EXPECT_DOUBLE_EQ(derivcldv(VS, 0.0, 3, 1, 1, 1, s0, Lc, S, Kcv, Vc, Wc, r), Vc / (c * c));
  // Phase 2: the front-driven type slows by cos, steers at Wc cos^3.
  EXPECT_DOUBLE_EQ(derivcldv(VS, 0.0, 2, 1, 1, 2, s0, Lc, S, Kcv, Vc, Wc, r), Vmax * c);
  EXPECT_DOUBLE_EQ(derivcldv(VPHI, 0.0, 2, 1, 1, 2, s0, Lc, S, Kcv, Vc, Wc, r), Wc * c * c * c);
  EXPECT_DOUBLE_EQ(derivcldv(VS, 0.0, 3, 1, 1, 2, s0, Lc, S, Kcv, Vc, Wc, r), Vmax);
  EXPECT_DOUBLE_EQ(derivcldv(VPHI, 0.0, 3, 1, -1, 2, s0, Lc, S, Kcv, Vc, Wc, r), -Wc * c * c);
  // Phase 3 holds the steering.
  EXPECT_DOUBLE_EQ(derivcldv(VS, 0.0, 2, 1, 0, 3, s0, Lc, S, Kcv, Vmax, 0.0, r), Vmax * c);
  EXPECT_EQ(derivcldv(VPHI, 0.0, 3, 1, 0, 3, s0, Lc, S, Kcv, Vmax, 0.0, r), 0.0);
}

TEST_F(ModelTest, ClothoidModelCurvature) {
  const double Kcv = 1.8, Lc = 0.8, S = 2.0, s0 = 1.0;
  VarState r{};
  r.s = s0 + 0.2;
  r.th = 0.1;
  // Entry clothoid: rises with the distance into the segment.
  const double th1 = derivcldv(VTH, 0.0, 3, -1, 1, 2, s0, Lc, S, Kcv, 1.0, 1.0, r);
  EXPECT_DOUBLE_EQ(r.kap, -Kcv * 0.2 / Lc);
  EXPECT_DOUBLE_EQ(th1, r.kap * Vmax);
  // Exit clothoid: measured back from the segment end with the entry length.
  r.s = s0 + 1.9;
  derivcldv(VS, 0.0, 3, -1, -1, 1, s0, Lc, S, Kcv, 1.0, 1.0, r);
  EXPECT_DOUBLE_EQ(r.kap, -Kcv * (S - 1.9) / Lc);
  derivcldv(VS, 0.0, 3, 1, 0, 3, s0, Lc, S, Kcv, 1.0, 1.0, r);
  EXPECT_EQ(r.kap, Kcv);
  EXPECT_EQ(derivcldv(VKAP, 0.0, 3, 1, 0, 3, s0, Lc, S, Kcv, 1.0, 1.0, r), 0.0);
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
  // A full turn in 315 steps of 0.02 m returns near the start.
  VarState a{0.0, 0.0, 0.0, 0.0, 0.0, 1.0}, b{};
  const int n = 315;
  const double h = 2.0 * std::acos(-1.0) / n;
  for (int i = 0; i < n; ++i) {
    rkgarcv(0.0, h, Vmax, a, b);
    a = b;
  }
  EXPECT_NEAR(a.x, 0.0, 1e-8);
  EXPECT_NEAR(a.y, 0.0, 1e-8);
}

TEST_F(ModelTest, ClothoidStepKeepsStageCurvature) {
  // Full speed along an entry clothoid: the curvature of out is the one
  // at the last stage, a whole step into the clothoid.
  VarState in{2.0, 0.0, 0.0, 0.0, 0.0, 7.0}, out{};
  const double Kcv = 1.5, Lc = 0.6;
  rkgcldv(0.0, dt, 3, 1, 1, 2, 2.0, Lc, 1.2, Kcv, 1.0, Vmax * Kcv * Lw / Lc, in, out);
  EXPECT_NEAR(out.kap, Kcv * (out.s - 2.0) / Lc, 1e-9);
  EXPECT_EQ(in.kap, 0.0);  // written into the record at the start of the step
  EXPECT_NEAR(out.th, Kcv * 0.02 * 0.02 / (2.0 * Lc), 1e-9);
}

TEST_F(ModelTest, StepLine) {
  const VarState in{1.0, 0.5, 2.0, 3.0, 0.3, 0.7};
  VarState out{};
  stepline(0.05, in, out);
  EXPECT_DOUBLE_EQ(out.s, 1.05);
  EXPECT_EQ(out.th, 0.5);
  EXPECT_DOUBLE_EQ(out.x, 2.0 + 0.05 * std::cos(0.5));
  EXPECT_DOUBLE_EQ(out.y, 3.0 + 0.05 * std::sin(0.5));
  EXPECT_EQ(out.phi, 0.0);
  EXPECT_EQ(out.kap, 0.0);
}

TEST_F(ModelTest, PtpStepEndValues) {
  // On an entry clothoid the reference curvature of out is the one at the
  // last stage and the AGV curvature follows its own steering angle.
  setTurn(0, 1, 0.5, 0.0, 2.0);
  TrackState in{}, out{};
  in.phiT = 5.0;  // rewritten by the model
  rkgptp(0.0, dt, 3, 'b', 1, in, out);
  EXPECT_EQ(in.kapR, 0.0);
  EXPECT_EQ(in.phiT, 0.0);
  EXPECT_NEAR(out.kapR, 2.0 * out.sR / 0.5, 1e-9);
  EXPECT_DOUBLE_EQ(out.phiT, std::atan(Lw * out.kapR));
  EXPECT_DOUBLE_EQ(out.kapA, std::tan(out.phi) / Lw);
  // The 2DW1C type steers exactly as the target and stays on the path.
  TrackState t1{}, t1o{};
  rkgptp(0.0, dt, 1, 'b', 1, t1, t1o);
  EXPECT_EQ(t1o.phi, t1o.phiT);
  EXPECT_EQ(t1o.xA, t1o.xR);
  EXPECT_EQ(t1o.thA, t1o.thR);
}

}  // namespace
