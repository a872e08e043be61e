// Passes of paths that may back up: the runs drive each segment in its direction and end on the
// end pose, the plan alone is the pass's plan, mirror images mirror the runs, degenerate poses
// give no loop, the tracked AGV follows every stretch between cusps, routes count their cusps.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "agv/agv.h"
#include "agv/route.h"
#include "support/runs.h"

namespace {

using namespace agv;
using agvtest::reversals;

// How far a record ends from the pose w: the larger of the distance and the heading error.
double miss(const Record& r, const Waypoint& w) {
  const double dth = std::remainder(r.th - w.thDeg * (PI / 180.0), 2.0 * PI);
  return std::max(std::hypot(r.x - w.x, r.y - w.y), std::fabs(dth));
}

Params reverse() {
  Params p;
  p.reverse = 1;
  return p;
}

// Over random pairs of poses: the plan alone is the pass's plan; every reference and
// variable-velocity run ends on the end pose (the arc-line runs within 1e-7, the clothoid-line
// runs within 1e-5, but the front drive's reference point, which ends short of the end of a
// clothoid-line path whatever its direction); the reference runs turn back as often as the
// path has cusps.
TEST(Reverse, PassesDriveEverySegmentInItsDirectionToTheEnd) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> xy(-5.0, 5.0), th(-180.0, 180.0);
  auto r = std::make_unique<PtpResult>();
  int cusps = 0;
  for (int i = 0; i < 200; ++i) {
    const Waypoint a{xy(rng), xy(rng), th(rng)}, b{xy(rng), xy(rng), th(rng)};
    SCOPED_TRACE(testing::Message() << a.x << " " << a.y << " " << a.thDeg << " -> " << b.x
                                    << " " << b.y << " " << b.thDeg);
    ASSERT_EQ(passPTP(reverse(), a, b, *r), Status::Done);
    const PlanWord w = planOnly(reverse(), a, b);
    ASSERT_EQ(w.n, r->path.nseg);
    EXPECT_EQ(w.length, r->path.sf);
    for (int j = 0; j < w.n; ++j)
      EXPECT_TRUE(w.sgnK[j] == r->path.sgnK[j] && w.drive[j] == r->path.drive[j] &&
                  w.s[j] == r->path.s[j]);
    cusps += r->path.cusps();
    for (int k = 0; k < 3; ++k) {
      EXPECT_LT(miss(r->arc[k].ref.back(), b), 1e-7);
      EXPECT_LT(miss(r->arc[k].vv.back(), b), 1e-7);
      if (k != 1) {  // not the front drive
        EXPECT_LT(miss(r->cl[k].ref.back(), b), 1e-5);
      }
      EXPECT_LT(miss(r->cl[k].vv.back(), b), 1e-5);
      EXPECT_EQ(reversals(r->arc[k].ref), r->path.cusps());
      EXPECT_EQ(reversals(r->cl[k].ref), r->path.cusps());
    }
  }
  EXPECT_GT(cusps, 100);  // the pairs take paths with cusps
}

// The mirror image of the end pose (y and the heading negated) mirrors the path, its directions
// kept, and every run.
TEST(Reverse, AMirrorImageMirrorsTheRuns) {
  auto r = std::make_unique<PtpResult>(), m = std::make_unique<PtpResult>();
  // (Poses whose path and its mirror image are no tie between two words.)
  for (const Waypoint& b : {Waypoint{0, 1, 0}, Waypoint{-2, 0.5, 60}, Waypoint{3, -1, 150}}) {
    ASSERT_EQ(passPTP(reverse(), b.x, b.y, b.thDeg, *r), Status::Done);
    ASSERT_EQ(passPTP(reverse(), b.x, -b.y, -b.thDeg, *m), Status::Done);
    ASSERT_EQ(r->path.nseg, m->path.nseg);
    for (int j = 0; j < r->path.nseg; ++j)
      EXPECT_TRUE(r->path.sgnK[j] == -m->path.sgnK[j] && r->path.drive[j] == m->path.drive[j]);
    for (int k = 0; k < 3; ++k)
      for (const auto* runs : {&r->arc[k], &r->cl[k]}) {
        const auto& mine = runs == &r->arc[k] ? m->arc[k] : m->cl[k];
        ASSERT_EQ(runs->cv.size(), mine.cv.size());
        for (size_t n = 0; n < runs->cv.size(); ++n)
          ASSERT_NEAR(runs->cv[n].y, -mine.cv[n].y, 1e-12);
      }
  }
}

// Degenerate end poses from (0, 0, 0): the start itself (no segment, a run of one record), a
// hair off it in every coordinate, a heading a hair under a full turn, and exact tangencies
// (a quarter circle, a half circle backward, a line backward): a short path, no loop.
TEST(Reverse, DegeneratePosesGiveShortPathsAndNoLoop) {
  const struct {
    Waypoint end;
    double most;  // the longest path allowed [m]
    int nseg;     // -1: any
  } kCases[] = {
      {{0, 0, 0}, 0.0, 0},
      {{0.01, 0.01, 0.01 * 180 / PI}, 0.3, -1},  // four arcs of some 0.07 m: a sideways step
      {{0, 0, 360 - 1e-9}, 1e-9, -1},
      {{0, 0, -(360 - 1e-7)}, 1e-7, -1},
      {{1, 1, 90}, PI / 2 + 1e-9, -1},
      {{0, 2, 180}, PI + 1e-12, -1},
      {{-3, 0, 0}, 3.0, 1},
  };
  auto r = std::make_unique<PtpResult>();
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.end.x << " " << c.end.y << " " << c.end.thDeg);
    ASSERT_EQ(passPTP(reverse(), c.end.x, c.end.y, c.end.thDeg, *r), Status::Done);
    EXPECT_LE(r->path.sf, c.most);
    if (c.nseg >= 0) {
      EXPECT_EQ(r->path.nseg, c.nseg);
    }
    for (int k = 0; k < 3; ++k) EXPECT_LT(miss(r->arc[k].ref.back(), c.end), 1e-7);
  }
  ASSERT_EQ(passPTP(reverse(), 0, 0, 0, *r), Status::Done);
  EXPECT_EQ(r->arc[1].ref.size(), 1u);
  EXPECT_EQ(r->cl[2].vv.size(), 1u);
}

// Parallel parking, one lane to the left (two cusps, every arc at the steering limit): every
// controller's AGV follows each stretch in its direction, stands at both cusps while its
// steering turns, and ends near the end pose.
TEST(Reverse, TheTrackedAGVTurnsBackAtEveryCusp) {
  auto r = std::make_unique<PtpResult>();
  for (const int c : {PurePursuit, Stanley, RearWheel}) {
    Params p = reverse();
    p.controller = c;
    ASSERT_EQ(passPTP(p, 0, 1, 0, *r), Status::Done);
    ASSERT_EQ(r->path.cusps(), 2);
    for (int k = 0; k < 3; ++k)
      for (const Runs* runs : {&r->arc[k], &r->cl[k]}) {
        SCOPED_TRACE(testing::Message() << c << " " << k);
        EXPECT_EQ(reversals(runs->tr), 2);
        EXPECT_LT(std::hypot(runs->tr.back().x, runs->tr.back().y - 1), 0.5);
      }
  }
}

// A route whose legs back up: the legs' cusps and those at the waypoints, where the driving
// direction changes from one leg to the next, are counted; the runs meet the waypoints.
TEST(Reverse, RoutesBackUpAndCountTheirCusps) {
  const std::vector<Waypoint> w = {{0, 0, 0}, {-3, 0, 0}, {-3, 1, 0}, {1, 1, 0}};
  auto r = std::make_unique<RouteResult>();
  ASSERT_EQ(passRoute(reverse(), w, *r), Status::Done);
  int inside = 0;
  for (const PtpResult& leg : r->legs) inside += leg.path.cusps();
  // Back 3 m; parallel parking, which starts and ends backing up; forward: one cusp at the last
  // waypoint besides the parking's own two.
  EXPECT_EQ(r->legs[0].path.drive[0], -1);
  EXPECT_EQ(inside, 2);
  EXPECT_EQ(r->cusps, inside + 1);
  EXPECT_EQ(reversals(r->arc[2].ref), r->cusps);
  EXPECT_LT(miss(r->arc[2].ref.back(), w.back()), 1e-7);
}

// A leg is planned knowing the direction the leg before ended in: going 3 m forward, then back
// to 1 m, the second leg backs up 2 m with a cusp at the waypoint, but with cuspCost = 100 drives
// forward round (no cusp anywhere), though the same leg alone, which has no direction before it,
// still backs up.  Forward routes keep their legs.
TEST(Reverse, ARouteWeighsTheCuspAtAWaypoint) {
  const std::vector<Waypoint> w = {{0, 0, 0}, {3, 0, 0}, {1, 0, 0}};
  auto r = std::make_unique<RouteResult>();
  Params p = reverse();
  ASSERT_EQ(planRoute(p, w, *r), Status::Done);
  EXPECT_EQ(r->legs[1].path.drive[0], -1);
  EXPECT_EQ(r->cusps, 1);
  p.cuspCost = 100;
  ASSERT_EQ(planRoute(p, w, *r), Status::Done);
  EXPECT_EQ(r->cusps, 0);
  EXPECT_GT(r->legs[1].path.sf, 2.0);
  const PlanWord alone = planOnly(p, w[1], w[2]);
  EXPECT_EQ(alone.n, 1);
  EXPECT_EQ(alone.drive[0], -1);
}

}  // namespace
