// The bound of the coordinates: at it a pass is the same pass near the origin, moved; beyond it
// a pass is refused as a misuse, but the simulator's own pass from the origin.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>

#include "agv/agv.h"
#include "agv/route.h"

namespace {

using namespace agv;

constexpr double kAgree = 2e-10;  // [m]

// Over random poses a few metres apart at each corner of the bound, forward, with three arcs and
// backing up: the path is as long as the same pass's near the origin within 1e-12 of its length,
// and every run record lies where that pass's does, moved, and the summaries' errors are that
// pass's, within 2e-10 m.
TEST(Bounds, AtTheBoundAPassIsThePassNearTheOriginMoved) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> xy(-3, 3), th(-180, 180);
  auto a = std::make_unique<PtpResult>(), b = std::make_unique<PtpResult>();
  for (int i = 0; i < 48; ++i) {
    Params p;
    p.threeArcs = i % 3 == 1;
    p.reverse = i % 3 == 2;
    const double X = i % 2 == 0 ? kPoseMax - 3 : 3 - kPoseMax, Y = i % 4 < 2 ? kPoseMax - 3 : 3 - kPoseMax;
    const Waypoint s{xy(rng), xy(rng), th(rng)}, e{xy(rng), xy(rng), th(rng)};
    SCOPED_TRACE(testing::Message() << s.x << " " << s.y << " " << s.thDeg << " to " << e.x << " " << e.y
                                    << " " << e.thDeg << " at " << X << " " << Y << " reverse " << p.reverse);
    ASSERT_EQ(passPTP(p, s, e, *a), Status::Done);
    ASSERT_EQ(passPTP(p, {X + s.x, Y + s.y, s.thDeg}, {X + e.x, Y + e.y, e.thDeg}, *b), Status::Done);
    EXPECT_NEAR(b->path.sf, a->path.sf, 1e-12 * a->path.sf);
    for (int k = 0; k < 3; ++k)
      for (const auto& [ra, rb] : {std::pair{&a->arc[k], &b->arc[k]}, {&a->cl[k], &b->cl[k]}}) {
        ASSERT_EQ(ra->cv.size(), rb->cv.size());
        for (size_t n = 0; n < ra->cv.size(); ++n)
          ASSERT_LT(std::hypot(rb->cv[n].x - X - ra->cv[n].x, rb->cv[n].y - Y - ra->cv[n].y), kAgree) << n;
      }
    const PtpSummary sa = summarize(*a), sb = summarize(*b);
    for (int q = 0; q < 2; ++q)
      for (int k = 0; k < 3; ++k)
        for (const double RunSummary::*f : {&RunSummary::maxerr, &RunSummary::enderr}) {
          const double u = sa.run[q][k].*f, v = sb.run[q][k].*f;
          EXPECT_NEAR(u, v, kAgree) << q << k;
        }
  }
}

// A coordinate of a start, an end or a waypoint a hair beyond the bound: a misuse whose reason
// names the bound, of a pass, a plan alone and a route (naming its leg); but the simulator's own
// pass from the origin takes any end pose, and refuses a far one as too long, as it always has.
TEST(Bounds, BeyondTheBoundPosesAreRefused) {
  const double out = std::nextafter(kPoseMax, std::numeric_limits<double>::infinity());
  auto r = std::make_unique<PtpResult>();
  Params back;
  back.reverse = 1;
  const struct {
    Params p;
    Waypoint start, end;
  } cases[] = {
      {Params{}, {out, 0, 0}, {999, 0, 0}},   {Params{}, {0, -out, 0}, {0, -999, 0}},
      {Params{}, {1, 0, 0}, {1, out, 90}},    {back, {}, {-out, 0, 0}},
      {Params{}, {1e14, 1e14, 0}, {1e14 + 4, 1e14 + 2, 90}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start.x << " " << c.start.y << " to " << c.end.x << " " << c.end.y);
    EXPECT_EQ(planPTP(c.p, c.start, c.end, *r), Status::BadPose);
    EXPECT_EQ(r->refusal.stage, 1);
    EXPECT_NE(reason(r->refusal, c.p).find("1000 m"), std::string::npos) << reason(r->refusal, c.p);
    EXPECT_EQ(planOnly(c.p, c.start, c.end).status, Status::BadPose);
  }
  for (const Waypoint& at : {Waypoint{kPoseMax, -kPoseMax, 0}, Waypoint{-kPoseMax, kPoseMax, 180}}) {
    EXPECT_EQ(planPTP(Params{}, at, {at.x, at.y, 90}, *r), Status::Done);
    EXPECT_EQ(planOnly(back, at, {at.x, at.y, 90}).status, Status::Done);
  }
  auto route = std::make_unique<RouteResult>();
  EXPECT_EQ(planRoute(Params{}, {{0, 0, 0}, {2, 3, 0}, {out, 3, 0}}, *route), Status::BadPose);
  EXPECT_EQ(reason(*route).rfind("leg 2 from (2, 3, 0 deg)", 0), 0u) << reason(*route);
  EXPECT_EQ(planPTP(Params{}, 1e6, 0, 0, *r), Status::PathTooLong);
  EXPECT_EQ(planPTP(Params{}, Waypoint{0, 0, 360}, Waypoint{-out, 0, 0}, *r), Status::PathTooLong);
}

}  // namespace
