// CP paths: curves, arc-length table and inverse, walk, runs, refusal of curves too long.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <tuple>

#include "control/dialogue.h"
#include "control/startup.h"
#include "cp/arclen.h"
#include "cp/track.h"
#include "motion/runs.h"
#include "support/session.h"
#include "motion/shown.h"
#include "motion/records.h"
#include "cp/curves.h"

using namespace agv;

namespace {

constexpr int kCurves[] = {1, 2, 3, 4, 11, 12, 13, 14, 16};
const double kNaN = NAN;

// Each test starts from the start-up constants, every curve set up.
class CpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    agvtest::scripted("", startup);
    dSteerMax = steerRate * dtCP;
    for (int I : kCurves) curvsetup(I);
  }
};

class CpCurve : public CpTest, public ::testing::WithParamInterface<int> {};
INSTANTIATE_TEST_SUITE_P(Catalogue, CpCurve, ::testing::ValuesIn(kCurves));

// Set-up, length check and table, as the dialogue does them.
bool prepare(int I) {
  curvsetup(I);
  int ok = 0;
  agvtest::scripted("", [&] { ok = chklen(I); });
  if (ok) caltab(I);
  return ok != 0;
}

// Runs fn(I), expects the result `want` and gives the output.
std::string run(int (*fn)(int), int I, int want) {
  int r = -1;
  const std::string out = agvtest::scripted("", [&] { r = fn(I); }).out;
  EXPECT_EQ(r, want);
  return out;
}

// The pose is the curve's own point and heading at u.
void expectPoseAt(const double* pose, double u, int I) {
  double P[2], D[3];
  curvpt(u, I, P);
  curvd1(u, I, D);
  for (int c = 0; c < 2; ++c) EXPECT_NEAR(pose[c], P[c], 1e-12) << I << " u=" << u;
  EXPECT_NEAR(std::remainder(pose[2] - D[2], 2 * PI), 0.0, 1e-12) << I << " u=" << u;
}

// Length of the spiral r = c beta from 0 to b.
double spiralLen(double c, double b) { return c / 2 * (b * std::sqrt(1 + b * b) + std::asinh(b)); }

// Sets up the spiral of four turns and length L.
void longSpiral(double L) {
  nt12 = 4.0;
  A12 = 2 * M_PI * L / spiralLen(1.0, 2 * M_PI * 4.0);
}

// Curve I with its constant *c set to v, and whether it passes a check.
using ConstCase = std::tuple<int, double*, double, bool>;

const char* const kWalkTooLong1 =
    "\ncalpath() I=12 AGV=1 時系列刻み数k=3000>=3000=MAX 多すぎる(経路長長過ぎる)．";

TEST_F(CpTest, StatedValues) {
  double P[2];
  // Cosine: height 4 at 2.5, curvature 3.158 at 0.
  EXPECT_NEAR(curvpt(2.5, 1, P), 4.0, 1e-12);
  EXPECT_NEAR(curvk(0.0, 1), 3.158, 5e-4);
  // Ends: the cycloid's (5, 2, 0 deg); the quadratic's with A = L = 1 (1, 1) at 63.43 deg.
  const double cycloidEnd[] = {5.0, 2.0, 0.0};
  for (int c = 0; c < 3; ++c) EXPECT_EQ(Pfcp[2][c], cycloidEnd[c]) << c;
  for (int c = 0; c < 2; ++c) EXPECT_EQ(Pfcp[3][c], 1.0) << c;
  EXPECT_NEAR(Pfcp[3][2] * RAD2DEG, 63.43, 0.005);
  EXPECT_DOUBLE_EQ(curvk(0.0, 3), 2.0);  // the quadratic's curvature at 0
  // Spiral of two turns: 0 .. 4 pi, ending at (2 A, 0).
  const double spiral[][2] = {{uend[12], 4 * PI}, {Pfcp[12][0], 2 * A12}, {Pfcp[12][1], 0.0}};
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(spiral[i][0], spiral[i][1], 1e-12) << i;
  // The rose's range in half turns, for lobe numbers n.
  const double rose[][2] = {{2, 2},       {3, 1}, {1, 2},    {0.5, 4},
                            {1.0 / 3, 3}, {4, 2}, {0.25, 8}, {1.5, 1}};
  for (const auto& n : rose) {
    nr14 = n[0];
    curvsetup(14);
    EXPECT_NEAR(uend[14], n[1] * PI, 1e-12) << n[0];
    expectPoseAt(Pfcp[14], uend[14], 14);
  }
}

TEST_P(CpCurve, DerivativesPosesAndLengths) {
  const int I = GetParam();
  const double e = 1e-5;
  // Order o and its result (dy/dx, d2y/dx2 or dr/db, d2r/db2) against differences of o - 1.
  double (*const f[])(double, int, double*) = {curvpt, curvd1, curvd2};
  for (int i = 1; i < 12; ++i) {
    const double u = uend[I] * i / 12.0;
    double D[3][3], Dp[3], Dm[3];
    for (int o = 1; o < 3; ++o) {
      const double tol = o == 1 ? 1e-6 : 1e-5;
      const double r = f[o](u, I, D[o]);
      const double rp = f[o - 1](u + e, I, Dp);
      const double rm = f[o - 1](u - e, I, Dm);
      for (int c = 0; c < 2; ++c)
        EXPECT_NEAR(D[o][c], (Dp[c] - Dm[c]) / (2 * e), tol) << "u=" << u << " o" << o << c;
      EXPECT_NEAR(r, (rp - rm) / (2 * e), tol) << "u=" << u << " o" << o;
    }
    const double v2 = D[1][0] * D[1][0] + D[1][1] * D[1][1];
    const double kap = (D[1][0] * D[2][1] - D[1][1] * D[2][0]) / (v2 * std::sqrt(v2));
    EXPECT_NEAR(curvk(u, I), kap, 1e-10 * (1 + std::fabs(kap))) << "u=" << u;
    EXPECT_NEAR(curvds(u, I), std::sqrt(v2), 1e-12) << "u=" << u;
  }
  expectPoseAt(P0cp[I], 0.0, I);
  expectPoseAt(Pfcp[I], uend[I], I);
  // Zero-width and reversed intervals; lengths add up over a split.
  const double u = 0.3 * uend[I];
  for (double w : {0.0, 5e-9}) EXPECT_EQ(curvlen(u, u + w, I), 0.0) << w;
  const double fwd = curvlen(0.1, u, I);
  EXPECT_GT(fwd, 0.0);
  EXPECT_NEAR(curvlen(u, 0.1, I), -fwd, 1e-12 * fwd);
  EXPECT_NEAR(curvlen(0.0, uend[I], I), curvlen(0.0, u, I) + curvlen(u, uend[I], I), 1e-9);
}

TEST_F(CpTest, CircleLineAndSpiralByTheirClosedForms) {
  A11 = B11 = 1.5;  // the ellipse as a circle
  curvsetup(11);
  for (double b = 0.0; b < 2 * PI; b += 0.37) EXPECT_NEAR(curvk(b, 11), 1 / 1.5, 1e-12);
  EXPECT_NEAR(curvlen(0.0, uend[11], 11), 1.5 * uend[11], 1e-11);
  EXPECT_NEAR(curvlen(0.5, 0.5 + 5e-5, 11), 1.5 * 5e-5, 1e-15);  // a single panel
  A3 = 0.0;
  L3 = 3.0;
  curvsetup(3);
  EXPECT_NEAR(curvlen(0.0, 3.0, 3), 3.0, 1e-12);  // a straight line
  for (double b : {0.5, 3.0, uend[12]}) EXPECT_NEAR(curvlen(0.0, b, 12), spiralLen(c12, b), 1e-10);
  EXPECT_NEAR(curvlen(2.0, 7.0, 12), spiralLen(c12, 7.0) - spiralLen(c12, 2.0), 1e-10);
}

TEST_F(CpTest, CurvatureWhereTheCurvePassesTheOriginWithoutSpeed) {
  // r^2 + r'^2 <= 1e-8: taken 0.001 further on and capped at 50.
  A14 = 2e-5;
  curvsetup(14);
  EXPECT_EQ(curvk(0.0, 14), 50.0);
  A16 = 2.0;  // a cusp at beta = pi/2
  curvsetup(16);
  EXPECT_EQ(curvk(PI / 2, 16), 50.0);
  EXPECT_LT(curvk(0.3, 16), 50.0);
  // Just above 1e-8: the formula at u itself, with no cap.
  A14 = 2e-4;
  nr14 = 1.0;
  curvsetup(14);
  EXPECT_NEAR(curvk(0.0, 14), 2.0 / 2e-4, 1e-6);
}

TEST_F(CpTest, WhichConstantsDefineACurve) {
  for (int I : kCurves) EXPECT_TRUE(curvdefined(I)) << I;
  // Division by zero, 0/0, an infinite range: undefined.  Degenerate: defined.
  const ConstCase cases[] = {
      {1, &L1, 0.0, false},      {11, &A11, 0.0, false},     {11, &B11, 0.0, false},
      {14, &A14, 0.0, false},    {14, &nr14, 0.0, false},    {2, &L2, 0.0, false},
      {3, &L3, 0.0, false},      {4, &L4, 0.0, false},       {12, &A12, 0.0, false},
      {13, &A13, 0.0, false},    {1, &L1, 1e-320, false},    {3, &L3, 1e-200, false},
      {11, &B11, 1e-200, false}, {14, &nr14, 1e-300, false}, {12, &nt12, 1e300, false},
      {12, &nt12, 1e7, false},   {1, &A1, 0.0, true},        {16, &A16, 0.0, true},
      {12, &nt12, 0.0, true},    {3, &A3, 0.0, true},        {3, &L3, 1e-160, false},
      {4, &L4, 1e-160, false}};
  for (const auto& [I, c, v, ok] : cases) {
    const double old = *c;
    *c = v;
    EXPECT_EQ(curvdefined(I), ok) << "I=" << I << " v=" << v;
    *c = old;
  }
  // Coefficients too large to form: the wavy circle's A n^2.
  A16 = 1e300;
  nw16 = 1e10;
  EXPECT_FALSE(curvdefined(16));
  nw16 = 2.0;
  EXPECT_TRUE(curvdefined(16));
}

TEST_P(CpCurve, TableInverseAndWalk) {
  const int I = GetParam();
  ASSERT_TRUE(prepare(I));
  const int n = ntab[I];
  const double sf = Pfcp[I][3];
  ASSERT_LT(n, MAX);
  for (int k = 1; k < n; ++k) EXPECT_EQ(utab[I][k][0], utab[I][k - 1][0] + 0.01) << k;
  EXPECT_LE(utab[I][n - 1][0], uend[I]);
  EXPECT_GT(utab[I][n - 1][0] + 0.01, uend[I]);
  EXPECT_EQ(utab[I][n][0], uend[I]);
  EXPECT_NEAR(utab[I][n][1], sf, 1e-9);
  for (int k = 1; k < n; k += 7)
    EXPECT_NEAR(s2u(utab[I][k][0] - 0.1, utab[I][k][1], I), utab[I][k][0], 1e-7) << k;
  for (double s = 0.0137, u = 0.0; s < sf; s += 0.0137) {
    u = s2u(u - 0.05, s, I);
    EXPECT_NEAR(curvlen(0.0, u, I), s, 1e-7) << "s=" << s;
  }
  for (double s : {0.004, 0.3 * sf, 0.77 * sf, sf - 1e-4}) {
    const double us = s2u(0.0, s, I);
    for (double g : {-3.0, us - 0.1, us, us + 0.5, uend[I] + 10.0, 1e300, kNaN})
      EXPECT_EQ(s2u(g, s, I), us) << "s=" << s << " guess=" << g;
  }
  ASSERT_EQ(calpath(I), 0);
  for (int k : {0, 2}) {
    EXPECT_EQ(NN[k], static_cast<int>(std::floor(sf / dsCP)) + 1) << k;
    EXPECT_NEAR(TCP[k], sf / Vmax, 1e-9) << k;
  }
  // Every default curve is bent: the front-driven type advances dsCP cos(phi) a step.
  EXPECT_GT(NN[1], NN[0]);
}

TEST_F(CpTest, InverseAtTheEndsAndOnAnyTable) {
  // 500 steps of 0.01 add up to just under 5: the row at 5 repeats the one before.
  ASSERT_TRUE(prepare(1));
  ASSERT_EQ(ntab[1], 501);
  EXPECT_EQ(utab[1][501][1], utab[1][500][1]);
  for (double s : {Pfcp[1][3] - 1e-3, Pfcp[1][3] - 1e-6})
    EXPECT_NEAR(curvlen(0.0, s2u(4.9, s, 1), 1), s, 1e-7);
  ASSERT_TRUE(prepare(16));
  const double sf = Pfcp[16][3];
  for (double s : {0.0, -0.5}) EXPECT_EQ(s2u(1.0, s, 16), 0.0) << s;
  for (double s : {sf, sf - 5e-8, 1e9}) EXPECT_EQ(s2u(1.0, s, 16), uend[16]) << s;
  EXPECT_TRUE(std::isnan(s2u(1.0, kNaN, 16)));
  // Row lengths that no curve gives still end the search inside the range.
  for (double d : {kNaN, 0.0, 1e6, -1.0}) {
    for (int k = 1; k <= ntab[16]; ++k) utabd[16][k] = d;
    const double u = s2u(1.0, 0.4 * sf, 16);
    EXPECT_GE(u, 0.0) << d;
    EXPECT_LE(u, uend[16]) << d;
  }
}

// The inverse as it is written for the step above the row (ua, sa): the bracket ua ... ua + 0.01,
// then secant steps replacing the end with the larger residual.
double secant(double ua, double sa, double s, int I) {
  double fa = sa - s;
  double ub = ua + 0.01;
  double fb = curvlen(ua, ub, I) + fa;
  if (std::fabs(fb) < 1e-7) return ub;
  for (;;) {
    const double uc = ua - fa * (ub - ua) / (fb - fa);
    const double fc = curvlen(ua, uc, I) + fa;
    if (std::fabs(fc) < 1e-7 || std::fabs(uc - ua) < 1e-7 || std::fabs(uc - ub) < 1e-7) return uc;
    if (std::fabs(fb) > std::fabs(fa)) {
      ub = uc;
      fb = fc;
    } else {
      ua = uc;
      fa = fc;
    }
  }
}

TEST_F(CpTest, InverseInTheLastRowBracketsOneTableStepLikeEveryOtherRow) {
  // The polar curves end at 2 pi, short of a whole table step.
  for (int I : {11, 13, 16}) {
    ASSERT_TRUE(prepare(I));
    const int n = ntab[I];
    const double ua = utab[I][n - 1][0], sa = utab[I][n - 1][1];
    for (double f : {0.1, 0.5, 0.9}) {
      const double s = sa + f * (Pfcp[I][3] - sa);
      EXPECT_EQ(s2u(ua - 0.1, s, I), secant(ua, sa, s, I)) << I << " " << f;
    }
  }
}

TEST_F(CpTest, RangesPastTheTableAreRefusedAndNeverOverrunIt) {
  const ConstCase cases[] = {{12, &nt12, 4.77, true}, {12, &nt12, 4.78, false},
                             {3, &L3, 29.98, true},   {3, &L3, 30.0, false},
                             {14, &nr14, 0.2, true},  {14, &nr14, 0.1, false}};
  for (const auto& [I, c, v, ok] : cases) {
    *c = v;
    curvsetup(I);
    char want[200];
    std::snprintf(want, sizeof want,
                  "\nchkrange() I=%d 曲線範囲uend=%7.4f>=29.99 "
                  "弧長表の行数が3000=MAXを超える(範囲長過ぎる)．",
                  I, uend[I]);
    EXPECT_EQ(run(chkrange, I, ok), ok ? "" : want) << I << " " << v;
  }
  // Unchecked, the table of a longer range still ends in its last row.
  A3 = 0.0;
  L3 = 35.0;
  ASSERT_TRUE(prepare(3));
  EXPECT_EQ(ntab[3], MAX - 1);
  EXPECT_EQ(utab[3][MAX - 1][0], 35.0);
  for (double s : {10.0, 29.985, 31.0, 34.9}) EXPECT_NEAR(s2u(s - 0.1, s, 3), s, 1e-7);
}

TEST_P(CpCurve, Runs) {
  const int I = GetParam();
  ASSERT_TRUE(prepare(I));
  const double sf = Pfcp[I][3];
  int n = -1;
  agvtest::scripted("", [&] { n = caltraj(I); });
  ASSERT_EQ(n, NN[2]);
  ASSERT_LT(n, MAX);
  EXPECT_GT(TCP[1], TCP[0] + 0.1);
  for (int k = 0; k < 3; ++k) {
    if (k != 1) {
      EXPECT_NEAR(TCP[k], sf / Vmax, 1e-6) << k;
      EXPECT_NEAR(NN[k], sf / 0.02 + 1, 1.0) << k;
    }
    // The last record is the end point, on the curve like all (front-driven: rate changes).
    EXPECT_NEAR(refCP[k][NN[k]][RS], sf, k == 1 ? 1e-6 : 1e-9) << k;
    EXPECT_EQ(refCP[k][NN[k]][RU], uend[I]) << k;
    for (int i = 0; i <= NN[k]; ++i) {
      double Q[2];
      curvpt(refCP[k][i][RU], I, Q);
      for (int c = 0; c < 2; ++c) ASSERT_NEAR(refCP[k][i][RX + c], Q[c], 1e-6) << k << " " << i;
      if (k != 1 && i < NN[k]) {
        ASSERT_NEAR(refCP[k][i][RS], i * dsCP, 1e-6) << k << " " << i;
      }
      // The caster type follows the curve exactly.
      for (int f = 0; k == 0 && f < 6; ++f) ASSERT_NEAR(errCP[0][i][f], 0.0, 1e-9) << i << " " << f;
      for (int f = 0; f < 6; ++f)
        ASSERT_EQ(errCP[k][i][f], cvCP[k][i][f] - refCP[k][i][f]) << k << " " << i << " " << f;
    }
  }
  // The extents of the graphs: x and y of the reference pooled, curvature of reference and
  // run pooled, over every record.
  extentsCP();
  for (int k = 0; k < 3; ++k) {
    double hi = -1000, lo = 1000, khi = -1000, klo = 1000;
    for (int i = 0; i <= NN[k]; ++i) {
      hi = std::max({hi, refCP[k][i][RX], refCP[k][i][RY]});
      lo = std::min({lo, refCP[k][i][RX], refCP[k][i][RY]});
      khi = std::max({khi, refCP[k][i][RKAP], cvCP[k][i][RKAP]});
      klo = std::min({klo, refCP[k][i][RKAP], cvCP[k][i][RKAP]});
    }
    EXPECT_EQ(bndCP[k][EXTHI], hi) << k;
    EXPECT_EQ(bndCP[k][EXTLO], lo) << k;
    EXPECT_EQ(bndCP[k][EXTMAG], std::max(std::fabs(hi), std::fabs(lo))) << k;
    EXPECT_EQ(bndCPk[k][EXTHI], khi) << k;
    EXPECT_EQ(bndCPk[k][EXTLO], klo) << k;
    EXPECT_EQ(bndCPk[k][EXTMAG], std::max(std::fabs(khi), std::fabs(klo))) << k;
  }
}

TEST_F(CpTest, EndPosesAreTheCurvesOwnWhateverTheRange) {
  // Ranges that end off the x axis: a spiral of a turn and a quarter, roses of other n.
  nt12 = 1.25;
  curvsetup(12);
  expectPoseAt(Pfcp[12], uend[12], 12);
  for (double n : {1.5, 3.0, 0.5}) {
    nr14 = n;
    curvsetup(14);
    expectPoseAt(Pfcp[14], uend[14], 14);
  }
  nw16 = 2.5;
  curvsetup(16);
  expectPoseAt(Pfcp[16], uend[16], 16);
}

TEST_F(CpTest, RoseDerivativesForOtherPetalCounts) {
  for (double n : {3.0, 0.5, 1.0 / 3.0}) {
    nr14 = n;
    curvsetup(14);
    const double e = 1e-5;
    for (int i = 1; i < 9; ++i) {
      const double u = uend[14] * i / 9.0;
      double D[3], Dp[3], Dm[3], E[2];
      const double r1 = curvd1(u, 14, D);
      const double r2 = curvd2(u, 14, E);
      const double r1p = curvd1(u + e, 14, Dp);
      const double r1m = curvd1(u - e, 14, Dm);
      EXPECT_NEAR(r2, (r1p - r1m) / (2 * e), 1e-5) << n << " u=" << u;
      double P[2], Pp[2], Pm[2];
      curvpt(u, 14, P);
      EXPECT_NEAR(r1, (curvpt(u + e, 14, Pp) - curvpt(u - e, 14, Pm)) / (2 * e), 1e-6) << n;
    }
  }
}

TEST_F(CpTest, CurvesTooLongForTheRecordsAreRefused) {
  // 59.99 m: 3000 walk steps; first type's end record at 3000, front-driven type refused.
  longSpiral(59.99);
  ASSERT_TRUE(prepare(12));
  EXPECT_EQ(run(calpath, 12, MAX), kWalkTooLong1);
  EXPECT_EQ(run(caltraj, 12, MAX),
            "\ncaltraj() I=12 AGV=2 刻み数NN=3000>=3000=MAX 経路長長過ぎる．経路設定し直し");
  EXPECT_EQ(NN[0], MAX);
  EXPECT_NEAR(refCP[0][MAX][RS], Pfcp[12][3], 1e-9);
}

TEST_F(CpTest, DialogueReturnsToTheCurveSetUpFromACurveTooLong) {
  longSpiral(59.99);
  char spiral[64];
  std::snprintf(spiral, sizeof spiral, "c12\n%.12f 4\nn3\n1 1\nx", A12);
  const std::string cases[][2] = {
      {spiral, std::string(kWalkTooLong1) + "\ndialogue() I=12 経路設定し直し"},
      // 0.1 m per turn over five turns: short, but 31.4 rad of range.
      {"c12\n0.1 5\nn3\n1 1\nx",
       "\nchkrange() I=12 曲線範囲uend=31.4159>=29.99 "
       "弧長表の行数が3000=MAXを超える(範囲長過ぎる)．"},
  };
  for (const auto& c : cases) {
    // The refusal leads to the curve change, which sets up the quadratic.
    const auto s = agvtest::firstPass(c[0]);
    EXPECT_FALSE(s.eof);
    EXPECT_NE(s.out.find(c[1] + "\n\n(4) 旧経路 :"), std::string::npos) << s.out;
    EXPECT_EQ(curveNo, 3);
  }
}

}  // namespace
