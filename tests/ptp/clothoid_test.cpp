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
using agv::clresid;
using agv::clsolve;
using agv::intcos2;
using agv::intsin2;
using agv::Karc;
using agv::kpair;

struct Division {
  double step;
  int n;
};

Division divide(double T, double D) {
  Division d{-1.0, -1};
  calstep(T, D, d.step, d.n);
  return d;
}

TEST(Calstep, WholeStepsOfAboutTheNominalSize) {
  Division d = divide(1.0, 0.02);
  EXPECT_EQ(d.n, 50);
  EXPECT_DOUBLE_EQ(d.step, 0.02);
  d = divide(1.01, 0.02);
  EXPECT_EQ(d.n, 50);
  EXPECT_DOUBLE_EQ(d.step, 1.01 / 50);
  d = divide(0.015, 0.02);  // shorter than one step: one short step
  EXPECT_EQ(d.n, 1);
  EXPECT_EQ(d.step, 0.015);
}

TEST(Calstep, NegativeQuantityKeepsItsSign) {
  Division d = divide(-1.0, 0.02);
  EXPECT_EQ(d.n, 50);
  EXPECT_DOUBLE_EQ(d.step, -0.02);
  d = divide(-0.015, 0.02);
  EXPECT_EQ(d.n, 1);
  EXPECT_EQ(d.step, -0.015);
}

TEST(Calstep, TinyQuantityGivesNoStep) {
  for (double T : {5e-5, -5e-5, 0.0, 9.99e-5}) {
    const Division d = divide(T, 0.02);
    EXPECT_EQ(d.n, 0) << T;
    EXPECT_EQ(d.step, 0.0) << T;
  }
  EXPECT_EQ(divide(1e-4, 0.02).n, 1);  // the threshold itself is divided
}

TEST(Calstep, StepLimitOfTheTimeSeries) {
  EXPECT_EQ(divide(60.0, 0.02).n, 3000);
  EXPECT_EQ(divide(59.98, 0.02).n, 2999);
}

TEST(Calstep, CountBeyondIntIsHeldAtItsLargestValue) {
  const Division d = divide(1e12, 0.02);
  EXPECT_EQ(d.n, std::numeric_limits<int>::max());
  EXPECT_DOUBLE_EQ(d.step, 1e12 / std::numeric_limits<int>::max());
}

// Power series of the integrals: an independent reference.
double seriesC(double u) {
  double sum = 0, term = u;  // (-1)^n u^(4n+1) / (2n)!
  for (int n = 0; n < 40; ++n) {
    sum += term / (4 * n + 1);
    term *= -u * u * u * u / ((2 * n + 1) * (2 * n + 2));
  }
  return sum;
}
double seriesS(double u) {
  double sum = 0, term = u * u * u;  // (-1)^n u^(4n+3) / (2n+1)!
  for (int n = 0; n < 40; ++n) {
    sum += term / (4 * n + 3);
    term *= -u * u * u * u / ((2 * n + 2) * (2 * n + 3));
  }
  return sum;
}

TEST(ClothoidIntegrals, ZeroAtZero) {
  EXPECT_EQ(intcos2(0.0), 0.0);
  EXPECT_EQ(intsin2(0.0), 0.0);
}

TEST(ClothoidIntegrals, KnownValuesAtOne) {
  EXPECT_NEAR(intcos2(1.0), 0.904524237900272, 1e-10);
  EXPECT_NEAR(intsin2(1.0), 0.310268301723381, 1e-10);
}

TEST(ClothoidIntegrals, MatchThePowerSeries) {
  for (double u : {0.1, 0.5, 0.886, 1.5, 2.0, -1.2}) {
    EXPECT_NEAR(intcos2(u), seriesC(u), 1e-8) << u;
    EXPECT_NEAR(intsin2(u), seriesS(u), 1e-8) << u;
  }
}

class Fit : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = Karc; }
  void TearDown() override { Karc = saved_; }

  // End point of the clothoid-arc-clothoid curve with turn phi per
  // clothoid, middle curvature kap and total turn Th, found by integrating
  // its heading finely; the curve starts at the origin heading along +x.
  static void curveEnd(double Th, double phi, double kap, double& x, double& y) {
    const double Lc = 2 * phi / kap;
    const double Ltot = (2 * phi + Th) / kap;
    auto heading = [&](double t) {
      if (t < Lc) return kap * t * t / (2 * Lc);
      if (t > Ltot - Lc) {
        const double r = Ltot - t;
        return Th - kap * r * r / (2 * Lc);
      }
      return phi + kap * (t - Lc);
    };
    const int n = 200000;
    const double h = Ltot / n;
    x = 0;
    y = 0;
    for (int i = 0; i < n; ++i) {
      const double a = heading(i * h), m = heading((i + 0.5) * h), b = heading((i + 1) * h);
      x += (std::cos(a) + 4 * std::cos(m) + std::cos(b)) * h / 6;
      y += (std::sin(a) + 4 * std::sin(m) + std::sin(b)) * h / 6;
    }
  }

  // The fitted curve must end where the arc of curvature Karc ends.
  void expectSameEnds(double Th, double phi, double kap) {
    double x = 0, y = 0;
    curveEnd(Th, phi, kap, x, y);
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
  EXPECT_DOUBLE_EQ(kap, kpair(1.0, agv::PI / 2, agv::PI / 4));
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
  EXPECT_DOUBLE_EQ(kap, kpair(1.0, 0.015, 0.0075));
}

TEST_F(Fit, ResidualAtZeroTurn) {
  Karc = 1.0;
  double kap = -1;
  EXPECT_DOUBLE_EQ(clresid(1.2, 0.0, kap), -std::sin(0.6));
  EXPECT_EQ(kap, 0.0);
  clresid(1.2, 0.3, kap);
  EXPECT_DOUBLE_EQ(kap, std::sqrt(2 * 0.3 * agv::dKds));
}

// A root just below the first scan point: the regula falsi closes in from
// one side only and needs more than a thousand steps.  It must still find
// the root rather than fall back on the clothoid pair.
TEST_F(Fit, SlowRegulaFalsiStillFindsTheRoot) {
  Karc = 0.10117470765089179;
  const double Th = 0.020475189780289758;
  double phi = 0, kap = 0;
  EXPECT_EQ(clsolve(Th, phi, kap), 1);
  EXPECT_NEAR(phi, 0.0099937, 1e-6);
  EXPECT_LT(phi, Th / 2);
  double k = 0;
  const double f0 = clresid(Th, 0.01, k);
  EXPECT_LT(std::fabs(clresid(Th, phi, k) / f0), 1e-6);
}

}  // namespace
