// CP paths: curves, arc-length table and inverse, walk, runs, refusal of curves too long.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "cp/arclen.h"
#include "cp/curves.h"
#include "cp/track.h"
#include "motion/extents.h"

using namespace agv;

namespace {

constexpr int kCurves[] = {1, 2, 3, 4, 11, 12, 13, 14, 16};
const double kNaN = NAN;
const Model kCP = makemodel(Params{}, Kind::CP);

// The start-up's constants of each curve.
const std::map<int, std::pair<double, double>> kConsts = {
    {1, {2.0, 5.0}},  {2, {2.0, 5.0}},  {3, {1.0, 1.0}},  {4, {1.0, 1.0}},  {11, {2.0, 1.0}},
    {12, {1.0, 2.0}}, {13, {1.0, 0.0}}, {14, {1.0, 2.0}}, {16, {0.2, 2.0}}};

// Curve I, set up, with its start-up constants or the ones given.
CurveModel curve(int I, double a = kNaN, double b = kNaN) {
  const auto& d = kConsts.at(I);
  CurveModel c = curvemodel(Curve{I, std::isnan(a) ? d.first : a, std::isnan(b) ? d.second : b});
  curvsetup(c);
  return c;
}

// A curve with its length and table, as a pass prepares them.
struct Prepared {
  explicit Prepared(const CurveModel& m) : c(m) {}
  CurveModel c;
  double length = 0.0;
  std::vector<TabRow> tab;
  CurveTable t() const { return CurveTable{c, length, tab}; }
};

// Length check and table; false when the length check refuses the curve.
bool prepare(Prepared& p) {
  return chklen(p.c, kCP.maxSteps, kCP.maxSteps * kCP.dsCP, p.length) == Status::Done &&
         caltab(p.c, kCP.maxSteps, p.length, p.tab);
}

// The pose is the curve's own point and heading at u.
void expectPoseAt(const double* pose, double u, const CurveModel& c) {
  double P[2], D[3];
  curvpt(u, c, P);
  curvd1(u, c, D);
  for (int k = 0; k < 2; ++k) EXPECT_NEAR(pose[k], P[k], 1e-12) << c.I << " u=" << u;
  EXPECT_NEAR(std::remainder(pose[2] - D[2], 2 * PI), 0.0, 1e-12) << c.I << " u=" << u;
}

// Length of the spiral r = c beta from 0 to b.
double spiralLen(double c, double b) { return c / 2 * (b * std::sqrt(1 + b * b) + std::asinh(b)); }

// The spiral of four turns and length L.
CurveModel longSpiral(double L) {
  return curve(12, 2 * M_PI * L / spiralLen(1.0, 2 * M_PI * 4.0), 4.0);
}

class CpCurve : public ::testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(Catalogue, CpCurve, ::testing::ValuesIn(kCurves));

TEST(CpCurves, StatedValues) {
  double P[2];
  // Cosine: height 4 at 2.5, curvature 3.158 at 0.
  EXPECT_NEAR(curvpt(2.5, curve(1), P), 4.0, 1e-12);
  EXPECT_NEAR(curvk(0.0, curve(1)), 3.158, 5e-4);
  // Ends: the cycloid's (5, 2, 0 deg); the quadratic's with A = L = 1 (1, 1) at 63.43 deg.
  const double cycloidEnd[] = {5.0, 2.0, 0.0};
  for (int k = 0; k < 3; ++k) EXPECT_EQ(curve(2).Pf[k], cycloidEnd[k]) << k;
  for (int k = 0; k < 2; ++k) EXPECT_EQ(curve(3).Pf[k], 1.0) << k;
  EXPECT_NEAR(curve(3).Pf[2] * RAD2DEG, 63.43, 0.005);
  EXPECT_DOUBLE_EQ(curvk(0.0, curve(3)), 2.0);  // the quadratic's curvature at 0
  // Spiral of two turns: 0 .. 4 pi, ending at (2 A, 0).
  const CurveModel s = curve(12);
  const double spiral[][2] = {{s.uend, 4 * PI}, {s.Pf[0], 2 * s.A}, {s.Pf[1], 0.0}};
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(spiral[i][0], spiral[i][1], 1e-12) << i;
  // The rose's range in half turns, for lobe numbers n.
  const double rose[][2] = {{2, 2},       {3, 1}, {1, 2},    {0.5, 4},
                            {1.0 / 3, 3}, {4, 2}, {0.25, 8}, {1.5, 1}};
  for (const auto& n : rose) {
    const CurveModel c = curve(14, 1.0, n[0]);
    EXPECT_NEAR(c.uend, n[1] * PI, 1e-12) << n[0];
    expectPoseAt(c.Pf, c.uend, c);
  }
  // The fixed constants of the cardioid and the wavy circle.
  EXPECT_EQ(curve(13).B, cardioidB);
  EXPECT_EQ(curve(16).R, wavyR);
}

TEST_P(CpCurve, DerivativesPosesAndLengths) {
  const CurveModel c = curve(GetParam());
  const double e = 1e-5;
  // Order o and its result (dy/dx, d2y/dx2 or dr/db, d2r/db2) against differences of o - 1.
  double (*const f[])(double, const CurveModel&, double*) = {curvpt, curvd1, curvd2};
  for (int i = 1; i < 12; ++i) {
    const double u = c.uend * i / 12.0;
    double D[3][3], Dp[3], Dm[3];
    for (int o = 1; o < 3; ++o) {
      const double tol = o == 1 ? 1e-6 : 1e-5;
      const double r = f[o](u, c, D[o]);
      const double rp = f[o - 1](u + e, c, Dp);
      const double rm = f[o - 1](u - e, c, Dm);
      for (int k = 0; k < 2; ++k)
        EXPECT_NEAR(D[o][k], (Dp[k] - Dm[k]) / (2 * e), tol) << "u=" << u << " o" << o << k;
      EXPECT_NEAR(r, (rp - rm) / (2 * e), tol) << "u=" << u << " o" << o;
    }
    const double v2 = D[1][0] * D[1][0] + D[1][1] * D[1][1];
    const double kap = (D[1][0] * D[2][1] - D[1][1] * D[2][0]) / (v2 * std::sqrt(v2));
    EXPECT_NEAR(curvk(u, c), kap, 1e-10 * (1 + std::fabs(kap))) << "u=" << u;
    EXPECT_NEAR(curvds(u, c), std::sqrt(v2), 1e-12) << "u=" << u;
  }
  expectPoseAt(c.P0, 0.0, c);
  expectPoseAt(c.Pf, c.uend, c);
  // Zero-width and reversed intervals; lengths add up over a split.
  const double u = 0.3 * c.uend;
  for (double w : {0.0, 5e-9}) EXPECT_EQ(curvlen(u, u + w, c), 0.0) << w;
  const double fwd = curvlen(0.1, u, c);
  EXPECT_GT(fwd, 0.0);
  EXPECT_NEAR(curvlen(u, 0.1, c), -fwd, 1e-12 * fwd);
  EXPECT_NEAR(curvlen(0.0, c.uend, c), curvlen(0.0, u, c) + curvlen(u, c.uend, c), 1e-9);
}

TEST(CpCurves, CircleLineAndSpiralByTheirClosedForms) {
  const CurveModel circle = curve(11, 1.5, 1.5);  // the ellipse as a circle
  for (double b = 0.0; b < 2 * PI; b += 0.37) EXPECT_NEAR(curvk(b, circle), 1 / 1.5, 1e-12);
  EXPECT_NEAR(curvlen(0.0, circle.uend, circle), 1.5 * circle.uend, 1e-11);
  EXPECT_NEAR(curvlen(0.5, 0.5 + 5e-5, circle), 1.5 * 5e-5, 1e-15);  // a single panel
  EXPECT_NEAR(curvlen(0.0, 3.0, curve(3, 0.0, 3.0)), 3.0, 1e-12);      // a straight line
  const CurveModel s = curve(12);
  for (double b : {0.5, 3.0, s.uend}) EXPECT_NEAR(curvlen(0.0, b, s), spiralLen(s.c12, b), 1e-10);
  EXPECT_NEAR(curvlen(2.0, 7.0, s), spiralLen(s.c12, 7.0) - spiralLen(s.c12, 2.0), 1e-10);
}

TEST(CpCurves, CurvatureWhereTheCurvePassesTheOriginWithoutSpeed) {
  // r^2 + r'^2 <= 1e-8: taken 0.001 further on and capped at 50.
  EXPECT_EQ(curvk(0.0, curve(14, 2e-5)), 50.0);
  const CurveModel cusp = curve(16, 2.0);  // a cusp at beta = pi/2
  EXPECT_EQ(curvk(PI / 2, cusp), 50.0);
  EXPECT_LT(curvk(0.3, cusp), 50.0);
  // Just above 1e-8: the formula at u itself, with no cap.
  EXPECT_NEAR(curvk(0.0, curve(14, 2e-4, 1.0)), 2.0 / 2e-4, 1e-6);
}

TEST(CpCurves, WhichConstantsDefineACurve) {
  for (int I : kCurves) EXPECT_TRUE(curvdefined(curve(I))) << I;
  // Division by zero, 0/0, an infinite range: undefined.  Degenerate: defined.  The
  // constant of index 0 (a) or 1 (b) set to v.
  const std::tuple<int, int, double, bool> cases[] = {
      {1, 1, 0.0, false},      {11, 0, 0.0, false},    {11, 1, 0.0, false},
      {14, 0, 0.0, false},     {14, 1, 0.0, false},    {2, 1, 0.0, false},
      {3, 1, 0.0, false},      {4, 1, 0.0, false},     {12, 0, 0.0, false},
      {13, 0, 0.0, false},     {1, 1, 1e-320, false},  {3, 1, 1e-200, false},
      {11, 1, 1e-200, false},  {14, 1, 1e-300, false}, {12, 1, 1e300, false},
      {12, 1, 1e7, false},     {1, 0, 0.0, true},      {16, 0, 0.0, true},
      {12, 1, 0.0, true},      {3, 0, 0.0, true},      {3, 1, 1e-160, false},
      {4, 1, 1e-160, false},   {16, 0, 1e300, true},   {99, 0, 1.0, false}};
  for (const auto& [I, i, v, ok] : cases) {
    const auto d = kConsts.count(I) ? kConsts.at(I) : std::pair{1.0, 1.0};
    const Curve c{I, i == 0 ? v : d.first, i == 1 ? v : d.second};
    EXPECT_EQ(curvedefined(c), ok) << "I=" << I << " v=" << v;
  }
  // Coefficients too large to form: the wavy circle's A n^2.
  EXPECT_FALSE(curvedefined(Curve{16, 1e300, 1e10}));
  EXPECT_TRUE(curvedefined(Curve{16, 1e300, 2.0}));
}

TEST_P(CpCurve, TableInverseAndWalk) {
  Prepared p(curve(GetParam()));
  ASSERT_TRUE(prepare(p));
  const CurveModel& c = p.c;
  const CurveTable t = p.t();
  const std::vector<TabRow>& tab = p.tab;
  const int n = static_cast<int>(tab.size()) - 1;
  const double sf = p.length;
  ASSERT_LT(n, 3000);
  for (int k = 1; k < n; ++k) EXPECT_EQ(tab[k].u, tab[k - 1].u + 0.01) << k;
  EXPECT_LE(tab[n - 1].u, c.uend);
  EXPECT_GT(tab[n - 1].u + 0.01, c.uend);
  EXPECT_EQ(tab[n].u, c.uend);
  EXPECT_NEAR(tab[n].s, sf, 1e-9);
  for (int k = 1; k <= n; ++k) EXPECT_EQ(tab[k].s, tab[k - 1].s + tab[k].d) << k;
  for (int k = 1; k < n; k += 7) EXPECT_NEAR(s2u(tab[k].u - 0.1, tab[k].s, t), tab[k].u, 1e-7) << k;
  for (double s = 0.0137, u = 0.0; s < sf; s += 0.0137) {
    u = s2u(u - 0.05, s, t);
    EXPECT_NEAR(curvlen(0.0, u, c), s, 1e-7) << "s=" << s;
  }
  for (double s : {0.004, 0.3 * sf, 0.77 * sf, sf - 1e-4}) {
    const double us = s2u(0.0, s, t);
    for (double g : {-3.0, us - 0.1, us, us + 0.5, c.uend + 10.0, 1e300, kNaN})
      EXPECT_EQ(s2u(g, s, t), us) << "s=" << s << " guess=" << g;
  }
  int NN[3];
  double TCP[3];
  Refusal r;
  ASSERT_EQ(calpath(kCP, t, NN, TCP, r), 0);
  for (int k : {0, 2}) {
    EXPECT_EQ(NN[k], static_cast<int>(std::floor(sf / kCP.dsCP)) + 1) << k;
    EXPECT_NEAR(TCP[k], sf / kCP.Vmax, 1e-9) << k;
  }
  // Every default curve is bent: the front-driven type advances dsCP cos(phi) a step.
  EXPECT_GT(NN[1], NN[0]);
}

TEST(CpTable, InverseAtTheEndsAndOnAnyTable) {
  // 500 steps of 0.01 add up to just under 5: the row at 5 repeats the one before.
  Prepared cosine(curve(1));
  ASSERT_TRUE(prepare(cosine));
  ASSERT_EQ(cosine.tab.size(), 502u);
  EXPECT_EQ(cosine.tab[501].s, cosine.tab[500].s);
  for (double s : {cosine.length - 1e-3, cosine.length - 1e-6})
    EXPECT_NEAR(curvlen(0.0, s2u(4.9, s, cosine.t()), cosine.c), s, 1e-7);
  Prepared p(curve(16));
  ASSERT_TRUE(prepare(p));
  const double sf = p.length;
  for (double s : {0.0, -0.5}) EXPECT_EQ(s2u(1.0, s, p.t()), 0.0) << s;
  for (double s : {sf, sf - 5e-8, 1e9}) EXPECT_EQ(s2u(1.0, s, p.t()), p.c.uend) << s;
  EXPECT_TRUE(std::isnan(s2u(1.0, kNaN, p.t())));
  // Row lengths that no curve gives still end the search inside the range.
  for (double d : {kNaN, 0.0, 1e6, -1.0}) {
    for (size_t k = 1; k < p.tab.size(); ++k) p.tab[k].d = d;
    const double u = s2u(1.0, 0.4 * sf, p.t());
    EXPECT_GE(u, 0.0) << d;
    EXPECT_LE(u, p.c.uend) << d;
  }
}

// The inverse as it is written for the step above the row (ua, sa): the bracket ua ... ua + 0.01,
// then secant steps replacing the end with the larger residual.
double secant(double ua, double sa, double s, const CurveModel& c) {
  double fa = sa - s;
  double ub = ua + 0.01;
  double fb = curvlen(ua, ub, c) + fa;
  if (std::fabs(fb) < 1e-7) return ub;
  for (;;) {
    const double uc = ua - fa * (ub - ua) / (fb - fa);
    const double fc = curvlen(ua, uc, c) + fa;
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

TEST(CpTable, InverseInTheLastRowBracketsOneTableStepLikeEveryOtherRow) {
  // The polar curves end at 2 pi, short of a whole table step.
  for (int I : {11, 13, 16}) {
    Prepared p(curve(I));
    ASSERT_TRUE(prepare(p));
    const int n = static_cast<int>(p.tab.size()) - 1;
    const double ua = p.tab[n - 1].u, sa = p.tab[n - 1].s;
    for (double f : {0.1, 0.5, 0.9}) {
      const double s = sa + f * (p.length - sa);
      EXPECT_EQ(s2u(ua - 0.1, s, p.t()), secant(ua, sa, s, p.c)) << I << " " << f;
    }
  }
}

TEST(CpTable, RangesPastTheTableAreRefusedAndNeverOverrunIt) {
  const std::tuple<int, double, double, bool> cases[] = {
      {12, 1.0, 4.77, true}, {12, 1.0, 4.78, false}, {3, 1.0, 29.98, true},
      {3, 1.0, 30.0, false}, {14, 1.0, 0.2, true},   {14, 1.0, 0.1, false}};
  for (const auto& [I, a, b, ok] : cases) {
    const CurveModel c = curve(I, a, b);
    Refusal r;
    EXPECT_EQ(chkrange(c, 3000, r), ok ? 1 : 0) << I << " " << b;
    EXPECT_EQ(r.status, ok ? Status::Done : Status::RangeTooLong);
    if (!ok) {
      EXPECT_EQ(r.value, c.uend);
      EXPECT_DOUBLE_EQ(r.limit, 29.99);
    }
  }
  // Unchecked, the table of a longer range still ends in its last row.
  Prepared p(curve(3, 0.0, 35.0));
  ASSERT_TRUE(prepare(p));
  ASSERT_EQ(p.tab.size(), 3000u);
  EXPECT_EQ(p.tab[2999].u, 35.0);
  for (double s : {10.0, 29.985, 31.0, 34.9}) EXPECT_NEAR(s2u(s - 0.1, s, p.t()), s, 1e-7);
}

TEST_P(CpCurve, Runs) {
  Prepared p(curve(GetParam()));
  ASSERT_TRUE(prepare(p));
  const CurveModel& c = p.c;
  const double sf = p.length;
  auto res = std::make_unique<CpResult>();
  Refusal refusal;
  ASSERT_EQ(calpath(kCP, p.t(), res->NN, res->TCP, refusal), 0);
  const int n = caltraj(kCP, p.t(), *res);
  ASSERT_EQ(n, res->NN[2]);
  ASSERT_LT(n, 3000);
  const int* NN = res->NN;
  const double* TCP = res->TCP;
  EXPECT_GT(TCP[1], TCP[0] + 0.1);
  for (int k = 0; k < 3; ++k) {
    const CpRuns& run = res->run[k];
    ASSERT_EQ(run.ref.size(), static_cast<size_t>(NN[k] + 1));
    if (k != 1) {
      EXPECT_NEAR(TCP[k], sf / kCP.Vmax, 1e-6) << k;
      EXPECT_NEAR(NN[k], sf / 0.02 + 1, 1.0) << k;
    }
    // The last record is the end point, on the curve like all (front-driven: rate changes).
    EXPECT_NEAR(run.ref[NN[k]].s, sf, k == 1 ? 1e-6 : 1e-9) << k;
    EXPECT_EQ(run.ref[NN[k]].u, c.uend) << k;
    EXPECT_EQ(run.ref[NN[k]].t, TCP[k]) << k;
    for (int i = 0; i <= NN[k]; ++i) {
      const CurveRecord& ref = run.ref[i];
      const Record& cv = run.cv[i];
      const Record& err = run.err[i];
      double Q[2];
      curvpt(ref.u, c, Q);
      ASSERT_NEAR(ref.x, Q[0], 1e-6) << k << " " << i;
      ASSERT_NEAR(ref.y, Q[1], 1e-6) << k << " " << i;
      if (i < NN[k]) {
        ASSERT_EQ(ref.t, i * kCP.dtCP);
        if (k != 1) {
          ASSERT_NEAR(ref.s, i * kCP.dsCP, 1e-6) << k << " " << i;
        }
      }
      const double e[6] = {cv.s - ref.s,   cv.th - ref.th,   cv.x - ref.x,
                           cv.y - ref.y, cv.phi - ref.phi, cv.kap - ref.kap};
      const double got[6] = {err.s, err.th, err.x, err.y, err.phi, err.kap};
      for (int f = 0; f < 6; ++f) {
        ASSERT_EQ(got[f], e[f]) << k << " " << i << " " << f;
        // The caster type follows the curve exactly.
        if (k == 0) {
        ASSERT_NEAR(got[f], 0.0, 1e-9) << i << " " << f;
      }
      }
    }
  }
  // The extents of the graphs: x and y of the reference pooled, curvature of reference and
  // run pooled, over every record.
  extentsCP(*res);
  for (int k = 0; k < 3; ++k) {
    const CpRuns& run = res->run[k];
    double hi = -1000, lo = 1000, khi = -1000, klo = 1000;
    for (int i = 0; i <= NN[k]; ++i) {
      hi = std::max({hi, run.ref[i].x, run.ref[i].y});
      lo = std::min({lo, run.ref[i].x, run.ref[i].y});
      khi = std::max({khi, run.ref[i].kap, run.cv[i].kap});
      klo = std::min({klo, run.ref[i].kap, run.cv[i].kap});
    }
    const Extent& b = res->bndCP[k];
    const Extent& bk = res->bndCPk[k];
    EXPECT_EQ(b.hi, hi) << k;
    EXPECT_EQ(b.lo, lo) << k;
    EXPECT_EQ(b.mag, std::max(std::fabs(hi), std::fabs(lo))) << k;
    EXPECT_EQ(bk.hi, khi) << k;
    EXPECT_EQ(bk.lo, klo) << k;
    EXPECT_EQ(bk.mag, std::max(std::fabs(khi), std::fabs(klo))) << k;
  }
}

TEST(CpCurves, EndPosesAreTheCurvesOwnWhateverTheRange) {
  // Ranges that end off the x axis: a spiral of a turn and a quarter, roses of other n.
  std::vector<CurveModel> cs = {curve(12, 1.0, 1.25), curve(16, 0.2, 2.5)};
  for (double n : {1.5, 3.0, 0.5}) cs.push_back(curve(14, 1.0, n));
  for (const CurveModel& c : cs) expectPoseAt(c.Pf, c.uend, c);
}

TEST(CpCurves, RoseDerivativesForOtherPetalCounts) {
  for (double n : {3.0, 0.5, 1.0 / 3.0}) {
    const CurveModel c = curve(14, 1.0, n);
    const double e = 1e-5;
    for (int i = 1; i < 9; ++i) {
      const double u = c.uend * i / 9.0;
      double D[3], Dp[3], Dm[3], E[2];
      const double r1 = curvd1(u, c, D);
      const double r2 = curvd2(u, c, E);
      const double r1p = curvd1(u + e, c, Dp);
      const double r1m = curvd1(u - e, c, Dm);
      EXPECT_NEAR(r2, (r1p - r1m) / (2 * e), 1e-5) << n << " u=" << u;
      double P[2], Pp[2], Pm[2];
      curvpt(u, c, P);
      EXPECT_NEAR(r1, (curvpt(u + e, c, Pp) - curvpt(u - e, c, Pm)) / (2 * e), 1e-6) << n;
    }
  }
}

// The length check against maxSteps CP time steps: a length equal to the limit passes.
TEST(CpLimits, LengthLimitIsThreeThousandStepsAndALengthEqualToItPasses) {
  for (double L : {60.0, 60.01}) {
    Prepared p(curve(3, 0.0, L));  // the quadratic of zero height: a line of length L
    EXPECT_EQ(prepare(p), L == 60.0) << L;
    EXPECT_NEAR(p.length, L, 1e-12);
  }
}

TEST(CpLimits, CurvesTooLongForTheRecordsAreRefused) {
  // 59.99 m: 3000 walk steps; first type's end record at 3000, front-driven type refused.
  Prepared p(longSpiral(59.99));
  ASSERT_TRUE(prepare(p));
  auto res = std::make_unique<CpResult>();
  Refusal& r = res->refusal;
  EXPECT_EQ(calpath(kCP, p.t(), res->NN, res->TCP, r), 3000);
  EXPECT_EQ(r.status, Status::CurveSteps);
  EXPECT_EQ(r.stage, 0);
  EXPECT_EQ(r.mechanism, 1);
  EXPECT_EQ(r.count, 3000);
  r = Refusal{};
  EXPECT_EQ(caltraj(kCP, p.t(), *res), 3000);
  EXPECT_EQ(r.status, Status::CurveSteps);
  EXPECT_EQ(r.stage, 1);
  EXPECT_EQ(r.mechanism, 2);
  EXPECT_EQ(r.count, 3000);
  EXPECT_EQ(res->NN[0], 3000);
  EXPECT_NEAR(res->run[0].ref[3000].s, p.length, 1e-9);
}

// Curves whose constants are so large that their lengths cannot be measured (the sum of the
// table's steps overflows): the length check passes a curve only with a finite length within
// the limit, and refuses these as too long, never as done.
TEST(CpLimits, CurvesOfUnmeasurableLengthAreRefusedAsTooLong) {
  const struct {
    int I;
    double a, b;
  } kCases[] = {{1, 1e200, 1.0}, {2, 1e300, 5.0}, {11, 1e100, 1.0}, {12, 1e200, 1.0},
                {13, 1e300, 0.0}, {13, -1e308, 1.0}};
  const double smax = kCP.maxSteps * kCP.dsCP;
  for (const auto& k : kCases) {
    Prepared p(curve(k.I, k.a, k.b));
    EXPECT_EQ(chklen(p.c, kCP.maxSteps, smax, p.length), Status::CurveTooLong) << k.I << " " << k.a;
    EXPECT_FALSE(p.length <= smax) << k.I << " " << k.a;
  }
}

}  // namespace
