// Vehicle models, steering law and the Runge-Kutta-Gill step.
#include "motion/vehicle.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace agv;

const Model kPtp = makemodel(Params{}, Kind::PTP);  // dSteerMax 0.04 rad

TEST(Model, SteerLawAroundTheBand) {
  const double rate = kPtp.steerRate;
  const double kCases[][3] = {
      // phi, phiT, rate
      {0.04, 0.0, 0.0},      // |d| = dSteerMax exactly
      {0.0, 0.04, 0.0},      // the same, phi below the target
      {0.0401, 0.0, -rate},  // just outside the band
      {0.0, 0.0401, rate},   // just outside, phi below
      {0.0399, 0.0, -rate},  // just inside: 100 (phiT - phi), limited
      {0.0, 0.03, rate},     // limited to the rate
      {0.02, 0.0, -2.0},     // proportional for |d| <= 0.02 rad
      {0.5, 0.515, 1.5},     // proportional
  };
  for (const auto& c : kCases) {
    EXPECT_NEAR(steerlaw(kPtp, c[0], c[1]), c[2], 1e-12) << c[0] << " " << c[1];
  }
}

// The tracking model's rates at a given steering: the front drive's tracked points move at
// V cos of their steering angle, the rear drive's and the caster type's at V; headings turn
// with the path curvature (types 1 and 3 on the reference) or the steering.  A vehicle of
// speed 2 and wheel base 0.5 shows where each parameter enters.
TEST(Model, TrackingRatesOfTheThreeMechanisms) {
  Params p;
  p.Vmax = 2.0;
  p.Lw = 0.5;
  const Model m = makemodel(p, Kind::CP);
  const double V = 2.0, Lw = 0.5;
  for (int type = 1; type <= 3; ++type) {
    TrackState r{};
    r.thR = 0.3;
    r.thA = -0.2;
    r.phi = 0.5;
    r.phiT = 0.4;
    r.kapR = 0.7;
    double d[kCpFields];
    derivcp(m, 0, type, r, d);
    // derivcp keeps the target of the record; for type 1 it steers at the target.
    const double phi = type == 1 ? 0.4 : 0.5;
    EXPECT_EQ(r.phi, phi);
    const double cR = type == 2 ? std::cos(0.4) : 1.0;
    const double cA = type == 2 ? std::cos(phi) : 1.0;
    const double turns[] = {V * 0.7, V * std::sin(0.5) / Lw, V * std::tan(0.5) / Lw};
    EXPECT_DOUBLE_EQ(d[TSR], V * cR) << type;
    EXPECT_DOUBLE_EQ(d[TXR], V * cR * std::cos(0.3)) << type;
    EXPECT_DOUBLE_EQ(d[TYR], V * cR * std::sin(0.3)) << type;
    EXPECT_DOUBLE_EQ(d[TSA], V * cA) << type;
    EXPECT_DOUBLE_EQ(d[TXA], V * cA * std::cos(-0.2)) << type;
    EXPECT_DOUBLE_EQ(d[TYA], V * cA * std::sin(-0.2)) << type;
    EXPECT_DOUBLE_EQ(d[TTHR], type == 2 ? V * std::sin(0.4) / Lw : V * 0.7);
    EXPECT_DOUBLE_EQ(d[TTHA], turns[type - 1]) << type;
    for (int f : {TPHIT, TKAPR, TKAPA}) EXPECT_EQ(d[f], 0.0) << type;
  }
}

// From phi = 0 towards the steering angle of the 1 m arc: full rate until
// within dSteerMax, then proportional, without overshoot.
TEST(Model, SteeringStepTowardsArc) {
  ArcPath a;
  ClothoidPath c;
  const double target = a.phiArc = std::atan2(kPtp.Lw, 1.0);
  a.Karc = 1.0;
  for (int type = 2; type <= 3; ++type) {
    const PtpTrack w{kPtp, a, c, type, 'a', 1, 1};
    TrackState rec[41] = {};
    const auto gap = [&](int n) { return target - rec[n].phi; };
    for (int n = 0; n < 40; ++n) {
      rkgptp(w, 0.0, kPtp.dt, rec[n], rec[n + 1]);
      ASSERT_GT(gap(n + 1), 0.0) << "type " << type << " step " << n + 1;
    }
    EXPECT_EQ(rec[0].phiT, target);  // written into the start record too
    // 19 steps of steerRate dt bring phi to 0.76, within the band.
    for (int n = 1; n <= 19; ++n) EXPECT_NEAR(rec[n].phi - rec[n - 1].phi, 0.04, 1e-9) << n;
    EXPECT_GT(gap(18), kPtp.dSteerMax);
    EXPECT_LT(gap(19), kPtp.dSteerMax);
    // Then the gap shrinks by the Gill factor 1 - 2 + 2 - 4/3 + 2/3 = 1/3 a step.
    for (int n = 21; n <= 30; ++n) EXPECT_NEAR(gap(n + 1) / gap(n), 1.0 / 3.0, 1e-5) << n;
    EXPECT_NEAR(rec[40].phi, target, 1e-11);
    EXPECT_DOUBLE_EQ(rec[40].kapA, std::tan(rec[40].phi) / kPtp.Lw);
  }
}

TEST(Model, ClothoidCurvature) {
  // Per segment: sgnK, clothoid length, middle length, Kc.
  const double kPaths[][3][4] = {
      {{-1, 0.5, 0.3, 1.2}, {0, 0.0, 1.0, 0.0}, {}},  // turn, line
      {{0, 0.0, 1.0, 0.0}, {1, 0.5, 0.5, 1.0}, {}},   // line, turn
      {{1, 0.0, 0.0, 1.0}, {0, 0.0, 1.0, 0.0}, {}},   // empty turn, line
  };
  ArcPath a;
  ClothoidPath c;
  a.reset(3);
  c.reset(3);
  const auto setPath = [&](const double(&path)[3][4]) {
    for (int j = 0; j < 3; ++j) {
      a.sgnK[j] = static_cast<int>(path[j][0]);
      c.sc3[j][0] = c.sc3[j][2] = path[j][1];
      c.sc3[j][1] = path[j][2];
      c.sc[j] = c.sc3[j][3] = path[j][1] + path[j][2] + path[j][1];
      c.Kc[j] = path[j][3];
    }
  };
  const double kCases[][3] = {
      // path, distance along it, curvature there
      {0, 0.25, -1.2 * 0.25 / 0.5},        // on the entry clothoid
      {0, 1.1, -1.2 * (1.3 - 1.1) / 0.5},  // on the exit clothoid
      {0, 1.8, 0.0},                       // on the line
      {0, 2.3 + 1e-9, 0.0},                // past the last segment
      {1, 0.0, 0.0},                       // start of a straight first segment
      {1, 1.25, 0.5},                      // the turn after it
      {2, 0.0, 0.0},                       // an empty turn is skipped
  };
  const PtpTrack w{kPtp, a, c, 3, 'b', 0, 1};
  for (const auto& k : kCases) {
    SCOPED_TRACE(::testing::Message() << "path " << k[0] << " d " << k[1]);
    setPath(kPaths[static_cast<int>(k[0])]);
    TrackState r{};
    r.sR = k[1];
    double d[kPtpFields];
    derivptp(w, 0.0, r, d);
    EXPECT_DOUBLE_EQ(r.kapR, k[2]);
    EXPECT_DOUBLE_EQ(r.phiT, std::atan(kPtp.Lw * k[2]));
  }
  // A step into an entry clothoid ends with the curvature a whole step in.
  setPath(kPaths[0]);
  TrackState in{}, out{};
  rkgptp(PtpTrack{kPtp, a, c, 3, 'b', -1, 1}, 0.0, kPtp.dt, in, out);
  EXPECT_NEAR(out.kapR, -1.2 * out.sR / 0.5, 1e-9);
}

// Steps along a circle of radius 1: fourth-order accurate.  Halving the step divides the
// error after 1.6 rad by about 16 (a third-order step would give 8).
TEST(Model, GillStepOnCircle) {
  double err[2];
  for (int half = 0; half < 2; ++half) {
    const double h = half == 0 ? 0.1 : 0.05;
    const int n = half == 0 ? 16 : 32;
    VarState r{0.0, 0.0, 0.0, 0.0, 0.0, 0.1, 1.0}, next{};
    for (int i = 0; i < n; ++i) {
      rkgarcv(0.0, h, 1.0, 1, r, next);
      r = next;
    }
    const double t = n * h;
    EXPECT_NEAR(r.s, t, 1e-8);
    EXPECT_NEAR(r.th, t, 1e-8);
    err[half] = std::hypot(r.x - std::sin(t), r.y - (1.0 - std::cos(t)));
  }
  EXPECT_LT(err[0], 1e-6);
  EXPECT_GT(err[0] / err[1], 12.0);
  EXPECT_LT(err[0] / err[1], 24.0);
}

}  // namespace
