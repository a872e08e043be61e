// The search in a map: every path it finds, on random cluttered maps, starts and ends on its
// poses, turns no tighter than Ra and is free by the map's check; hand-made maps that need
// backing up; refusals with their numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "agv/search.h"
#include "support/maps.h"

using namespace agv;

namespace {

constexpr double kClose = 1e-9;

MapIndex index(const Map& m, const Params& p) {
  MapIndex ix;
  EXPECT_TRUE(buildindex(m, p, ix)) << checkmap(m) << checkparams(p);
  return ix;
}

// The pose the segments drive to from start, each checked by the map's segment check: the
// first contact's segment in `hit` (-1 when none).
Pose drive(const MapIndex& ix, const Params& p, const Waypoint& start,
           const std::vector<SearchSegment>& segs, int& hit) {
  Pose q{start.x, start.y, reduceheading(start.thDeg) * (std::numbers::pi / 180), 0.0};
  hit = -1;
  std::vector<Pose> ends;
  for (std::size_t i = 0; i < segs.size(); ++i) {
    const SearchSegment& g = segs[i];
    const double kap = g.k / p.Ra;
    if (hit < 0 && segmentcontact(ix, q, kap, g.len, g.drive)) hit = static_cast<int>(i);
    ends.clear();
    samplesegment(q, kap, g.len, g.drive, g.len, ends);
    q = ends.back();
  }
  return q;
}

// The poses along segments from a every kSpacing: from a to `end` (where the segments drive to),
// none farther from the one before than the distance driven between them, nor turned more than
// that distance over Ra, none more than kSpacing apart, every joint among them with the next
// segment's direction.
constexpr double kSpacing = 0.3;
void expectposes(const Params& p, const Waypoint& a, const std::vector<SearchSegment>& segs,
                 const Pose& end) {
  std::vector<PlanPose> q;
  ASSERT_EQ(samplePath(segs, p, a, kSpacing, q), Status::Done);
  ASSERT_FALSE(q.empty());
  EXPECT_EQ(q.front().x, a.x);
  EXPECT_EQ(q.front().y, a.y);
  EXPECT_NEAR(q.back().x, end.x, kClose);
  EXPECT_NEAR(q.back().y, end.y, kClose);
  EXPECT_NEAR(q.back().th, end.th, kClose);
  for (std::size_t i = 1; i < q.size(); ++i) {
    const double ds = q[i].s - q[i - 1].s;
    EXPECT_GT(ds, 0.0);
    EXPECT_LE(ds, kSpacing + kClose);
    EXPECT_LE(std::hypot(q[i].x - q[i - 1].x, q[i].y - q[i - 1].y), ds + kClose);
    EXPECT_LE(std::fabs(q[i].th - q[i - 1].th), ds / p.Ra + kClose);
  }
  double s = 0;
  for (const SearchSegment& g : segs) {
    const auto at = std::find_if(q.begin(), q.end(), [s](const PlanPose& x) { return x.s == s; });
    EXPECT_TRUE(at != q.end() && at->drive == g.drive) << "no joint at s = " << s;
    s += g.len;
  }
}

// The invariants of a path found from a to b.
void expectpath(const MapIndex& ix, const Params& p, const Waypoint& a, const Waypoint& b,
                const SearchResult& r) {
  int hit = -1;
  const Pose end = drive(ix, p, a, r.segments, hit);
  EXPECT_EQ(hit, -1) << "segment " << hit << " collides";
  const double th = reduceheading(a.thDeg) * (std::numbers::pi / 180) +
                    reduceheading(b.thDeg - a.thDeg) * DEG2RAD;
  EXPECT_NEAR(end.x, b.x, kClose);
  EXPECT_NEAR(end.y, b.y, kClose);
  EXPECT_NEAR(std::remainder(end.th - th, 2 * std::numbers::pi), 0.0, kClose);
  double len = 0, cost = 0;
  int cusps = 0;
  for (std::size_t i = 0; i < r.segments.size(); ++i) {
    const SearchSegment& g = r.segments[i];
    EXPECT_TRUE(g.k == -1 || g.k == 0 || g.k == 1);  // arcs of Ra alone: never tighter
    EXPECT_TRUE(g.drive == 1 || (g.drive == -1 && p.reverse == 1));
    EXPECT_GT(g.len, 0.0);
    len += g.len;
    cost += g.drive > 0 ? g.len : p.reverseCost * g.len;
    if (i > 0 && g.drive != r.segments[i - 1].drive) ++cusps, cost += p.cuspCost;
  }
  EXPECT_NEAR(r.length, len, 1e-9 * (1 + len));
  EXPECT_NEAR(r.cost, cost, 1e-9 * (1 + cost));
  EXPECT_EQ(r.cusps, cusps);
  expectposes(p, a, r.segments, end);
}

}  // namespace

TEST(Search, RandomClutteredMapsGiveFreeExactPaths) {
  std::mt19937 g(7);
  int found = 0, refused = 0, collide = 0;
  SearchWork work;
  SearchResult r;
  for (int map = 0; map < 20; ++map) {
    const Map m = agvtest::clutter(240, 200, 0.05, 12, 0.3, 1.5, 100 + map);
    Params p;
    p.reverse = map % 2;
    p.cuspCost = map % 4 == 1 ? 1.0 : 0.0;
    p.reverseCost = map % 4 == 3 ? 2.0 : 1.0;
    p.maxExpansions = 20000;
    const MapIndex ix = index(m, p);
    // Poses at random, most of them free (every fifth may collide).
    const auto pick = [&](int i) {
      Waypoint w;
      for (int tries = 0; tries < 1000; ++tries) {
        w = {m.widthMetres() * agvtest::uniform(g), m.heightMetres() * agvtest::uniform(g),
             360 * agvtest::uniform(g) - 180};
        if (i % 5 == 0 || !collides(ix, w.x, w.y, w.thDeg * (std::numbers::pi / 180))) break;
      }
      return w;
    };
    for (int pose = 0; pose < 15; ++pose) {
      const Waypoint a = pick(pose), b = pick(pose + 1);
      const SearchStatus s = planInMap(p, ix, a, b, work, r);
      const bool ca = static_cast<bool>(collides(ix, a.x, a.y, a.thDeg * (std::numbers::pi / 180)));
      EXPECT_EQ(s == SearchStatus::StartCollides, ca);
      if (s == SearchStatus::Found) {
        ++found;
        expectpath(ix, p, a, b, r);
      } else if (s == SearchStatus::StartCollides || s == SearchStatus::GoalCollides) {
        ++collide;
        EXPECT_TRUE(r.contact);
      } else {
        ++refused;
        EXPECT_TRUE(s == SearchStatus::Unreachable || s == SearchStatus::ExpansionBound)
            << searchreason(r, p);
      }
    }
  }
  std::printf("found %d, refused %d, colliding poses %d\n", found, refused, collide);
  EXPECT_GT(found, 50);
}

namespace {

// Hand-made maps: a hall 10 m x 8 m with a row of racks along its top and a bay 1.4 m wide cut
// into them; a corridor 8 m x 2.2 m, too narrow to turn round in forward; such a corridor
// from a hall with a pillar; a hall with a ring of wall round a goal.
Map bayhall() {
  Map m = agvtest::hall(200, 160, 0.05);
  agvtest::fill(m, 0, 5, 4.6, 8);
  agvtest::fill(m, 6.0, 5, 10, 8);
  agvtest::fill(m, 4.6, 7.5, 6.0, 8);
  return m;
}
Map corridor() { return agvtest::hall(160, 44, 0.05); }
Map deadend() {
  Map m = agvtest::hall(200, 160, 0.05);
  agvtest::fill(m, 4, 0, 10, 2.9);
  agvtest::fill(m, 4, 5.1, 10, 8);
  agvtest::fill(m, 1.5, 3.5, 2.5, 4.5);
  return m;
}
Map ring() {
  Map m = agvtest::hall(200, 160, 0.05);
  agvtest::fill(m, 5.5, 2.5, 8.5, 2.6);
  agvtest::fill(m, 5.5, 5.4, 8.5, 5.5);
  agvtest::fill(m, 5.5, 2.5, 5.6, 5.5);
  agvtest::fill(m, 8.4, 2.5, 8.5, 5.5);
  return m;
}

}  // namespace

// Each map with and without backing up: what the search comes to, and the least cusps of a
// path it finds (a bay entered backward, a K-turn in the dead end).
TEST(Search, HandMadeMapsNeedBackingUp) {
  const struct {
    const char* name;
    Map (*map)();
    Waypoint a, b;
    int reverse;
    SearchStatus want;
    int cusps, last;  // the least cusps, and the last segment's driving direction (0: either)
  } cases[] = {
      {"bay, backing in", bayhall, {2, 2, 0}, {5.3, 6.2, -90}, 1, SearchStatus::Found, 0, -1},
      {"bay, forward only", bayhall, {2, 2, 0}, {5.3, 6.2, -90}, 0, SearchStatus::ExpansionBound, 0,
       0},
      {"bay, forward in", bayhall, {2, 2, 0}, {5.3, 6.2, 90}, 0, SearchStatus::Found, 0, 1},
      {"dead end, K-turn", corridor, {6, 1.1, 0}, {2, 1.1, 180}, 1, SearchStatus::Found, 2, 0},
      {"dead end into a hall", deadend, {8, 4, 0}, {2, 6.5, 0}, 1, SearchStatus::Found, 0, 0},
      {"dead end, forward only", corridor, {6, 1.1, 0}, {2, 1.1, 180}, 0,
       SearchStatus::Unreachable, 0, 0},
      {"enclosed goal", ring, {2, 2, 0}, {7, 4, 30}, 1, SearchStatus::Unreachable, 0, 0},
      {"enclosed start", ring, {7, 4, 30}, {2, 2, 0}, 0, SearchStatus::Unreachable, 0, 0},
  };
  SearchWork work;
  SearchResult r;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Params p;
    p.reverse = c.reverse;
    p.maxExpansions = 50000;
    const Map m = c.map();
    const MapIndex ix = index(m, p);
    EXPECT_EQ(planInMap(p, ix, c.a, c.b, work, r), c.want) << searchreason(r, p);
    if (c.want == SearchStatus::Found) {
      expectpath(ix, p, c.a, c.b, r);
      EXPECT_GE(r.cusps, c.cusps);
      if (c.last != 0) {
        EXPECT_EQ(r.segments.back().drive, c.last);
      }
    }
    // The grid distance refuses an enclosed goal before a single expansion.
    if (c.want == SearchStatus::Unreachable && c.map == ring) {
      EXPECT_EQ(r.stage, 0);
      EXPECT_EQ(r.expansions, 0);
    }
  }
}

namespace {

// A stop callback that says stop from its n-th question on, counting them.
struct Stopper {
  long asked = 0;
  long at = 1;
  static bool ask(void* d) {
    Stopper& s = *static_cast<Stopper*>(d);
    return ++s.asked >= s.at;
  }
};

}  // namespace

// What the search says for bad input, its bounds and its caller's stop, with the numbers of
// each refusal; nothing of a refused search is left in the result.
TEST(Search, RefusalsAreStatusesWithTheirNumbers) {
  const Map m = bayhall();
  const Waypoint a{2, 2, 0}, b{5.3, 6.2, -90};
  const double nan = std::nan("");
  Params base;
  base.reverse = 1;
  const MapIndex ix = index(m, base);
  Params widebody = base;
  widebody.bodyWidth = 0.8;
  const struct {
    const char* name;
    Params p;
    Waypoint a, b;
    long stopAt;
    SearchStatus want;
  } cases[] = {
      {"found", base, a, b, 0, SearchStatus::Found},
      {"start on a rack", base, {1, 6, 0}, b, 0, SearchStatus::StartCollides},
      {"goal off the map", base, a, {9.9, 1, 0}, 0, SearchStatus::GoalCollides},
      {"pose not finite", base, {nan, 2, 0}, b, 0, SearchStatus::BadPose},
      {"heading not finite", base, a, {5.3, 6.2, nan}, 0, SearchStatus::BadPose},
      {"index of another body", widebody, a, b, 0, SearchStatus::BadIndex},
      {"expansion bound", [&] { Params p = base; p.maxExpansions = 10; return p; }(), a, b, 0,
       SearchStatus::ExpansionBound},
      {"memory bound", [&] { Params p = base; p.maxMemory = 1; p.reverse = 0; return p; }(),
       a, b, 0, SearchStatus::MemoryBound},
      {"moves longer than the hall", [&] { Params p = base; p.searchStep = 1000; p.reverse = 0; return p; }(), a,
       b, 0, SearchStatus::Unreachable},
      {"bins out of range", [&] { Params p = base; p.headingBins = 3; return p; }(), a, b, 0,
       SearchStatus::BadParams},
      {"stopped at once", [&] { Params p = base; p.reverse = 0; return p; }(), a, b, 1,
       SearchStatus::Interrupted},
      {"stopped later", [&] { Params p = base; p.reverse = 0; return p; }(), a, b, 3,
       SearchStatus::Interrupted},
  };
  SearchWork work;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SearchResult r;
    planInMap(base, ix, a, b, work, r);  // a path in the result, to be cleared
    Stopper stop;
    stop.at = c.stopAt;
    const SearchStatus s = c.stopAt > 0 ? planInMap(c.p, ix, c.a, c.b, work, r, Stopper::ask, &stop)
                                        : planInMap(c.p, ix, c.a, c.b, work, r);
    EXPECT_EQ(s, c.want) << searchreason(r, c.p);
    EXPECT_EQ(r.status, s);
    EXPECT_EQ(searchreason(r, c.p).empty(), s == SearchStatus::Found);
    if (s == SearchStatus::Found) continue;
    EXPECT_TRUE(r.segments.empty());
    EXPECT_EQ(static_cast<bool>(r.contact),
              s == SearchStatus::StartCollides || s == SearchStatus::GoalCollides);
    if (s == SearchStatus::ExpansionBound) {
      EXPECT_EQ(r.count, c.p.maxExpansions);
      EXPECT_EQ(r.expansions, c.p.maxExpansions);
    }
    if (s == SearchStatus::MemoryBound) {
      EXPECT_GT(r.value, r.limit);
      EXPECT_EQ(r.limit, c.p.maxMemory);
    }
    if (s == SearchStatus::Interrupted) {
      EXPECT_EQ(stop.asked, c.stopAt);
    }
  }
}

// The same search gives the same path with new work buffers and with the buffers of another,
// larger search.
TEST(Search, ResultsDoNotDependOnTheBuffers) {
  const Map m = agvtest::racks(500, 300, 0.05, 3.2, 3.2, 1.2, 3);
  Params p;
  p.reverse = 1;
  const MapIndex ix = index(m, p);
  const Waypoint a{2, 3.8, 0}, b{21, 12.5, 180};
  SearchWork fresh, used;
  SearchResult r1, r2, r3;
  ASSERT_EQ(planInMap(p, ix, b, a, used, r2), SearchStatus::Found) << searchreason(r2, p);
  ASSERT_EQ(planInMap(p, ix, a, b, fresh, r1), SearchStatus::Found) << searchreason(r1, p);
  ASSERT_EQ(planInMap(p, ix, a, b, used, r3), SearchStatus::Found);
  expectpath(ix, p, a, b, r1);
  ASSERT_EQ(r1.segments.size(), r3.segments.size());
  for (std::size_t i = 0; i < r1.segments.size(); ++i) {
    EXPECT_EQ(r1.segments[i].k, r3.segments[i].k);
    EXPECT_EQ(r1.segments[i].drive, r3.segments[i].drive);
    EXPECT_EQ(r1.segments[i].len, r3.segments[i].len);
  }
  EXPECT_EQ(r1.expansions, r3.expansions);
  EXPECT_GE(r2.expansions, r1.expansions);
}

// A plan alone, its segments given as a search's, has the same poses through both samplers:
// forward and backing up, joins of every kind, headings round the circle; a bad spacing, a
// segment out of its ranges and a start that is not finite are refused as for a plan.
TEST(Search, PosesAlongSegmentsAreThoseOfAPlanAlone) {
  const struct {
    Waypoint a, b;
    int reverse;
  } cases[] = {
      {{0, 0, 0}, {4, -3, -45}, 0},   {{1, 2, 170}, {-3, 5, -100}, 0}, {{0, 0, 0}, {0, 1, 0}, 1},
      {{-2, 3, 90}, {2, 3, 90}, 1},   {{5, 5, -179}, {5.5, 4, 180}, 1}, {{0, 0, 30}, {6, 0, 30}, 0},
  };
  for (const auto& c : cases) {
    Params p;
    p.reverse = c.reverse;
    const PlanWord w = planOnly(p, c.a, c.b);
    ASSERT_EQ(w.status, Status::Done);
    std::vector<SearchSegment> segs;
    for (int j = 0; j < w.n; ++j) segs.push_back({w.sgnK[j], w.drive[j], w.s[j]});
    std::vector<PlanPose> want, got;
    ASSERT_EQ(samplePlan(w, c.a, kSpacing, want), Status::Done);
    ASSERT_EQ(samplePath(segs, p, c.a, kSpacing, got), Status::Done);
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_NEAR(got[i].x, want[i].x, kClose);
      EXPECT_NEAR(got[i].y, want[i].y, kClose);
      EXPECT_NEAR(got[i].th, want[i].th, kClose);
      EXPECT_EQ(got[i].drive, want[i].drive);
      EXPECT_NEAR(got[i].s, want[i].s, kClose);
    }
    std::vector<SearchSegment> bad = segs;
    bad.back().k = 2;
    const double nan = std::nan("");
    EXPECT_EQ(samplePath(segs, p, c.a, 0.0, got), Status::BadSpacing);
    EXPECT_EQ(samplePath(segs, p, c.a, 1e-9, got), Status::BadSpacing);
    EXPECT_EQ(samplePath(bad, p, c.a, kSpacing, got), Status::NotPlanned);
    EXPECT_EQ(samplePath(segs, p, {nan, 0, 0}, kSpacing, got), Status::BadPose);
    EXPECT_TRUE(got.empty());
  }
}
