// Headings through the passes: degrees become radians exactly in every pass but the simulator's
// own (forward from the origin, which keeps DEG2RAD); a pose reached by one arc is that arc, and
// equal poses are no path, from anywhere.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "agv/agv.h"
#include "agv/route.h"

namespace {

using namespace agv;

constexpr double kRadPerDeg = std::numbers::pi / 180;

Params with(int reverse, int threeArcs = 0, double Ra = 1.0) {
  Params p;
  p.reverse = reverse;
  p.threeArcs = threeArcs;
  p.Ra = Ra;
  return p;
}

// The end heading each pass plans to, for headings typed as 180, 90, -45 and 7 degrees and a
// turn of 370 (reduced to 10): the typed heading times DEG2RAD in the simulator's pass from the
// origin, from (0, 0, 360) too; exact (within a unit in the last place of the sum of the start
// heading and the turn) from any other start, backing up, and in plans alone, which drive there.
TEST(Headings, DegreesBecomeRadiansExactlyButInTheSimulatorsOwnPass) {
  auto r = std::make_unique<PtpResult>();
  for (const double deg : {180.0, 90.0, -45.0, 7.0}) {
    SCOPED_TRACE(deg);
    const double want = deg * kRadPerDeg;
    for (const Waypoint& origin : {Waypoint{}, Waypoint{0, 0, 360}}) {
      ASSERT_EQ(planPTP(with(0), origin, Waypoint{1, 1, deg}, *r), Status::Done);
      EXPECT_EQ(r->path.Pf.th, deg * DEG2RAD);
    }
    ASSERT_EQ(planPTP(with(1), Waypoint{}, Waypoint{1, 1, deg}, *r), Status::Done);
    EXPECT_EQ(r->path.Pf.th, want);
    ASSERT_EQ(planPTP(with(0), Waypoint{2, -1, 30}, Waypoint{1, 1, deg + 360}, *r), Status::Done);
    EXPECT_NEAR(r->path.Pf.th, want, 1e-15);
    for (const int reverse : {0, 1}) {
      const PlanWord w = planOnly(with(reverse), Waypoint{}, Waypoint{1, 1, deg});
      double th = 0;
      for (int j = 0; j < w.n; ++j) th += w.sgnK[j] * w.drive[j] * w.s[j] / w.Rarc;
      EXPECT_NEAR(std::remainder(th - want, 2 * std::numbers::pi), 0.0, 1e-12) << reverse;
    }
  }
}

// The end pose equal to the start, from anywhere, forward, with three arcs and backing up: no
// path, as a pass, alone and as a route's leg.  The goal an arc of 1 rad along a start's circle of
// 0.817 m, or of 7 degrees along the origin's left circle of 1 m (typed as the simulator takes
// it), is that arc.
TEST(Headings, EqualPosesAreNoPathAndOneArcIsThatArc) {
  auto r = std::make_unique<PtpResult>();
  auto route = std::make_unique<RouteResult>();
  const Waypoint at{1, 2, 30};
  for (const Params& p : {with(0), with(0, 1), with(1)}) {
    ASSERT_EQ(planPTP(p, at, at, *r), Status::Done);
    EXPECT_EQ(r->path.sf, 0.0);
    EXPECT_EQ(planOnly(p, at, at).length, 0.0);
    ASSERT_EQ(planRoute(p, {{0, 0, 0}, at, at, {4, 2, 0}}, *route), Status::Done);
    EXPECT_EQ(route->legs[1].path.sf, 0.0);
  }
  const double Ra = 0.817, th0 = 40 * kRadPerDeg;
  const Waypoint start{2, -1, 40}, end{2 + Ra * (std::sin(th0 + 1) - std::sin(th0)),
                                       -1 + Ra * (std::cos(th0) - std::cos(th0 + 1)), 40 + 1 / kRadPerDeg};
  for (const int three : {0, 1}) {
    ASSERT_EQ(planPTP(with(0, three, Ra), start, end, *r), Status::Done);
    EXPECT_NEAR(r->path.sf, Ra, 1e-9);
  }
  ASSERT_EQ(planPTP(Params{}, 0.12186934340514748, 0.007453848358678017, 7, *r), Status::Done);
  EXPECT_NEAR(r->path.sf, 7 * DEG2RAD, 1e-9);
}

}  // namespace
