// Curve catalogue: stated values, derivatives, curvature, ranges, poses,
// arc length and the refusal of undefined constants.
#include "cp/curves.h"

#include <gtest/gtest.h>

#include <cmath>

#include "control/params.h"
#include "cpfix.h"

using namespace agv;
using cptest::CpCurve;
using cptest::CpTest;

namespace {

double deg(double rad) { return rad * 180.0 / M_PI; }

// Heading difference folded into (-pi, pi].
double angdiff(double a, double b) { return std::remainder(a - b, 2 * M_PI); }

}  // namespace

// ---- Stated values -------------------------------------------------------

TEST_F(CpTest, CosineDefaultsRunFromOriginToFiveWithHeightFour) {
  EXPECT_DOUBLE_EQ(uend[1], 5.0);
  EXPECT_EQ(P0cp[1][0], 0.0);
  EXPECT_EQ(P0cp[1][1], 0.0);
  EXPECT_EQ(P0cp[1][2], 0.0);
  EXPECT_EQ(Pfcp[1][0], 5.0);
  EXPECT_EQ(Pfcp[1][1], 0.0);
  EXPECT_EQ(Pfcp[1][2], 0.0);
  double P[2];
  EXPECT_NEAR(curvpt(2.5, 1, P), 4.0, 1e-12);
  EXPECT_NEAR(P[1], 4.0, 1e-12);
  EXPECT_NEAR(curvk(0.0, 1), 3.158, 5e-4);
  EXPECT_NEAR(curvk(0.0, 1), A1 * w1 * w1, 1e-12);
}

TEST_F(CpTest, CycloidDefaultsEndAtFiveTwoLevel) {
  EXPECT_EQ(Pfcp[2][0], 5.0);
  EXPECT_EQ(Pfcp[2][1], 2.0);
  EXPECT_EQ(Pfcp[2][2], 0.0);
  double P[2], D[3];
  curvpt(uend[2], 2, P);
  curvd1(uend[2], 2, D);
  EXPECT_NEAR(P[0], 5.0, 1e-12);
  EXPECT_NEAR(P[1], 2.0, 1e-12);
  EXPECT_NEAR(deg(D[2]), 0.0, 1e-9);
}

TEST_F(CpTest, QuadraticEndsAtOneOneRisingAt63Degrees) {
  A3 = 1.0;
  L3 = 1.0;
  curvsetup(3);
  EXPECT_EQ(Pfcp[3][0], 1.0);
  EXPECT_EQ(Pfcp[3][1], 1.0);
  EXPECT_NEAR(deg(Pfcp[3][2]), 63.43, 0.005);
  EXPECT_DOUBLE_EQ(curvk(0.0, 3), 2.0);
}

struct RoseRange {
  double n;
  double turns;  // uend in units of pi
};

class Rose : public CpTest, public ::testing::WithParamInterface<RoseRange> {};

TEST_P(Rose, RangeFollowsTheLobeRule) {
  nr14 = GetParam().n;
  curvsetup(14);
  EXPECT_NEAR(uend[14], GetParam().turns * PI, 1e-12);
  // The rose closes at the origin.
  EXPECT_NEAR(Pfcp[14][0], 0.0, 1e-12);
  EXPECT_NEAR(Pfcp[14][1], 0.0, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Catalogue, Rose,
                         ::testing::Values(RoseRange{2.0, 2}, RoseRange{3.0, 1}, RoseRange{1.0, 2},
                                           RoseRange{0.5, 4}, RoseRange{1.0 / 3.0, 3},
                                           RoseRange{4.0, 2}, RoseRange{0.25, 8}));

TEST_F(CpTest, RoseWithFractionalLobesEndsAtItsOwnEndPoint) {
  // n = 1.5 runs over 0..pi and ends where r(pi) = -A puts it, not at the
  // origin.
  nr14 = 1.5;
  curvsetup(14);
  EXPECT_NEAR(uend[14], PI, 1e-12);
  double P[2], D[3];
  curvpt(uend[14], 14, P);
  curvd1(uend[14], 14, D);
  EXPECT_NEAR(P[0], 1.0, 1e-12);
  EXPECT_NEAR(Pfcp[14][0], P[0], 1e-12);
  EXPECT_NEAR(Pfcp[14][1], P[1], 1e-12);
  EXPECT_NEAR(angdiff(Pfcp[14][2], D[2]), 0.0, 1e-12);
}

TEST_F(CpTest, SpiralOfTwoTurnsEndsAtTwiceItsConstant) {
  for (double a : {1.0, 1.5}) {
    A12 = a;
    nt12 = 2.0;
    curvsetup(12);
    EXPECT_NEAR(uend[12], 4 * PI, 1e-12);
    EXPECT_NEAR(Pfcp[12][0], 2 * a, 1e-12);
    EXPECT_NEAR(Pfcp[12][1], 0.0, 1e-12);
  }
}

TEST_F(CpTest, EllipseWithEqualAxesIsACircle) {
  A11 = B11 = 1.5;
  curvsetup(11);
  for (double b = 0.0; b < 2 * PI; b += 0.37) {
    double P[2];
    EXPECT_NEAR(curvpt(b, 11, P), 1.5, 1e-12);
    EXPECT_NEAR(curvk(b, 11), 1 / 1.5, 1e-12);
  }
}

// ---- Every curve ---------------------------------------------------------

TEST_P(CpCurve, DerivativesMatchFiniteDifferences) {
  const int I = GetParam();
  const double e = 1e-5;
  for (int i = 1; i < 12; ++i) {
    const double u = uend[I] * i / 12.0;
    double Pp[2], Pm[2], D[3], Dp[3], Dm[3], E[2];
    const double rp = curvpt(u + e, I, Pp);
    const double rm = curvpt(u - e, I, Pm);
    const double r1 = curvd1(u, I, D);
    const double r1p = curvd1(u + e, I, Dp);
    const double r1m = curvd1(u - e, I, Dm);
    const double r2 = curvd2(u, I, E);
    for (int c = 0; c < 2; ++c) {
      EXPECT_NEAR(D[c], (Pp[c] - Pm[c]) / (2 * e), 1e-6) << "u=" << u << " c=" << c;
      EXPECT_NEAR(E[c], (Dp[c] - Dm[c]) / (2 * e), 1e-5) << "u=" << u << " c=" << c;
    }
    EXPECT_NEAR(D[2], std::atan2(D[1], D[0]), 1e-15);
    // The results: dy/dx and d2y/dx2, or dr/dbeta and d2r/dbeta2.
    EXPECT_NEAR(r1, (rp - rm) / (2 * e), 1e-6) << "u=" << u;
    EXPECT_NEAR(r2, (r1p - r1m) / (2 * e), 1e-5) << "u=" << u;
  }
}

TEST_P(CpCurve, CurvatureAndRateFollowFromTheDerivatives) {
  const int I = GetParam();
  for (int i = 0; i <= 20; ++i) {
    const double u = uend[I] * i / 20.0;
    double D[3], E[2];
    curvd1(u, I, D);
    curvd2(u, I, E);
    const double v2 = D[0] * D[0] + D[1] * D[1];
    const double kap = (D[0] * E[1] - D[1] * E[0]) / (v2 * std::sqrt(v2));
    EXPECT_NEAR(curvk(u, I), kap, 1e-10 * (1 + std::fabs(kap))) << "u=" << u;
    EXPECT_NEAR(curvds(u, I), std::sqrt(v2), 1e-12) << "u=" << u;
  }
}

TEST_P(CpCurve, PosesAreTheCurvesOwnEnds) {
  const int I = GetParam();
  double P[2], D[3];
  curvpt(0.0, I, P);
  curvd1(0.0, I, D);
  EXPECT_NEAR(P0cp[I][0], P[0], 1e-12);
  EXPECT_NEAR(P0cp[I][1], P[1], 1e-12);
  EXPECT_NEAR(angdiff(P0cp[I][2], D[2]), 0.0, 1e-12);
  curvpt(uend[I], I, P);
  curvd1(uend[I], I, D);
  EXPECT_NEAR(Pfcp[I][0], P[0], 1e-12);
  EXPECT_NEAR(Pfcp[I][1], P[1], 1e-12);
  EXPECT_NEAR(angdiff(Pfcp[I][2], D[2]), 0.0, 1e-12);
}

TEST_P(CpCurve, LengthOfZeroWidthAndReversedIntervals) {
  const int I = GetParam();
  const double u = 0.3 * uend[I];
  EXPECT_EQ(curvlen(u, u, I), 0.0);
  EXPECT_EQ(curvlen(u, u + 5e-9, I), 0.0);
  const double fwd = curvlen(0.1, u, I);
  EXPECT_GT(fwd, 0.0);
  EXPECT_NEAR(curvlen(u, 0.1, I), -fwd, 1e-12 * fwd);
  // Lengths add up over a split, whatever the panel layout.
  EXPECT_NEAR(curvlen(0.0, uend[I], I), curvlen(0.0, u, I) + curvlen(u, uend[I], I), 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Catalogue, CpCurve, ::testing::ValuesIn(cptest::kCurves));

// ---- Lengths with a closed form ------------------------------------------

TEST_F(CpTest, LengthOfACircle) {
  A11 = B11 = 2.0;
  curvsetup(11);
  EXPECT_NEAR(curvlen(0.0, uend[11], 11), 2.0 * uend[11], 1e-11);
  EXPECT_NEAR(curvlen(0.5, 0.5 + 5e-5, 11), 2.0 * 5e-5, 1e-15);  // a single panel
}

TEST_F(CpTest, LengthOfAStraightLine) {
  A3 = 0.0;
  L3 = 3.0;
  curvsetup(3);
  EXPECT_NEAR(curvlen(0.0, 3.0, 3), 3.0, 1e-12);
  EXPECT_EQ(curvk(1.0, 3), 0.0);
}

TEST_F(CpTest, LengthOfTheSpiral) {
  A12 = 1.0;
  nt12 = 2.0;
  curvsetup(12);
  const auto exact = [](double b) { return c12 / 2 * (b * std::sqrt(1 + b * b) + std::asinh(b)); };
  for (double b : {0.5, 3.0, uend[12]}) EXPECT_NEAR(curvlen(0.0, b, 12), exact(b), 1e-10);
  EXPECT_NEAR(curvlen(2.0, 7.0, 12), exact(7.0) - exact(2.0), 1e-10);
}

// ---- The cusp rule ---------------------------------------------------------

TEST_F(CpTest, CurvatureAtTheOriginWithoutSpeedIsCappedAtFifty) {
  // A rose so small that r^2 + r'^2 <= 1e-8 at its start.
  A14 = 2e-5;
  nr14 = 2.0;
  curvsetup(14);
  EXPECT_EQ(curvk(0.0, 14), 50.0);
  // The wavy circle with A = R has a cusp at the origin at beta = pi/2.
  A16 = 2.0;
  nw16 = 2.0;
  curvsetup(16);
  EXPECT_EQ(curvk(PI / 2, 16), 50.0);
  // Away from the cusp the ordinary formula holds.
  EXPECT_LT(curvk(0.3, 16), 50.0);
}

TEST_F(CpTest, CurvatureJustOffTheCuspIsTakenThere) {
  // N slightly above 1e-8 at u: the curvature is the formula at u itself,
  // with no cap.
  A14 = 2e-4;
  nr14 = 1.0;
  curvsetup(14);
  const double k = curvk(0.0, 14);
  EXPECT_GT(k, 50.0);
  EXPECT_NEAR(k, 2.0 / 2e-4, 1e-6);
}

// ---- Which constants define a curve --------------------------------------

TEST_F(CpTest, NumbersOutsideTheCatalogueAreNoCurves) {
  for (int I : {-1, 0, 5, 10, 15, 17}) {
    EXPECT_FALSE(iscurve(I)) << I;
    EXPECT_FALSE(curvdefined(I)) << I;
  }
}
TEST_F(CpTest, DefaultsDefineEveryCurve) {
  for (int I : cptest::kCurves) EXPECT_TRUE(curvdefined(I)) << I;
}

TEST_F(CpTest, ConstantsThatLeaveACurveUndefinedAreRefused) {
  struct Case {
    int I;
    double* c;
    double v;
  };
  const Case cases[] = {
      {1, &L1, 0.0},      {2, &L2, 0.0},       {3, &L3, 0.0},      {4, &L4, 0.0},
      {11, &A11, 0.0},    {11, &B11, 0.0},     {14, &nr14, 0.0},   {12, &A12, 0.0},
      {13, &A13, 0.0},    {14, &A14, 0.0},     {1, &L1, 1e-320},   {3, &L3, 1e-200},
      {11, &B11, 1e-200}, {14, &nr14, 1e-300}, {12, &nt12, 1e300}, {12, &nt12, 1e7},
  };
  for (const Case& c : cases) {
    const double old = *c.c;
    *c.c = c.v;
    EXPECT_FALSE(curvdefined(c.I)) << "I=" << c.I << " v=" << c.v;
    *c.c = old;
    EXPECT_TRUE(curvdefined(c.I)) << "I=" << c.I;
  }
}

TEST_F(CpTest, DegenerateButFiniteCurvesStayAllowed) {
  A1 = 0.0;    // a straight line
  A16 = 0.0;   // a circle
  nt12 = 0.0;  // a spiral of no turn: a single point
  A3 = 0.0;
  EXPECT_TRUE(curvdefined(1));
  EXPECT_TRUE(curvdefined(16));
  EXPECT_TRUE(curvdefined(12));
  EXPECT_TRUE(curvdefined(3));
  curvsetup(1);
  EXPECT_EQ(curvk(1.3, 1), 0.0);
  EXPECT_NEAR(curvlen(0.0, uend[1], 1), L1, 1e-12);
  curvsetup(16);
  EXPECT_NEAR(curvk(1.0, 16), 1 / R16, 1e-12);
}
