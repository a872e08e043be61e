// Passes in a map plan their paths round its obstacles: a pass is its search's path planned and
// run, free of the wall the planner's join crosses, ending on its end pose; a route searches
// each leg and samples its path whole; what the search cannot reach is refused with its reason.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "agv/agv.h"
#include "agv/search.h"
#include "cli/csv.h"
#include "support/maps.h"

using namespace agv;

namespace {

// A hall of 16 x 16 m in cells of 0.1 m, its lower-left corner at (-4, -8): free, but for a
// wall 0.4 m thick at x = 4 from y = -3 to 3, across the straight way from (0, 0) to (8, 0).
Map hall() {
  Map m = agvtest::hall(160, 160, 0.1);
  agvtest::fill(m, 8.05, 5.05, 8.35, 10.95);  // the cells of columns 80 ... 83, rows 50 ... 109
  m.x = -4;
  m.y = -8;
  return m;
}

// Two runs of the same records, byte for byte.
bool same(const std::vector<Record>& a, const std::vector<Record>& b) {
  return a.size() == b.size() &&
         (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(Record)) == 0);
}

// How far a record lies from a waypoint: the larger of the distance and the heading error.
double miss(const Record& r, const Waypoint& w) {
  return std::max(std::hypot(r.x - w.x, r.y - w.y),
                  std::fabs(std::remainder(r.th - w.thDeg * (PI / 180), 2 * PI)));
}

// Forward and backing up, with and without the tracked AGV: the pass in the map is the search's
// path planned as its segments and run, its arc-line path clear of the wall the straight join
// crosses, every reference run on the end pose; its summary has the search's columns.
TEST(InAMap, APassDrivesItsSearchsPathRoundTheWall) {
  const Map m = hall();
  const Waypoint a{0, 0, 0}, b{8, 0, 0};
  for (const int reverse : {0, 1})
    for (const int controller : {NoController, Stanley}) {
      SCOPED_TRACE(testing::Message() << "reverse " << reverse << " controller " << controller);
      Params p;
      p.reverse = reverse;
      p.controller = controller;
      MapIndex ix;
      ASSERT_TRUE(buildindex(m, p, ix));
      auto r = std::make_unique<PtpResult>(), g = std::make_unique<PtpResult>();
      ASSERT_EQ(passPTP(p, a, b, ix, *r), Status::Done) << reason(r->refusal, p);
      SearchWork work;
      SearchResult found;
      ASSERT_EQ(planInMap(p, ix, a, b, work, found), SearchStatus::Found);
      ASSERT_EQ(planPath(p, a, b, found.segments, *g), Status::Done);
      ASSERT_EQ(runPTP(*g), Status::Done);
      ASSERT_EQ(r->path.nseg, g->path.nseg);
      EXPECT_EQ(r->path.s, g->path.s);
      for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(same(r->arc[k].ref, g->arc[k].ref) && same(r->cl[k].vv, g->cl[k].vv));
        EXPECT_TRUE(same(r->arc[k].tr, g->arc[k].tr));
        EXPECT_LT(miss(r->arc[k].ref.back(), b), 1e-7);
      }
      EXPECT_FALSE(r->contacts.path[0]);
      EXPECT_TRUE(r->search.done);
      EXPECT_EQ(r->search.segments, r->path.nseg);
      EXPECT_EQ(r->search.cusps, r->path.cusps());
      EXPECT_NEAR(r->search.cost, found.cost, 1e-9);
      EXPECT_GT(r->path.sf, 8.5);  // round the wall, not through it
      // The search's columns, with the map only.
      const std::vector<Column> with = columns(Table::Ptp, features(*r));
      std::vector<double> v;
      values(*r, features(*r), v);
      for (const char* name : {"segments", "cost", "expansions", "searchtime", "cusps"}) {
        size_t i = 0;
        while (i < with.size() && with[i].name != name) ++i;
        ASSERT_LT(i, with.size()) << name;
        EXPECT_FALSE(std::isnan(v[i])) << name;
      }
      EXPECT_EQ(v[0], -1);  // no row of the planner's
      for (const Column& c : columns(Table::Ptp, features(p, false)))
        EXPECT_TRUE(c.name != "segments" && c.name != "searchtime") << c.name;
    }
}

// A route in the map: each leg searched, the route's path.csv poses carry on from leg to leg,
// at most the spacing apart, from its first waypoint to its last; the searches' segments add
// up in the summary.
TEST(InAMap, ARouteSearchesEveryLegAndItsPathIsSampledWhole) {
  Params p;
  p.reverse = 1;
  MapIndex ix;
  ASSERT_TRUE(buildindex(hall(), p, ix));
  const std::vector<Waypoint> w = {{0, 0, 0}, {8, 0, 0}, {8, 5, 90}};
  auto r = std::make_unique<RouteResult>();
  ASSERT_EQ(passRoute(p, w, ix, *r), Status::Done) << reason(*r);
  int segments = 0;
  for (const PtpResult& leg : r->legs) {
    EXPECT_TRUE(leg.search.done);
    segments += leg.path.nseg;
  }
  std::vector<double> v;
  values(*r, features(*r), v);
  const std::vector<Column> cols = columns(Table::Route, features(*r));
  for (size_t i = 0; i < cols.size(); ++i)
    if (cols[i].name == "segments") {
      EXPECT_EQ(v[i], segments);
    }
  ASSERT_TRUE(cli::haspath(*r));
  std::vector<PathPose> poses;
  cli::pathposes(*r, poses);
  ASSERT_GT(poses.size(), 2u);
  EXPECT_LT(std::hypot(poses.front().x - w[0].x, poses.front().y - w[0].y), 1e-12);
  EXPECT_LT(std::hypot(poses.back().x - w[2].x, poses.back().y - w[2].y), 1e-6);
  EXPECT_NEAR(poses.back().s, r->sf, 1e-9);
  for (size_t n = 1; n < poses.size(); ++n) {
    ASSERT_GT(poses[n].s, poses[n - 1].s);
    ASSERT_LE(std::hypot(poses[n].x - poses[n - 1].x, poses[n].y - poses[n - 1].y),
              cli::kPathSpacing + 1e-12);
  }
}

// A goal in the wall, a start in it, a goal walled in: refused with the search's reason, the
// route naming its leg.
TEST(InAMap, WhatTheSearchCannotReachIsRefusedWithItsReason) {
  Map walled = hall();
  for (int row = 60; row < 100; ++row)  // a box of 4 x 4 m round (9.5, 0)
    for (int col = 115; col < 155; ++col)
      if (row == 60 || row == 99 || col == 115 || col == 154)
        walled.cells[static_cast<size_t>(row) * 160 + col] = Cell::Occupied;
  Params p;
  MapIndex ix;
  ASSERT_TRUE(buildindex(walled, p, ix));
  const struct {
    Waypoint start, end;
    SearchStatus why;
    const char* says;
  } kCases[] = {
      {{0, 0, 0}, {4.2, 0, 0}, SearchStatus::GoalCollides, "the goal pose (4.2 m, 0 m, 0 deg) touches"},
      {{4.2, 1, 90}, {0, 0, 0}, SearchStatus::StartCollides, "the start pose (4.2 m, 1 m, 90 deg)"},
      {{0, 0, 0}, {9.5, 0, 0}, SearchStatus::Unreachable, "the goal cannot be reached"},
  };
  auto r = std::make_unique<PtpResult>();
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.says);
    EXPECT_EQ(passPTP(p, c.start, c.end, ix, *r), Status::NoPathInMap);
    EXPECT_EQ(r->refusal.stage, static_cast<int>(c.why));
    EXPECT_FALSE(r->planned);
    EXPECT_EQ(reason(r->refusal, p).rfind(std::string("no path in the map: ") + c.says, 0), 0u)
        << reason(r->refusal, p);
  }
  auto route = std::make_unique<RouteResult>();
  EXPECT_EQ(passRoute(p, {{0, 0, 0}, {0, 5, 90}, {4.2, 0, 0}}, ix, *route), Status::NoPathInMap);
  EXPECT_EQ(route->leg, 1);
  EXPECT_EQ(reason(*route).rfind("leg 2 from (0, 5, 90 deg) to (4.2, 0, 0 deg): no path in the map", 0),
            0u)
      << reason(*route);
}

}  // namespace
