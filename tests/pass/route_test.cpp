// Any start pose and routes: a rigid motion moves a pass with it, a route of two waypoints is a
// pass, the runs carry on from leg to leg, a published route has its published length.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "agv/agv.h"

using namespace agv;

namespace {

// The records of two runs are equal, field by field.
bool same(const std::vector<Record>& a, const std::vector<Record>& b) {
  return a.size() == b.size() &&
         (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(Record)) == 0);
}

// Pose p moved by the rotation rot [deg] about the origin, then by (dx, dy).
Waypoint moved(const Waypoint& p, double rot, double dx, double dy) {
  const double c = std::cos(rot * M_PI / 180), s = std::sin(rot * M_PI / 180);
  return Waypoint{c * p.x - s * p.y + dx, s * p.x + c * p.y + dy, p.thDeg + rot};
}

// From a start pose other than the origin (the origin's own pass keeps the simulator's DEG2RAD
// for its end heading, and is the start form's byte for byte, below).
TEST(StartPose, ARigidMotionMovesThePathAndTheRunsWithIt) {
  std::mt19937 rng(24);
  std::uniform_real_distribution<double> xy(-6, 6), th(-180, 180);
  auto a = std::make_unique<PtpResult>(), b = std::make_unique<PtpResult>();
  for (int trial = 0; trial < 60; ++trial) {
    Params p;
    p.threeArcs = trial % 2;
    const Waypoint start{xy(rng), xy(rng), th(rng)}, end{xy(rng), xy(rng), th(rng)};
    const double rot = th(rng), dx = xy(rng), dy = xy(rng);
    SCOPED_TRACE(testing::Message() << start.x << " " << start.y << " " << start.thDeg << " to " << end.x
                                    << " " << end.y << " " << end.thDeg << " by " << rot);
    ASSERT_EQ(passPTP(p, start, end, *a), Status::Done);
    ASSERT_EQ(passPTP(p, moved(start, rot, dx, dy), moved(end, rot, dx, dy), *b), Status::Done);
    EXPECT_NEAR(b->path.sf, a->path.sf, 1e-9 * a->path.sf);
    for (int k = 0; k < 3; ++k)
      for (const auto& [ra, rb] : {std::pair{&a->arc[k], &b->arc[k]}, {&a->cl[k], &b->cl[k]}}) {
        ASSERT_EQ(ra->cv.size(), rb->cv.size());
        for (size_t n = 0; n < ra->cv.size(); n += 17) {
          const Waypoint want = moved({ra->cv[n].x, ra->cv[n].y, 0}, rot, dx, dy);
          EXPECT_NEAR(rb->cv[n].x, want.x, 1e-9) << k << " " << n;
          EXPECT_NEAR(rb->cv[n].y, want.y, 1e-9) << k << " " << n;
          EXPECT_NEAR(std::hypot(rb->err[n].x, rb->err[n].y),
                      std::hypot(ra->err[n].x, ra->err[n].y), 1e-9);
        }
      }
  }
  // The origin form is the start form from (0, 0, 0), byte for byte.
  ASSERT_EQ(passPTP(Params{}, 4, -3, -45, *a), Status::Done);
  ASSERT_EQ(passPTP(Params{}, Waypoint{0, 0, 0}, Waypoint{4, -3, -45}, *b), Status::Done);
  for (int k = 0; k < 3; ++k)
    for (const auto& [ra, rb] : {std::pair{&a->arc[k], &b->arc[k]}, {&a->cl[k], &b->cl[k]}})
      EXPECT_TRUE(same(ra->ref, rb->ref) && same(ra->cv, rb->cv) && same(ra->vv, rb->vv)) << k;
}

// With three arcs and a radius of 1 m, the route of another planning tool's documentation is
// 19.4722 m long.
TEST(Routes, APublishedRouteHasItsPublishedLength) {
  Params p;
  p.threeArcs = 1;
  auto r = std::make_unique<RouteResult>();
  ASSERT_EQ(passRoute(p, {{8, 10, 90}, {7, 14, 45}, {10, 17, 90}, {10, 10, -180}}, *r),
            Status::Done);
  EXPECT_NEAR(r->sf, 19.4722, 5e-5);
  ASSERT_EQ(r->legs.size(), 3u);
}

// A route of two waypoints is the pass between them, byte for byte.
TEST(Routes, ARouteOfTwoWaypointsIsAPass) {
  auto r = std::make_unique<RouteResult>();
  auto a = std::make_unique<PtpResult>();
  const Waypoint s{1, -2, 30}, e{5, 1, -60};
  ASSERT_EQ(passRoute(Params{}, {s, e}, *r), Status::Done);
  ASSERT_EQ(passPTP(Params{}, s, e, *a), Status::Done);
  for (int k = 0; k < 3; ++k) {
    EXPECT_TRUE(same(r->arc[k].cv, a->arc[k].cv) && same(r->arc[k].vv, a->arc[k].vv)) << k;
    EXPECT_TRUE(same(r->cl[k].err, a->cl[k].err) && same(r->cl[k].vv, a->cl[k].vv)) << k;
  }
  const PtpSummary x = summarize(*r), y = summarize(*a);
  EXPECT_EQ(std::memcmp(&x, &y, sizeof x), 0);
}

// On routes of 2 to 50 legs, zero-length legs among them: every AGV ends a leg in the state it
// starts the next in; the reference point starts every leg on its waypoint and runs it as the
// leg's pass alone runs it, so that it meets the waypoint at the end as closely as that pass
// meets its end pose (the arc-line runs to 1e-7 m).
TEST(Routes, TheRunsCarryOnFromLegToLeg) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> xy(-5, 5), th(-180, 180);
  auto r = std::make_unique<RouteResult>();
  for (int legs : {1, 2, 5, 13, 50}) {
    std::vector<Waypoint> w = {{0, 0, 0}};
    for (int i = 0; i < legs; ++i)
      w.push_back(i == 3 ? w.back() : Waypoint{w.back().x + xy(rng), w.back().y + xy(rng), th(rng)});
    Params p;
    p.threeArcs = legs % 2;
    p.maxSteps = 100000;
    SCOPED_TRACE(legs);
    ASSERT_EQ(passRoute(p, w, *r), Status::Done) << reason(*r);
    for (int b = 0; b < 2; ++b)
      for (int k = 0; k < 3; ++k) {
        const RouteRuns* runs = b == 0 ? &r->arc[k] : &r->cl[k];
        EXPECT_EQ(runs->leg.front(), 0);
        EXPECT_EQ(runs->leg.back(), legs - 1);
        // One clock along the whole route, the error's the runs' own.
        for (size_t n = 0; n < runs->ref.size(); ++n)
          ASSERT_TRUE(runs->ref[n].t == runs->cv[n].t && runs->err[n].t == runs->cv[n].t &&
                      (n == 0 || runs->cv[n].t >= runs->cv[n - 1].t))
              << n;
        for (size_t n = 1; n < runs->ref.size(); ++n) {
          if (runs->leg[n] == runs->leg[n - 1]) continue;
          const Waypoint& at = w[static_cast<size_t>(runs->leg[n])];
          EXPECT_EQ(runs->ref[n].x, at.x);
          EXPECT_EQ(runs->ref[n].y, at.y);
          if (b == 0) {
            EXPECT_NEAR(runs->ref[n - 1].x, at.x, 1e-7);
            EXPECT_NEAR(runs->ref[n - 1].y, at.y, 1e-7);
          }
          // The AGV and the time: the same state (the caster's steering is the path's own).
          const Record &x = runs->cv[n - 1], &y = runs->cv[n];
          EXPECT_TRUE(x.t == y.t && x.s == y.s && x.th == y.th && x.x == y.x && x.y == y.y &&
                      (k == 0 || x.phi == y.phi))
              << n;
        }
      }
    // Each leg's reference run is the leg's pass's, record for record.
    auto one = std::make_unique<PtpResult>();
    const int i = legs - 1;
    ASSERT_EQ(passPTP(p, w[static_cast<size_t>(i)], w[static_cast<size_t>(i) + 1], *one), Status::Done);
    for (int k = 0; k < 3; ++k) {
      const RouteRuns& runs = r->cl[k];
      const size_t first = static_cast<size_t>(
          std::find(runs.leg.begin(), runs.leg.end(), i) - runs.leg.begin());
      ASSERT_EQ(runs.ref.size() - first, one->cl[k].ref.size());
      for (size_t n = 0; n < one->cl[k].ref.size(); ++n) {
        const Record &x = runs.ref[first + n], &y = one->cl[k].ref[n];
        ASSERT_TRUE(x.x == y.x && x.y == y.y && x.th == y.th && x.kap == y.kap) << k << " " << n;
      }
    }
    // The variable-velocity AGVs of the steered mechanisms (mechanism 1's is its reference).
    for (const RouteRuns* runs : {&r->arc[1], &r->arc[2], &r->cl[1], &r->cl[2]}) {
      for (size_t n = 1; n < runs->vv.size(); ++n) {
        if (runs->vleg[n] == runs->vleg[n - 1]) continue;
        const Record &a = runs->vv[n - 1], &b = runs->vv[n];
        EXPECT_TRUE(a.t == b.t && a.s == b.s && a.th == b.th && a.x == b.x && a.y == b.y &&
                    a.phi == b.phi)
            << n;
      }
    }
  }
}

// A route that cannot be planned names its leg; one of too few waypoints, or a pose that is not
// finite, is refused as a misuse.
TEST(Routes, RefusalsNameTheirLeg) {
  auto r = std::make_unique<RouteResult>();
  EXPECT_EQ(passRoute(Params{}, {{0, 0, 0}, {2, 3, 0}, {90, 0, 0}}, *r), Status::PathTooLong);
  EXPECT_EQ(r->leg, 1);
  EXPECT_EQ(reason(*r).rfind("leg 2 from (2, 3, 0 deg) to (90, 0, 0 deg): the path is too long", 0),
            0u)
      << reason(*r);
  EXPECT_TRUE(r->arc[0].ref.empty());
  EXPECT_EQ(passRoute(Params{}, {{0, 0, 0}}, *r), Status::BadRoute);
  EXPECT_EQ(passRoute(Params{}, {{0, 0, 0}, {1, NAN, 0}}, *r), Status::BadPose);
  Params tight;
  tight.maxMemory = 1;
  tight.dt = 0.001;
  tight.maxSteps = 100000;
  EXPECT_EQ(passRoute(tight, {{0, 0, 0}, {10, 0, 0}, {20, 0, 0}, {30, 0, 0}}, *r),
            Status::TooMuchMemory);
  EXPECT_GT(r->refusal.value, 1.0);
}

// The heading errors of the records of a run: each the difference of the headings reduced into
// (-pi, pi].
template <class Run>
void reducederrors(const Run& runs) {
  for (size_t n = 0; n < runs.err.size(); ++n) {
    const double d = runs.cv[n].th - runs.ref[n].th;
    ASSERT_LE(std::fabs(runs.err[n].th), M_PI) << n;
    ASSERT_NEAR(std::cos(runs.err[n].th), std::cos(d), 1e-12) << n;
    ASSERT_NEAR(std::sin(runs.err[n].th), std::sin(d), 1e-12) << n;
  }
}

// Heading errors are reported reduced into (-pi, pi], in the records and the summaries: on a
// route whose first leg ends at a heading of -pi and whose second starts at +pi (it ends on its
// heading), and on CP curves where the 1RDW1FS AGV turns more than half a turn away from its
// reference point's heading.
TEST(HeadingErrors, AreReducedIntoOneTurn) {
  Params p;
  p.controller = RearWheel;
  auto r = std::make_unique<RouteResult>();
  ASSERT_EQ(passRoute(p, {{0, 0, 0}, {0, -2, 180}, {-3, -2, 180}}, *r), Status::Done);
  const PtpSummary s = summarize(*r);
  for (int b = 0; b < 2; ++b)
    for (int k = 0; k < 3; ++k) {
      SCOPED_TRACE(testing::Message() << b << " " << k);
      reducederrors(b == 0 ? r->arc[k] : r->cl[k]);
      EXPECT_LT(std::fabs(s.run[b][k].endtherr), 0.05);
      EXPECT_LT(std::fabs(s.run[b][k].trendtherr), 0.05);
    }
  auto c = std::make_unique<CpResult>();
  for (const Curve& curve : {Curve{1, 0.3, 0.3}, Curve{11, 0.1, 0.5}, Curve{13, 0.3, 0.0}}) {
    ASSERT_EQ(passCP(Params{}, curve, *c), Status::Done);
    const CpSummary cs = summarize(*c);
    for (int k = 0; k < 3; ++k) {
      SCOPED_TRACE(testing::Message() << curve.I << " " << k);
      reducederrors(c->run[k]);
      EXPECT_EQ(cs.run[k].endtherr, c->run[k].err.back().th);
    }
  }
}

}  // namespace
