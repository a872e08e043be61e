// The controllers of the tracked AGV on their own, against paths in closed form: a line and
// circles turning either way, driven forward and backward.
#include "motion/control.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace agv;

// The path from the origin along the x axis that turns at the curvature k (0: the line itself):
// its point at the distance sig is (sin k sig, 1 - cos k sig) / k, its heading k sig.
struct Arc {
  double k;
  explicit Arc(double curvature) : k(curvature) {}
  double x(double sig) const { return k == 0.0 ? sig : std::sin(k * sig) / k; }
  double y(double sig) const { return k == 0.0 ? 0.0 : (1.0 - std::cos(k * sig)) / k; }
  Foot nearest(double px, double py) const {
    if (k == 0.0) return {px, 0.0, 0.0, py};
    const double r = 1.0 / k;  // the centre at (0, r)
    const double th = k > 0.0 ? std::atan2(px, r - py) : std::atan2(-px, py - r);
    const double d = std::hypot(px, py - r);
    return {th / k, th, k, k > 0.0 ? r - d : r + d};
  }
  // Ahead of the nearest point, where the path leaves the circle of radius L around p.
  void goal(double px, double py, double L, double& gx, double& gy) const {
    double lo = nearest(px, py).sig;
    double hi = lo;
    while (std::hypot(x(hi) - px, y(hi) - py) < L) hi += 0.01;
    for (int i = 0; i < 100; ++i) {
      const double mid = 0.5 * (lo + hi);
      (std::hypot(x(mid) - px, y(mid) - py) < L ? lo : hi) = mid;
    }
    gx = x(hi);
    gy = y(hi);
  }
};

// The vehicle at the point of arc `a` at sig, moved e to the left of it and turned by dth,
// driving at v; backing up (v < 0) its body points against the path's direction.
Vehicle onarc(const Arc& a, double sig, double e, double dth, double v) {
  const double th = a.k * sig;
  const double body = th + dth + (v < 0.0 ? -M_PI : 0.0);
  return {a.x(sig) - e * std::sin(th), a.y(sig) + e * std::cos(th), body, std::cos(body),
          std::sin(body), v};
}

Steer command(Control c, const Model& m, double k, const Vehicle& v) {
  Arc a(k);
  return c(m, v, a.nearest(v.x, v.y), Ahead(a));
}

const struct {
  const char* name;
  Control c;
} kControllers[] = {{"pure pursuit", purepursuit}, {"Stanley", stanley}, {"rear-wheel", rearwheel}};

// The vehicle's mirror image across the x axis.
Vehicle mirror(Vehicle v) {
  v.y = -v.y;
  v.th = -v.th;
  v.s = -v.s;
  return v;
}

TEST(Controllers, EachIsChosenByItsNumberAndNoneByNoNumber) {
  EXPECT_EQ(controlof(PurePursuit), purepursuit);
  EXPECT_EQ(controlof(Stanley), stanley);
  EXPECT_EQ(controlof(RearWheel), rearwheel);
  EXPECT_EQ(controlof(NoController), nullptr);
}

// On its path with the path's heading, the AGV is steered at the path's own curvature: every
// controller on a line, pure pursuit and rear-wheel feedback on circles too (Stanley, which
// measures a wheel base ahead, knows no curvature of the path), forward and backward.
TEST(Controllers, OnThePathSteerAtItsCurvature) {
  Model m;
  m.Ra = 0.8;
  for (const auto& c : kControllers)
    for (double k : {0.0, 0.5, -0.5, 1.0 / m.Ra, -1.0 / m.Ra})
      for (double v : {1.0, -1.0, 2.5}) {
        if (k != 0.0 && c.c == stanley) continue;
        SCOPED_TRACE(testing::Message() << c.name << " k " << k << " v " << v);
        for (double sig : {0.0, 1.3}) {
          const Steer s = command(c.c, m, k, onarc(Arc(k), sig, 0.0, 0.0, v));
          const double want = v < 0.0 ? -k : k;  // backing, the body turns the other way
          EXPECT_NEAR(s.kap, want, 1e-9);
          EXPECT_NEAR(s.delta, std::atan(m.Lw * want), 1e-9);
        }
      }
}

// Off the path, beside it and along its heading, each controller's command in closed form:
// pure pursuit on a line -2 e / L^2 (L = Ld + kLd |v|), Stanley on a line -arctan(kStanley e /
// |v|), rear-wheel feedback without its gain of the error the curvature of the circle it lies
// on, concentric to the path's, 1 / (1 / k - e).  Backing up, the body turns the other way.
TEST(Controllers, BesideThePathSteerAsTheirClosedFormsSay) {
  Model m;
  m.Ld = 1.5;
  m.kLd = 0.5;
  m.kStanley = 0.8;
  m.kE = 0.0;
  const struct {
    Control c;
    double k;
  } kCases[] = {{purepursuit, 0.0}, {stanley, 0.0}, {rearwheel, 0.5}, {rearwheel, -0.5}};
  for (const auto& c : kCases)
    for (double e : {0.3, -0.4})
      for (double v : {2.0, -2.0}) {
        SCOPED_TRACE(testing::Message() << c.k << " " << e << " " << v);
        const double L = m.Ld + m.kLd * std::fabs(v);
        const double stan = -std::atan(m.kStanley * e / std::fabs(v));
        const double want = c.c == purepursuit ? -2.0 * e / (L * L)
                            : c.c == stanley   ? std::tan(stan) / m.Lw
                                               : 1.0 / (1.0 / c.k - e);
        const Steer s = command(c.c, m, c.k, onarc(Arc(c.k), 0.7, e, 0.0, v));
        EXPECT_NEAR(s.kap, v < 0.0 ? -want : want, 1e-9);
      }
}

// A mirror image of the path and the AGV mirrors the command; off the path to one side or
// turned from it, each controller steers back toward it; far off, the command is the limit of
// the minimum radius.
TEST(Controllers, MirrorImagesMirrorAndFarOffClampsAtTheLimit) {
  Model m;
  m.Ra = 1.2;
  m.Lw = 0.7;
  const double dmax = std::atan(m.Lw / m.Ra);
  const struct {
    double e, dth;
    int toward;  // the sign of the command driving forward: back toward the path
    bool limit;  // at the steering limit
  } kCases[] = {{0.3, 0.0, -1, false},  {-0.3, 0.0, 1, false}, {0.0, 0.2, -1, false},
                {0.05, -0.1, 1, false}, {2.0, 0.0, -1, true},  {-2.0, 0.1, 1, true}};
  for (const auto& c : kControllers)
    for (const auto& cs : kCases)
      for (double k : {0.0, 0.1})
        for (double v : {1.0, -1.0}) {
          SCOPED_TRACE(testing::Message() << c.name << " e " << cs.e << " dth " << cs.dth
                                          << " k " << k << " v " << v);
          const Vehicle veh = onarc(Arc(k), 1.0, cs.e, cs.dth, v);
          const Steer s = command(c.c, m, k, veh);
          const Steer t = command(c.c, m, -k, mirror(veh));
          EXPECT_NEAR(t.delta, -s.delta, 1e-12);
          EXPECT_NEAR(t.kap, -s.kap, 1e-12);
          EXPECT_EQ(std::signbit(s.delta), (v < 0.0 ? -cs.toward : cs.toward) < 0);
          EXPECT_NEAR(s.kap, std::tan(s.delta) / m.Lw, 1e-12);
          EXPECT_LE(std::fabs(s.delta), dmax);
          if (cs.limit) {
            EXPECT_EQ(std::fabs(s.delta), dmax);
            EXPECT_NEAR(std::fabs(s.kap), 1.0 / m.Ra, 1e-12);
          } else {
            EXPECT_LT(std::fabs(s.delta), dmax);
          }
        }
}

}  // namespace
