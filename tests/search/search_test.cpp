// The search in a map: every path it finds, on random cluttered maps, starts and ends on its
// poses, turns no tighter than Ra and is free by the map's check; hand-made maps that need
// backing up; refusals with their numbers.
#include <gtest/gtest.h>

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
