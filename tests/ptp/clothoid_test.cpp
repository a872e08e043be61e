// Step division, the integrals of cos(t^2) and sin(t^2) and the clothoid
// fit.
#include "ptp/clothoid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "control/params.h"
#include "ptp/planner.h"

namespace {

using agv::calstep;
using agv::clsolve;
using agv::Karc;

void expectDivision(double T, int n, double step) {
  double st = -1;
  int cnt = -1;
  calstep(T, 0.02, st, cnt);
  EXPECT_EQ(cnt, n) << T;
  EXPECT_DOUBLE_EQ(st, step) << T;
}

TEST(Calstep, Cases) {
  expectDivision(1.0, 50, 0.02);
  expectDivision(1.01, 50, 1.01 / 50);
  expectDivision(0.015, 1, 0.015);  // shorter than one step: one short step
  expectDivision(-1.0, 50, -0.02);  // the step keeps the sign
  expectDivision(-0.015, 1, -0.015);
  expectDivision(5e-5, 0, 0.0);  // too small: no step
  expectDivision(-5e-5, 0, 0.0);
  expectDivision(0.0, 0, 0.0);
  expectDivision(60.0, 3000, 0.02);  // the step limit straight ahead
  expectDivision(59.98, 2999, 59.98 / 2999);
}

TEST(Calstep, CountBeyondIntIsHeldAtItsLargestValue) {
  const int big = std::numeric_limits<int>::max();
  expectDivision(1e12, big, 1e12 / big);
}

TEST(ClothoidIntegrals, KnownValues) {
  EXPECT_EQ(agv::intcos2(0.0), 0.0);
  EXPECT_EQ(agv::intsin2(0.0), 0.0);
  EXPECT_NEAR(agv::intcos2(1.0), 0.904524237900272, 1e-10);
  EXPECT_NEAR(agv::intsin2(1.0), 0.310268301723381, 1e-10);
  // u = sqrt(pi/2): sqrt(pi/2) times the Fresnel integrals C(1), S(1).
  const double u = std::sqrt(agv::PI / 2);
  EXPECT_NEAR(agv::intcos2(u), u * 0.779893400376823, 1e-9);
  EXPECT_NEAR(agv::intsin2(u), u * 0.438259147390355, 1e-9);
  EXPECT_NEAR(agv::intcos2(-1.0), -0.904524237900272, 1e-10);
}

class Fit : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = Karc; }
  void TearDown() override { Karc = saved_; }

  // The clothoid-arc-clothoid curve (turn phi per clothoid, middle
  // curvature kap) must end where the arc of curvature Karc turning Th
  // ends.  Its heading is integrated finely from the origin along +x.
  static void expectSameEnds(double Th, double phi, double kap) {
    const double Lc = 2 * phi / kap, Ltot = (2 * phi + Th) / kap;
    auto heading = [&](double t) {
      if (t < Lc) return kap * t * t / (2 * Lc);
      if (t > Ltot - Lc) return Th - kap * (Ltot - t) * (Ltot - t) / (2 * Lc);
      return phi + kap * (t - Lc);
    };
    const int n = 200000;
    const double h = Ltot / n;
    double x = 0, y = 0;
    for (int i = 0; i < n; ++i) {
      const double a = heading(i * h), m = heading((i + 0.5) * h), b = heading((i + 1) * h);
      x += (std::cos(a) + 4 * std::cos(m) + std::cos(b)) * h / 6;
      y += (std::sin(a) + 4 * std::sin(m) + std::sin(b)) * h / 6;
    }
    EXPECT_NEAR(x, std::sin(Th) / Karc, 1e-5);
    EXPECT_NEAR(y, (1 - std::cos(Th)) / Karc, 1e-5);
  }

 private:
  double saved_ = 0;
};

TEST_F(Fit, QuarterTurnTakesTheClothoidPair) {
  Karc = 1.0;
  double phi = 0, kap = 0;
  EXPECT_EQ(clsolve(agv::PI / 2, phi, kap), 0);
  EXPECT_DOUBLE_EQ(phi, agv::PI / 4);
  EXPECT_NEAR(kap, 1.870, 5e-4);
  EXPECT_NEAR(2 * (2 * phi / kap), 1.680, 5e-4);  // both clothoids
  expectSameEnds(agv::PI / 2, phi, kap);
}

TEST_F(Fit, HalfTurnFindsAClothoidArcClothoid) {
  Karc = 1.0;
  double phi = 0, kap = 0;
  EXPECT_EQ(clsolve(agv::PI, phi, kap), 1);
  EXPECT_NEAR(phi, 0.255, 5e-4);
  EXPECT_NEAR(kap, 1.011, 5e-4);
  EXPECT_EQ(kap, std::sqrt(2 * phi * agv::dKds));  // the κ of the root's residual
  EXPECT_NEAR((2 * phi + agv::PI) / kap, 3.613, 5e-4);
  expectSameEnds(agv::PI, phi, kap);
}

TEST_F(Fit, QuarterTurnOfAWideArc) {
  Karc = 0.5;
  double phi = 0, kap = 0;
  EXPECT_EQ(clsolve(agv::PI / 2, phi, kap), 1);
  EXPECT_NEAR(phi, 0.072, 5e-4);
  EXPECT_NEAR(kap, 0.536, 5e-4);
  EXPECT_NEAR((2 * phi + agv::PI / 2) / kap, 3.197, 5e-4);
  expectSameEnds(agv::PI / 2, phi, kap);
}

TEST_F(Fit, TurnTooSmallForOneScanStepTakesThePair) {
  Karc = 1.0;
  double phi = 0, kap = 0;
  EXPECT_EQ(clsolve(0.015, phi, kap), 0);
  EXPECT_EQ(phi, 0.0075);
  EXPECT_DOUBLE_EQ(kap, agv::kpair(1.0, 0.015, 0.0075));
}

// A root just below the first scan point: the regula falsi closes in from
// one side only and needs more than a thousand steps.  It must still find
// the root rather than give up.
TEST_F(Fit, SlowRegulaFalsiStillFindsTheRoot) {
  Karc = 0.10117470765089179;
  const double Th = 0.020475189780289758;
  double phi = 0, kap = 0, k = 0;
  EXPECT_EQ(clsolve(Th, phi, kap), 1);
  EXPECT_NEAR(phi, 0.0099937, 1e-6);
  EXPECT_LT(std::fabs(agv::clresid(Th, phi, k) / agv::clresid(Th, 0.01, k)), 1e-6);
}

}  // namespace
