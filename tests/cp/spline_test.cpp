// The spline of a track: through every point with continuous heading and curvature, the
// headings given at its ends, its parameter the chord length.
#include "cp/spline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <tuple>

#include "agv/agv.h"
#include "cp/arclen.h"
#include "cp/curves.h"

using namespace agv;

namespace {

// n points of a random walk, steps of 0.05 ... 2 m in any direction.
Track walk(int n, unsigned seed) {
  std::mt19937 g(seed);
  std::uniform_real_distribution<double> len(0.05, 2.0), dir(-PI, PI);
  Track t;
  double x = 0.0, y = 0.0;
  for (int i = 0; i < n; ++i) {
    t.points.push_back({x, y});
    const double d = dir(g), l = len(g);
    x += l * std::cos(d);
    y += l * std::sin(d);
  }
  return t;
}

// The value of a segment's cubic, and its first and second derivatives, at t.
double at(const Cubic& q, double t, int order) {
  if (order == 0) return q.a + t * (q.b + t * (q.c + t * q.d));
  if (order == 1) return q.b + t * (2 * q.c + t * (3 * q.d));
  return 2 * q.c + t * (6 * q.d);
}

TEST(Spline, ThroughEveryPointWithContinuousHeadingAndCurvature) {
  for (unsigned seed = 1; seed <= 20; ++seed) {
    Track t = walk(3 + static_cast<int>(seed) * 7, seed);
    if (seed % 2 == 0) t.th0Deg = 30.0 * seed;
    if (seed % 3 == 0) t.thfDeg = -45.0;
    const double scale = seed % 4 == 0 ? 2.5 : 1.0;
    Spline s;
    splinethrough(t, scale, s);
    for (size_t i = 0; i < t.points.size(); ++i) {
      double P[2];
      splineat(s, s.u[i], P, nullptr, nullptr);
      EXPECT_NEAR(P[0], t.points[i].x, 1e-12) << seed << " point " << i;
      EXPECT_NEAR(P[1], t.points[i].y, 1e-12) << seed << " point " << i;
      if (i == 0) continue;
      // The parameter is the chord length over the scale.
      const double chord =
          std::hypot(t.points[i].x - t.points[i - 1].x, t.points[i].y - t.points[i - 1].y);
      EXPECT_NEAR(s.u[i] - s.u[i - 1], chord / scale, 1e-12);
      if (i + 1 == t.points.size()) continue;
      // Both segments meeting at the knot agree on the first and second derivatives.
      const double h = s.u[i] - s.u[i - 1];
      for (int order = 1; order <= 2; ++order)
        for (const std::vector<Cubic>* c : {&s.x, &s.y}) {
          const double left = at((*c)[i - 1], h, order), right = at((*c)[i], 0.0, order);
          EXPECT_NEAR(left, right, 1e-9 * (1 + std::fabs(right))) << seed << " knot " << i;
        }
    }
  }
}

TEST(Spline, TakesTheHeadingsGivenAtItsEndsAndIsNaturalElsewhere) {
  const struct { double th0, thf; } cases[] = {{0, 0}, {90, -90}, {180, 45}, {-135, 179.5}};
  for (const auto& c : cases) {
    for (const bool given : {true, false}) {
      Track t = walk(6, 7);
      if (given) t.th0Deg = c.th0, t.thfDeg = c.thf;
      Spline s;
      splinethrough(t, 1.5, s);
      const CurveModel m = splinemodel(s);
      double E[2];
      for (const auto& [u, pose, th] :
           {std::tuple{0.0, m.P0, c.th0}, std::tuple{m.uend, m.Pf, c.thf}}) {
        if (given) {
          EXPECT_NEAR(std::remainder(pose[2] - th * DEG2RAD, 2 * PI), 0.0, 1e-12) << th;
          EXPECT_NEAR(curvds(u, m), 1.5, 1e-12);  // the unit heading times the scale
        } else {
          curvd2(u, m, E);
          EXPECT_NEAR(std::hypot(E[0], E[1]), 0.0, 1e-12);
          EXPECT_NEAR(curvk(u, m), 0.0, 1e-12);
        }
      }
    }
  }
}

// The start-up's constants of the nine curves.
constexpr Curve kCurves[] = {{1, 2.0, 5.0},  {2, 2.0, 5.0},  {3, 1.0, 1.0},
                             {4, 1.0, 1.0},  {11, 2.0, 1.0}, {12, 1.0, 2.0},
                             {13, 1.0, 0.0}, {14, 1.0, 2.0}, {16, 0.2, 2.0}};

// n + 1 points of the curve of r, equally far apart along it, with its headings at the ends.
Track sampled(const CpResult& r, int n) {
  CurveModel c = curvemodel(r.curve);
  curvsetup(c);
  const bool whole =
      std::none_of(r.utab.begin(), r.utab.end(), [](const TabRow& w) { return w.part; });
  const CurveTable tab{c, r.length, r.utab, whole};
  Track t;
  double u = 0.0;
  for (int j = 0; j <= n; ++j) {
    u = j == n ? c.uend : s2u(u, r.length * j / n, tab);
    double P[2];
    curvpt(u, c, P);
    t.points.push_back({P[0], P[1]});
  }
  t.th0Deg = r.P0cp.th * RAD2DEG;
  t.thfDeg = r.Pfcp.th * RAD2DEG;
  return t;
}

// Points sampled from each curve of the catalogue give back its length, and the runs along it.
// The spline's position error falls with the fourth power of the points' spacing h: 1,600
// points give every length within 3e-9 (the cardioid's inner loop, of curvature 20 1/m, the
// worst), 1e-6 asked.  Its curvature error falls with h^2 only, and the runs follow the
// curvature: with 12,800 points (h at most 1 mm) it is within 3e-3 1/m of the curve's, and
// the runs differ by at most 5e-6 m (the reference point, at the spiral's start of curvature
// 12.6 1/m) and 1e-4 m (the 1RDW1FS AGV on the cardioid's loop, twenty times tighter than it
// can steer, which magnifies the difference most).  Both shrink as h^2 does with more points;
// the tolerances are four times them, and every run has the same records.
TEST(Spline, PointsOfEachCurveGiveBackItsLengthAndItsRuns) {
  for (const Curve& k : kCurves) {
    SCOPED_TRACE(k.I);
    auto curve = std::make_unique<CpResult>();
    ASSERT_EQ(passCP(Params{}, k, *curve), Status::Done);
    auto track = std::make_unique<TrackResult>();
    ASSERT_EQ(planTrack(Params{}, sampled(*curve, 1600), *track), Status::Done);
    EXPECT_NEAR(track->length / curve->length, 1.0, 1e-6);
    ASSERT_EQ(passTrack(Params{}, sampled(*curve, 12800), *track), Status::Done);
    for (int m = 0; m < 3; ++m) {
      const CpRuns &a = curve->run[m], &b = track->run[m];
      ASSERT_EQ(a.ref.size(), b.ref.size()) << "mechanism " << m + 1;
      for (size_t i = 0; i < a.ref.size(); ++i) {
        EXPECT_LT(std::hypot(a.ref[i].x - b.ref[i].x, a.ref[i].y - b.ref[i].y), 2e-5);
        EXPECT_LT(std::hypot(a.cv[i].x - b.cv[i].x, a.cv[i].y - b.cv[i].y), 4e-4);
      }
    }
  }
}

}  // namespace
