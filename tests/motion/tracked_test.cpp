// The tracked AGV: its controllers against what is known of them in closed form, on lines and
// circles, mirror images, routes and its bounds.
#include "motion/tracked.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <random>

#include "agv/agv.h"
#include "agv/route.h"

namespace {

using namespace agv;

// The distance along x (either way) from which |xte| stays below `tol`.
double settled(const std::vector<Record>& tr, const std::vector<double>& xte, double tol) {
  double from = tr.front().x;
  for (size_t n = 0; n < tr.size(); ++n)
    if (std::fabs(xte[n]) >= tol) from = tr[n].x;
  return std::fabs(from);
}

// Started 0.5 m to the left of a straight path of 20 m, every controller brings every mechanism
// within 1 cm of it, and within a distance the controller's gains set: pure pursuit about
// 4.3 m (its error decays as exp(-v t / Ld)), Stanley about 9.3 m (de/dt = -k e), rear-wheel
// feedback about 8.4 m.  Backing up a line it does the same: the controllers steer the AGV
// turned half a turn, for which the start is 0.5 m to the right.
TEST(Tracked, EveryControllerBringsEveryMechanismOntoALine) {
  const struct {
    int controller;
    double within;  // [m]
  } kCases[] = {{PurePursuit, 5.0}, {Stanley, 10.0}, {RearWheel, 9.0}};
  auto r = std::make_unique<PtpResult>();
  for (const auto& c : kCases)
    for (const double way : {1.0, -1.0}) {
    Params p;
    p.controller = c.controller;
    p.offsetY = 0.5;
    p.reverse = way < 0.0;
    ASSERT_EQ(passPTP(p, way * 20, 0, 0, *r), Status::Done);
    for (int b = 0; b < 2; ++b)
      for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(testing::Message() << c.controller << " " << way << " " << b << " " << k);
        const Runs& runs = b == 0 ? r->arc[k] : r->cl[k];
        ASSERT_EQ(runs.tr.size(), runs.xte.size());
        EXPECT_TRUE(runs.tr[0].x == 0.0 && runs.tr[0].y == 0.5 && runs.tr[0].th == 0.0);
        EXPECT_EQ(runs.xte[0], 0.5 * way);
        EXPECT_LT(settled(runs.tr, runs.xte, 0.01), c.within);
        // It ends where its nearest point is the end.
        EXPECT_GE(way * runs.tr.back().x, 20.0);
        EXPECT_LT(way * runs.tr.back().x, 20.0 + p.Vmax * p.dt);
        // On the constant-velocity AGV's clock, its steering within the limit of Ra.
        for (size_t n = 0; n < runs.tr.size(); ++n) {
          if (n < runs.cv.size()) {
            ASSERT_EQ(runs.tr[n].t, runs.cv[n].t);
          }
          ASSERT_LE(std::fabs(runs.tr[n].phi), std::atan(p.Lw / p.Ra) + 1e-15);
        }
      }
  }
  ASSERT_EQ(passPTP(Params{}, 20, 0, 0, *r), Status::Done);
  EXPECT_TRUE(r->arc[1].tr.empty() && r->cl[2].xte.empty());  // no controller, no tracked run
}

// The closed form of Stanley's error on a line: with a front-driven AGV whose steering follows
// its command at once, the front axle moves at v along heading + steering, so its cross-track
// error obeys de/dt = -v sin(arctan(k e / v)).  Its solution satisfies G(e(t)) = G(e0) - k t,
// G(e) = q - ln((1 + q) / (a e)), q = sqrt(1 + a^2 e^2), a = k / v.  The run holds its command
// through each step, so it follows the closed form within an error of the order of the step.
TEST(Tracked, StanleyFollowsItsErrorEquationOnALine) {
  const auto G = [](double e, double a) {
    const double q = std::sqrt(1.0 + a * a * e * e);
    return q - std::log((1.0 + q) / (a * e));
  };
  double last = 0.0;
  for (double h : {0.002, 0.001}) {
    Params p;
    p.controller = Stanley;
    p.dt = h;
    Model m = makemodel(p, Kind::PTP);
    m.steerRate = 1e9;  // steering as fast as the command
    std::vector<Record> line(static_cast<size_t>(10.0 / h) + 1);
    for (size_t i = 0; i < line.size(); ++i) line[i].x = static_cast<double>(i) * h;
    std::vector<Record> tr;
    std::vector<double> xte;
    Record start;
    start.y = 0.5;
    ASSERT_TRUE(trackrun(m, 2, h, PathRecs<Record>{line.data(), line.size()}, start, 100000, tr, xte));
    const double a = p.kStanley / p.Vmax;
    const double e0 = start.y;
    double worst = 0.0;
    for (const Record& rec : tr) {
      const double e = rec.y + p.Lw * std::sin(rec.th);  // the front axle's error
      // e(t) of the closed form, by bisection (G rises with e).
      const double g = G(e0, a) - p.kStanley * rec.t;
      double lo = 1e-12, hi = 1.0;
      for (int i = 0; i < 200; ++i) (G(0.5 * (lo + hi), a) < g ? lo : hi) = 0.5 * (lo + hi);
      worst = std::max(worst, std::fabs(e - 0.5 * (lo + hi)));
    }
    EXPECT_LT(worst, 0.2 * h) << h;
    if (last > 0.0) {
      EXPECT_NEAR(last / worst, 2.0, 0.2);  // first order in the step
    }
    last = worst;
  }
}

// On a circle of radius R > Ra, started on it, pure pursuit holds the circle: its goal point
// lies on the circle at the lookahead distance, and the one circle tangent to the AGV's heading
// through the AGV and that point is the path itself, so the command is the path's curvature.
// Mechanism 1 sets its curvature at once and never leaves the circle; the steered mechanisms
// turn their steering from straight at the rate limit, leave it by some centimetres, and
// settle back onto it (the error decays as exp(-v t / Ld)).
TEST(Tracked, PurePursuitHoldsACircle) {
  Params p;
  p.controller = PurePursuit;
  auto r = std::make_unique<CpResult>();
  ASSERT_EQ(passCP(p, Curve{11, 3.0, 3.0}, *r), Status::Done);  // an ellipse with equal axes
  for (int k = 0; k < 3; ++k) {
    const CpRuns& runs = r->run[k];
    double worst = 0.0;
    for (size_t n = 0; n < runs.tr.size(); ++n)
      if (k == 0 || runs.tr[n].t >= 14.0) worst = std::max(worst, std::fabs(runs.xte[n]));
    EXPECT_LT(worst, k == 0 ? 1e-9 : 1e-6) << k;
    EXPECT_GT(runs.tr.back().t, 18.0);
  }
}

// A mirror image of the path and the offset mirrors the tracked run: each controller turns
// the other way by the same amount.
TEST(Tracked, AMirrorImageMirrorsTheRun) {
  auto a = std::make_unique<PtpResult>();
  auto b = std::make_unique<PtpResult>();
  for (int c : {PurePursuit, Stanley, RearWheel}) {
    Params p;
    p.controller = c;
    p.offsetX = -0.2;
    p.offsetY = 0.3;
    p.offsetTh = 10.0;
    ASSERT_EQ(passPTP(p, 4, -3, -45, *a), Status::Done);
    p.offsetY = -p.offsetY;
    p.offsetTh = -p.offsetTh;
    ASSERT_EQ(passPTP(p, 4, 3, 45, *b), Status::Done);
    for (int k = 0; k < 3; ++k)
      for (const auto& [x, y] : {std::pair{&a->arc[k], &b->arc[k]}, std::pair{&a->cl[k], &b->cl[k]}}) {
        ASSERT_EQ(x->tr.size(), y->tr.size()) << c << " " << k;
        for (size_t n = 0; n < x->tr.size(); ++n) {
          ASSERT_NEAR(x->tr[n].x, y->tr[n].x, 1e-9) << c << " " << k << " " << n;
          ASSERT_NEAR(x->tr[n].y, -y->tr[n].y, 1e-9);
          ASSERT_NEAR(x->tr[n].phi, -y->tr[n].phi, 1e-9);
          ASSERT_NEAR(x->xte[n], -y->xte[n], 1e-9);
        }
      }
  }
}

// On a route the tracked AGV drives the whole route as one path, bounded by maxSteps for each
// leg; a run that cannot reach the end stops at its bound.
TEST(Tracked, DrivesAWholeRouteAndStopsAtItsBound) {
  Params p;
  p.controller = RearWheel;
  p.offsetY = 0.2;
  auto r = std::make_unique<RouteResult>();
  const std::vector<Waypoint> w = {{0, 0, 0}, {4, 2, 90}, {0, 6, 180}, {-3, 0, -90}};
  ASSERT_EQ(passRoute(p, w, *r), Status::Done);
  for (int k = 0; k < 3; ++k) {
    const RouteRuns& runs = r->cl[k];
    EXPECT_NEAR(runs.tr.front().y, 0.2, 1e-15);
    EXPECT_LT(std::hypot(runs.tr.back().x - w.back().x, runs.tr.back().y - w.back().y), 0.3) << k;
    EXPECT_GT(runs.tr.back().t, 0.9 * runs.cv.back().t);
  }
  // 5 m behind the start the AGV cannot reach the end of a 2 m path in 300 steps (6 s).
  p.offsetX = -5.0;
  p.maxSteps = 300;
  auto q = std::make_unique<PtpResult>();
  ASSERT_EQ(passPTP(p, 2, 0, 0, *q), Status::Done);
  EXPECT_EQ(q->arc[0].tr.size(), 300u);
  EXPECT_EQ(summarize(*q).run[0][0].trsteps, 299);
  EXPECT_GT(summarize(*q).run[0][0].trenderr, 0.5);
}

// The open-loop AGV's largest cross-track error is never more than its largest error: the path's
// nearest point is never farther than the reference point of the same time.  On passes forward
// and backward (where the AGV strays metres off its path), and on routes, where the AGV carries
// its error from leg to leg and a clothoid-line leg's run ends some tenths of a millimetre off
// the waypoint the next leg starts on; there the tracked AGV drives on to the route's end.
TEST(Tracked, TheOpenLoopCrossTrackErrorIsNeverMoreThanTheError) {
  const double kArcs = 1e-4;  // [m] the precision of the arcs through the records
  const auto within = [&](const PtpSummary& s) {
    for (int b = 0; b < 2; ++b)
      for (int k = 0; k < 3; ++k)
        EXPECT_LE(s.run[b][k].cvmaxxte, s.run[b][k].maxerr + kArcs) << b << " " << k;
  };
  auto q = std::make_unique<PtpResult>();
  for (const Waypoint& end : {Waypoint{-3, -4, -75}, {0, -4, 0}, {-4, -4, -105}, {4, -3, -45}})
    for (int reverse : {0, 1}) {
      Params p;
      p.controller = PurePursuit;
      p.reverse = reverse;
      ASSERT_EQ(passPTP(p, end.x, end.y, end.thDeg, *q), Status::Done);
      SCOPED_TRACE(testing::Message() << end.x << " " << end.y << " " << end.thDeg << " "
                                      << reverse);
      within(summarize(*q));
    }
  auto r = std::make_unique<RouteResult>();
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> xy(-5, 5), th(-180, 180);
  for (int i = 0; i < 24; ++i) {
    std::vector<Waypoint> w = {{1.5, 1.5, 90}, {3, 8, 0}, {10, 8, 0}};
    if (i >= 6) {
      w = {{0, 0, 0}};
      for (int j = 0; j <= i % 4; ++j)
        w.push_back({w.back().x + xy(rng), w.back().y + xy(rng), th(rng)});
    }
    Params p;
    p.controller = 1 + i % 3;
    p.reverse = i / 3 % 2;
    ASSERT_EQ(passRoute(p, w, *r), Status::Done);
    SCOPED_TRACE(i);
    const PtpSummary s = summarize(*r);
    within(s);
    if (i < 6) {
      for (int b = 0; b < 2; ++b)
        for (int k = 0; k < 3; ++k) EXPECT_LT(s.run[b][k].trendxte, 0.05) << b << " " << k;
    }
  }
}

// The tracked AGV starts at the offset (ahead, to the left, turned) in the frame of the path's
// start, whatever that start's heading: seen from it, the first record of every tracked run lies
// at the offset, forward and backward.
TEST(Tracked, StartsAtItsOffsetInThePathsFrame) {
  auto q = std::make_unique<PtpResult>();
  for (const double th0 : {0.0, 30.0, 90.0, 180.0, -135.0})
    for (int reverse : {0, 1}) {
      Params p;
      p.controller = Stanley;
      p.reverse = reverse;
      p.offsetX = 0.3;
      p.offsetY = -0.2;
      p.offsetTh = 10.0;
      ASSERT_EQ(passPTP(p, {1, 2, th0}, {5, 4, th0 + 20}, *q), Status::Done);
      for (const Runs* runs : {&q->arc[0], &q->cl[1], &q->cl[2]}) {
        const Record& a = runs->ref.front();
        const Record& t = runs->tr.front();
        const double c = std::cos(a.th), s = std::sin(a.th);
        SCOPED_TRACE(testing::Message() << th0 << " " << reverse);
        EXPECT_NEAR((t.x - a.x) * c + (t.y - a.y) * s, p.offsetX, 1e-12);
        EXPECT_NEAR(-(t.x - a.x) * s + (t.y - a.y) * c, p.offsetY, 1e-12);
        EXPECT_NEAR(t.th - a.th, p.offsetTh * std::numbers::pi / 180.0, 1e-12);
      }
    }
}

}  // namespace
