// Arc-length table, its inverse, the range check and the step count.
#include "cp/arclen.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "control/dialogue.h"
#include "cp/curves.h"
#include "cp/track.h"
#include "cpfix.h"
#include "support/session.h"

using namespace agv;
using agvtest::scripted;
using cptest::CpCurve;
using cptest::CpTest;
using cptest::prepare;

namespace {

// Length of the spiral r = c beta from 0 to b.
double spirallen(double c, double b) { return c / 2 * (b * std::sqrt(1 + b * b) + std::asinh(b)); }

// A12 that gives the spiral of nt12 turns the length L.
double spiralA(double nt, double L) { return L / spirallen(1.0, 2 * M_PI * nt) * 2 * M_PI; }

}  // namespace

// ---- The table -----------------------------------------------------------

TEST_P(CpCurve, TableStepsByAHundredthToTheEndOfTheRange) {
  const int I = GetParam();
  ASSERT_TRUE(prepare(I));
  const int n = ntab[I];
  ASSERT_GT(n, 1);
  ASSERT_LT(n, MAX);
  EXPECT_EQ(utab[I][0][0], 0.0);
  EXPECT_EQ(utab[I][0][1], 0.0);
  for (int k = 1; k < n; ++k) {
    EXPECT_EQ(utab[I][k][0], utab[I][k - 1][0] + 0.01) << k;
    EXPECT_EQ(utab[I][k][1], utab[I][k - 1][1] + utabd[I][k]) << k;
    EXPECT_NEAR(utabd[I][k], curvlen(utab[I][k - 1][0], utab[I][k][0], I), 1e-15) << k;
  }
  EXPECT_LE(utab[I][n - 1][0], uend[I]);
  EXPECT_GT(utab[I][n - 1][0] + 0.01, uend[I]);
  EXPECT_EQ(utab[I][n][0], uend[I]);
  EXPECT_NEAR(utab[I][n][1], Pfcp[I][3], 1e-9);
}

TEST_F(CpTest, RangeOfWholeHundredthsEndsWithARepeatedRowOrAFullStep) {
  // Five hundred steps of 0.01 add up to just under 5: the row at 5 then
  // repeats the row before it.
  ASSERT_TRUE(prepare(1));
  const int n = ntab[1];
  EXPECT_EQ(n, 501);
  EXPECT_NEAR(utab[1][n - 1][0], 5.0, 1e-12);
  EXPECT_EQ(utab[1][n][0], 5.0);
  EXPECT_EQ(utab[1][n][1], utab[1][n - 1][1]);
  // A hundred steps add up to just over 1: the last row is a full step.
  ASSERT_TRUE(prepare(3));
  EXPECT_EQ(ntab[3], 100);
  EXPECT_NEAR(utab[3][99][0], 0.99, 1e-12);
  EXPECT_EQ(utab[3][100][0], 1.0);
  EXPECT_GT(utab[3][100][1], utab[3][99][1]);
  // The inverse is unaffected by the repeated row.
  for (double s : {Pfcp[1][3] - 1e-3, Pfcp[1][3] - 1e-6})
    EXPECT_NEAR(curvlen(0.0, s2u(4.9, s, 1), 1), s, 1e-7);
}

// ---- The inverse ---------------------------------------------------------

TEST_P(CpCurve, InverseAtRowLengthsGivesTheRowParameter) {
  const int I = GetParam();
  ASSERT_TRUE(prepare(I));
  for (int k = 1; k < ntab[I]; k += 7)
    EXPECT_NEAR(s2u(utab[I][k][0] - 0.1, utab[I][k][1], I), utab[I][k][0], 1e-7) << k;
}

TEST_P(CpCurve, InverseUndoesTheLength) {
  const int I = GetParam();
  ASSERT_TRUE(prepare(I));
  const double sf = Pfcp[I][3];
  double u = 0.0;
  double uprev = 0.0;
  for (double s = 0.0137; s < sf; s += 0.0137) {
    u = s2u(u - 0.05, s, I);
    EXPECT_NEAR(curvlen(0.0, u, I), s, 1e-7) << "s=" << s;
    EXPECT_GE(u, uprev);
    uprev = u;
  }
}

TEST_P(CpCurve, InverseDoesNotDependOnTheGuess) {
  const int I = GetParam();
  ASSERT_TRUE(prepare(I));
  const double sf = Pfcp[I][3];
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (double s : {0.004, 0.3 * sf, 0.77 * sf, sf - 1e-4}) {
    const double u = s2u(0.0, s, I);
    for (double g : {-3.0, u - 0.1, u, u + 0.5, uend[I] + 10.0, 1e300, nan})
      EXPECT_EQ(s2u(g, s, I), u) << "s=" << s << " guess=" << g;
  }
}

TEST_F(CpTest, InverseAtTheEndsOfTheCurve) {
  ASSERT_TRUE(prepare(16));
  const double sf = Pfcp[16][3];
  EXPECT_EQ(s2u(1.0, 0.0, 16), 0.0);
  EXPECT_EQ(s2u(1.0, -0.5, 16), 0.0);
  EXPECT_EQ(s2u(1.0, sf, 16), uend[16]);
  EXPECT_EQ(s2u(1.0, sf - 5e-8, 16), uend[16]);
  EXPECT_EQ(s2u(1.0, 1e9, 16), uend[16]);
  EXPECT_TRUE(std::isnan(s2u(1.0, std::numeric_limits<double>::quiet_NaN(), 16)));
  EXPECT_LT(s2u(6.0, sf - 1e-3, 16), uend[16]);
}

TEST_F(CpTest, InverseEndsOnAnyTable) {
  // Table lengths that no curve gives still end the search, with a
  // parameter inside the range.
  ASSERT_TRUE(prepare(13));
  const double s = 0.4 * Pfcp[13][3];
  for (double d : {std::numeric_limits<double>::quiet_NaN(), 0.0, 1e6, -1.0}) {
    for (int k = 1; k <= ntab[13]; ++k) utabd[13][k] = d;
    const double u = s2u(1.0, s, 13);
    EXPECT_GE(u, 0.0) << d;
    EXPECT_LE(u, uend[13]) << d;
  }
}

// ---- Range check ---------------------------------------------------------

TEST_F(CpTest, RangeCheckRefusesRangesPastTheTable) {
  struct Case {
    int I;
    double* c;
    double v;
    bool fits;
  };
  const Case cases[] = {
      {12, &nt12, 4.77, true}, {12, &nt12, 4.78, false}, {3, &L3, 29.98, true},
      {3, &L3, 30.0, false},   {14, &nr14, 0.2, true},   {14, &nr14, 0.1, false},
  };
  for (const Case& c : cases) {
    *c.c = c.v;
    curvsetup(c.I);
    int ok = -1;
    auto out = scripted("", [&] { ok = chkrange(c.I); }).out;
    EXPECT_EQ(ok, c.fits ? 1 : 0) << c.I << " " << c.v;
    if (c.fits) {
      EXPECT_EQ(out, "");
    } else {
      char want[200];
      std::snprintf(want, sizeof want,
                    "\nchkrange() I=%d 曲線範囲uend=%7.4f>=29.99 "
                    "弧長表の行数が3000=MAXを超える(範囲長過ぎる)．",
                    c.I, uend[c.I]);
      EXPECT_EQ(out, want);
    }
  }
}

TEST_F(CpTest, TableOfARangeTooLongStaysInsideItsRows) {
  // Without the range check the table still ends at the range's end, in
  // its last row, and the inverse still holds.
  A3 = 0.0;
  L3 = 35.0;
  ASSERT_TRUE(prepare(3));
  EXPECT_EQ(ntab[3], MAX - 1);
  EXPECT_EQ(utab[3][MAX - 1][0], 35.0);
  EXPECT_NEAR(utab[3][MAX - 1][1], 35.0, 1e-9);
  for (double s : {10.0, 29.985, 31.0, 34.9}) EXPECT_NEAR(s2u(s - 0.1, s, 3), s, 1e-7);
}

// ---- Step count ----------------------------------------------------------

TEST_P(CpCurve, StepCountOfTheWalk) {
  const int I = GetParam();
  ASSERT_TRUE(prepare(I));
  ASSERT_EQ(calpath(I), 0);
  const double sf = Pfcp[I][3];
  const int n = static_cast<int>(std::floor(sf / dsCP)) + 1;
  for (int k : {0, 2}) {
    EXPECT_EQ(NN[k], n) << k;
    EXPECT_NEAR(TCP[k], sf / Vmax, 1e-9) << k;
  }
  // Every default curve is bent, and the front-driven type advances only
  // dsCP cos(phi) per step.
  EXPECT_GT(NN[1], NN[0]);
  EXPECT_GT(TCP[1], TCP[0]);
}

TEST_F(CpTest, WalkOfTooManyStepsIsRefused) {
  // A spiral just under the length limit: every type needs 3000 steps.
  nt12 = 4.0;
  A12 = spiralA(4.0, 59.99);
  ASSERT_TRUE(prepare(12));
  EXPECT_NEAR(Pfcp[12][3], 59.99, 1e-6);
  int r = -1;
  auto out = scripted("", [&] { r = calpath(12); }).out;
  EXPECT_EQ(r, MAX);
  EXPECT_EQ(out, "\ncalpath() I=12 AGV=1 時系列刻み数k=3000>=3000=MAX 多すぎる(経路長長過ぎる)．");

  // A spiral of 50 m: only the front-driven type needs too many.
  A12 = 1.0;
  ASSERT_TRUE(prepare(12));
  EXPECT_LT(Pfcp[12][3], 51.0);
  out = scripted("", [&] { r = calpath(12); }).out;
  EXPECT_EQ(r, MAX);
  EXPECT_EQ(out, "\ncalpath() I=12 AGV=2 時系列刻み数k=3000>=3000=MAX 多すぎる(経路長長過ぎる)．");
  EXPECT_LT(NN[0], MAX);
}
