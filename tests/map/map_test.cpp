// Collisions of the body with a map: a table of poses against hand-made maps (touching cells and
// the map's edges at every 15 degrees), mirrored maps, a turned map, the index's shortcut
// against the exact test and the exact test against a separating-axis test of every cell.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "agv/map.h"
#include "map/collide.h"

using namespace agv;

namespace {

// A map from rows of text, the top row first: '#' occupied, '?' unknown, anything else free.
Map art(const std::vector<std::string>& rows, double res, double x = 0, double y = 0,
        double yaw = 0) {
  Map m;
  m.width = static_cast<int>(rows[0].size());
  m.height = static_cast<int>(rows.size());
  m.resolution = res;
  m.x = x;
  m.y = y;
  m.yaw = yaw;
  for (const std::string& r : rows)
    for (char c : r) m.cells.push_back(c == '#' ? Cell::Occupied : c == '?' ? Cell::Unknown : Cell::Free);
  return m;
}

// 6 m x 4 m at 0.5 m: an occupied cell x 3 ... 3.5, y 2 ... 2.5; an unknown one x 0.5 ... 1,
// y 3.5 ... 4.
const Map kRoom = art({".?..........",
                       "............",
                       "............",
                       "......#.....",
                       "............",
                       "............",
                       "............",
                       "............"},
                      0.5);

// A body 1 m ahead of the reference point, none behind, 1 m wide.
Params square(double clearance = 0, int unknownFree = 0) {
  Params p;
  p.bodyFront = 1;
  p.bodyRear = 0;
  p.clearance = clearance;
  p.unknownFree = unknownFree;
  return p;
}

MapIndex index(const Map& m, const Params& p) {
  MapIndex ix;
  EXPECT_TRUE(buildindex(m, p, ix)) << checkmap(m) << checkparams(p);
  return ix;
}

double rad(double deg) { return deg * M_PI / 180; }

TEST(Collide, ATableOfPoses) {
  struct Case {
    double x, y, th, clearance;
    int unknownFree;
    Touch touch;
    int col, row;
  };
  const Touch N = Touch::None, O = Touch::Occupied, X = Touch::Outside;
  const Case cases[] = {
      {1, 1, 0, 0, 0, N, -1, -1},                // open floor
      {2, 1.75, 0, 0, 0, N, -1, -1},             // the front edge on the cell's left edge
      {2.000001, 1.75, 0, 0, 0, O, 6, 3},        // ... a micrometre into it
      {3.25, 1, 90, 0, 0, N, -1, -1},            // the front edge on the cell's lower edge
      {3.25, 1.000001, 90, 0, 0, O, 6, 3},
      {4.5, 2.25, 180, 0, 0, N, -1, -1},         // facing back, on the cell's right edge
      {4.499999, 2.25, 180, 0, 0, O, 6, 3},
      {2, 1.5, 0, 0, 0, N, -1, -1},              // corner on corner
      {3.1, 2.2, 45, 0, 0, O, 6, 3},             // on the cell
      {1.9, 1.75, 0, 0.05, 0, N, -1, -1},        // the clearance short of the cell
      {1.9, 1.75, 0, 0.15, 0, O, 6, 3},          // ... and into it
      {0, 1, 0, 0, 0, N, -1, -1},                // the rear edge on the map's left edge
      {-0.000001, 1, 0, 0, 0, X, -1, -1},
      {5, 1, 0, 0, 0, N, -1, -1},                // the front edge on the map's right edge
      {5.000001, 1, 0, 0, 0, X, -1, -1},
      {1, 0.5, 0, 0, 0, N, -1, -1},              // on the lower edge
      {1, 0.499999, 0, 0, 0, X, -1, -1},
      {1, 3.5, 0, 0, 0, N, -1, -1},              // on the upper edge, beside the unknown cell
      {0.9, 3.5, 0, 0, 0, O, 1, 0},              // into the unknown cell
      {0.9, 3.5, 0, 0, 1, N, -1, -1},            // ... free with unknownFree
      {100, 100, 0, 0, 0, X, -1, -1},            // far away
      {NAN, 1, 0, 0, 0, X, -1, -1},
      {1, 1, INFINITY, 0, 0, X, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << " " << c.y << " " << c.th << " clearance "
                                    << c.clearance << " unknownFree " << c.unknownFree);
    const MapIndex ix = index(kRoom, square(c.clearance, c.unknownFree));
    const Contact k = collides(ix, c.x, c.y, rad(c.th));
    EXPECT_EQ(k.touch, c.touch);
    EXPECT_EQ(k.col, c.col);
    EXPECT_EQ(k.row, c.row);
    EXPECT_EQ(exactcontact(ix, c.x, c.y, rad(c.th)).touch, c.touch);
  }
}

// At every 15 degrees, the body's outermost corner (or edge) on the cell's left edge touches it,
// a micrometre short is free, a micrometre in collides; and so at the map's left edge.
TEST(Collide, TouchingAtEvery15Degrees) {
  const Params p = square();
  const MapIndex ix = index(kRoom, p);
  for (int deg = 0; deg < 360; deg += 15) {
    SCOPED_TRACE(deg);
    const double c = std::cos(rad(deg)), s = std::sin(rad(deg));
    const double local[4][2] = {{p.bodyFront, 0.5}, {p.bodyFront, -0.5}, {0, -0.5}, {0, 0.5}};
    // The corners farthest right and farthest left, and the middle of those (an edge when two).
    auto reach = [&](int sign, double& far, double& mid) {
      far = -HUGE_VAL;
      for (const auto& q : local) far = std::max(far, sign * (c * q[0] - s * q[1]));
      double sum = 0;
      int n = 0;
      for (const auto& q : local)
        if (sign * (c * q[0] - s * q[1]) > far - 1e-12) {
          sum += s * q[0] + c * q[1];
          ++n;
        }
      mid = sum / n;
    };
    double right = 0, rmid = 0, left = 0, lmid = 0;
    reach(1, right, rmid);
    reach(-1, left, lmid);
    for (const auto& [gap, want] : {std::pair{1e-6, Touch::None}, {0.0, Touch::None},
                                    {-1e-6, Touch::Occupied}}) {
      EXPECT_EQ(collides(ix, 3 - right - gap, 2.25 - rmid, rad(deg)).touch, want) << gap;
      EXPECT_EQ(collides(ix, left + gap, 1.75 - lmid, rad(deg)).touch,
                want == Touch::Occupied ? Touch::Outside : want)
          << gap;
    }
  }
}

// A cluttered map: racks of random sizes, a few unknown patches.
Map cluttered(int w, int h, double res, unsigned seed) {
  Map m;
  m.width = w;
  m.height = h;
  m.resolution = res;
  m.cells.assign(static_cast<size_t>(w) * h, Cell::Free);
  std::mt19937 rng(seed);
  for (int k = 0; k < w * h / 150; ++k) {
    const int c0 = static_cast<int>(rng() % w), r0 = static_cast<int>(rng() % h);
    const int cw = 1 + static_cast<int>(rng() % 8), rh = 1 + static_cast<int>(rng() % 3);
    const Cell v = k % 7 == 0 ? Cell::Unknown : Cell::Occupied;
    for (int r = r0; r < std::min(h, r0 + rh); ++r)
      for (int c = c0; c < std::min(w, c0 + cw); ++c) m.cells[static_cast<size_t>(r) * w + c] = v;
  }
  return m;
}

TEST(Collide, MirroredMapsGiveMirroredAnswers) {
  const Map m = cluttered(60, 40, 0.1, 3);
  Map ud = m, lr = m;  // rows upside down; columns left to right
  for (int r = 0; r < m.height; ++r)
    for (int c = 0; c < m.width; ++c) {
      ud.cells[static_cast<size_t>(m.height - 1 - r) * m.width + c] = m.at(c, r);
      lr.cells[static_cast<size_t>(r) * m.width + m.width - 1 - c] = m.at(c, r);
    }
  const MapIndex a = index(m, Params{}), b = index(ud, Params{}), d = index(lr, Params{});
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> x(-0.5, 6.5), y(-0.5, 4.5), th(-M_PI, M_PI);
  int hits = 0;
  for (int i = 0; i < 20000; ++i) {
    const double px = x(rng), py = y(rng), pt = th(rng);
    const Contact k = collides(a, px, py, pt);
    const Contact kb = collides(b, px, 4 - py, -pt), kd = collides(d, 6 - px, py, M_PI - pt);
    ASSERT_EQ(kb.touch, k.touch) << px << " " << py << " " << pt;
    ASSERT_EQ(kd.touch, k.touch) << px << " " << py << " " << pt;
    hits += k.touch == Touch::Occupied;
  }
  EXPECT_GT(hits, 2000);
}

TEST(Collide, ATurnedMapIsTheMapSeenFromItsOrigin) {
  const Map m = cluttered(60, 40, 0.1, 4);
  Map turned = m;
  turned.x = 2.5;
  turned.y = -1.25;
  turned.yaw = rad(30);
  const MapIndex a = index(m, Params{}), b = index(turned, Params{});
  std::mt19937 rng(6);
  std::uniform_real_distribution<double> x(-0.5, 6.5), y(-0.5, 4.5), th(-M_PI, M_PI);
  for (int i = 0; i < 20000; ++i) {
    const double px = x(rng), py = y(rng), pt = th(rng);
    const double c = std::cos(turned.yaw), s = std::sin(turned.yaw);
    ASSERT_EQ(collides(b, turned.x + c * px - s * py, turned.y + s * px + c * py, pt + turned.yaw)
                  .touch,
              collides(a, px, py, pt).touch)
        << px << " " << py << " " << pt;
  }
}

// The separating-axis test of the body (shrunk by kTouch) against every cell, the ring of
// cells round the map among them: the cells whose interiors the body enters (-1 outside).
std::set<std::pair<int, int>> entered(const Map& m, const Params& p, double x, double y, double th) {
  const double a = (p.bodyFront + p.bodyRear) / 2 + p.clearance - kTouch;
  const double b = p.bodyWidth / 2 + p.clearance - kTouch;
  const double off = (p.bodyFront - p.bodyRear) / 2;
  const double c = std::cos(th), s = std::sin(th), cx = x + off * c, cy = y + off * s;
  std::set<std::pair<int, int>> cells;
  const double axes[4][2] = {{1, 0}, {0, 1}, {c, s}, {-s, c}};
  const double reach = std::hypot(a, b) / m.resolution + 1;  // the cells near enough to enter
  const int c0 = std::max(-1, static_cast<int>(cx / m.resolution - reach));
  const int c1 = std::min(m.width, static_cast<int>(cx / m.resolution + reach));
  const int r0 = std::max(-1, static_cast<int>(cy / m.resolution - reach));
  const int r1 = std::min(m.height, static_cast<int>(cy / m.resolution + reach));
  for (int r = r0; r <= r1; ++r)
    for (int col = c0; col <= c1; ++col) {
      const int row = m.height - 1 - r;
      const bool ring = r < 0 || r >= m.height || col < 0 || col >= m.width;
      if (!ring && m.at(col, row) == Cell::Free) continue;
      bool apart = false;
      for (const auto& ax : axes) {
        // The body's span along the axis, and the cell's.
        const double bc = ax[0] * cx + ax[1] * cy;
        const double br = a * std::abs(ax[0] * c + ax[1] * s) + b * std::abs(-ax[0] * s + ax[1] * c);
        double lo = HUGE_VAL, hi = -HUGE_VAL;
        for (int k = 0; k < 4; ++k) {
          const double v = ax[0] * (col + k % 2) * m.resolution + ax[1] * (r + k / 2) * m.resolution;
          lo = std::min(lo, v);
          hi = std::max(hi, v);
        }
        apart = apart || !(bc + br > lo && hi > bc - br);
      }
      if (!apart) cells.insert(ring ? std::pair{-1, -1} : std::pair{col, row});
    }
  return cells;
}

TEST(Collide, TheShortcutAndTheExactTestAgreeWithEveryCell) {
  const Map m = cluttered(120, 80, 0.1, 7);
  std::mt19937 rng(8);
  std::uniform_real_distribution<double> x(-0.2, 12.2), y(-0.2, 8.2), th(-M_PI, M_PI),
      size(0.05, 1.5);
  int counts[3] = {};
  Params p;
  MapIndex ix;
  for (int i = 0; i < 100000; ++i) {
    if (i % 100 == 0) {  // the default body and others, a hundred poses each
      p = Params{};
      if (i % 200 != 0) {
        p.bodyFront = size(rng);
        p.bodyRear = size(rng) / 2;
        p.bodyWidth = size(rng);
        p.clearance = size(rng) / 10;
      }
      ix = index(m, p);
    }
    const double px = x(rng), py = y(rng), pt = th(rng);
    const Contact k = collides(ix, px, py, pt), e = exactcontact(ix, px, py, pt);
    ASSERT_EQ(k.touch, e.touch) << px << " " << py << " " << pt;
    ++counts[static_cast<int>(k.touch)];
    if (i % 3 != 0) continue;  // the separating-axis test is slow: every third pose
    const auto cells = entered(m, p, px, py, pt);
    // Outside first, then a cell the body enters.
    const bool out = cells.count({-1, -1}) == 1;
    EXPECT_EQ(k.touch == Touch::None       ? cells.empty()
              : k.touch == Touch::Outside ? out
                                          : !out && cells.count({k.col, k.row}) == 1,
              true)
        << px << " " << py << " " << pt;
  }
  for (int n : counts) EXPECT_GT(n, 10000) << counts[0] << " " << counts[1] << " " << counts[2];
}

TEST(Collide, TheIndexHoldsEveryCellsDistanceToTheNearestBlockedOne) {
  const Map m = cluttered(23, 17, 0.5, 9);
  const MapIndex ix = index(m, Params{});
  for (int r = -1; r <= m.height; ++r)
    for (int c = -1; c <= m.width; ++c) {
      double best = HUGE_VAL;
      for (int q = -1; q <= m.height; ++q)
        for (int k = -1; k <= m.width; ++k)
          if (q < 0 || q >= m.height || k < 0 || k >= m.width ||
              m.at(k, m.height - 1 - q) != Cell::Free)
            best = std::min(best, std::hypot(c - k, r - q));
      EXPECT_EQ(static_cast<double>(ix.dist[static_cast<size_t>(r + 1) * (m.width + 2) + c + 1]),
                std::floor(best))
          << c << " " << r;
    }
}

// Along a line into the cell of kRoom: runs, samples and segments meet it at the same place.
TEST(Collide, FirstContactAlongRunsAndPaths) {
  const MapIndex ix = index(kRoom, square());
  std::vector<Record> run;
  for (int i = 0; i <= 300; ++i) run.push_back(Record{i * 0.01, i / 100.0, 0, (50 + i) / 100.0, 1.75});
  const Contact k = firstcontact(ix, run);
  EXPECT_EQ(k.index, 151);  // x = 2 touches, 2.01 enters
  EXPECT_EQ(k.t, run[151].t);
  EXPECT_EQ(k.x, run[151].x);
  EXPECT_EQ(k.col, 6);
  EXPECT_FALSE(firstcontact(ix, std::span(run).first(151)));
  struct Seg {
    Pose a;
    double kap, len;
    int drive;
    long index;
    double s;
  };
  const Seg segs[] = {
      {{0.5, 1.75, 0, 0}, 0, 3, 1, 7, 1.75},    // forward: x = 2.25 enters
      {{4.5, 2.25, 0, 1}, 0, 2, -1, 5, 2.25},   // backing up: the rear edge enters at x = 3.25
      {{1, 1, 0, 0}, 0.5, 1, 1, -1, 0},         // a gentle arc, free
      {{1, 1, 0, 0}, 0.1, NAN, 1, 0, 0},        // not finite
  };
  for (const Seg& g : segs) {
    SCOPED_TRACE(g.len);
    const Contact c = segmentcontact(ix, g.a, g.kap, g.len, g.drive);
    EXPECT_EQ(c.index, g.index);
    EXPECT_EQ(c.s, g.s);
    std::vector<Pose> samples;
    samplesegment(g.a, g.kap, g.len, g.drive, samplespacing(ix), samples);
    const Contact d = firstcontact(ix, samples);
    if (!samples.empty()) {
      EXPECT_EQ(std::make_pair(d.index, d.x), std::make_pair(c.index, c.x));
    }
  }
}

TEST(Collide, SamplesOfAnArcAreEvenAndEndWhereTheArcEnds) {
  std::vector<Pose> out;
  samplesegment(Pose{1, 2, 0.5, 3}, -0.5, 4 * M_PI, -1, 0.1, out);  // backing round a circle
  ASSERT_EQ(out.size(), 127u);
  EXPECT_NEAR(out.back().x, 1, 1e-12);
  EXPECT_NEAR(out.back().y, 2, 1e-12);
  EXPECT_NEAR(out.back().th, 0.5 + 2 * M_PI, 1e-12);
  EXPECT_DOUBLE_EQ(out.back().s, 3 + 4 * M_PI);
  for (size_t i = 1; i < out.size(); ++i)
    EXPECT_LE(std::hypot(out[i].x - out[i - 1].x, out[i].y - out[i - 1].y), 0.1);
}

TEST(Collide, AMapBuiltByHandIsChecked) {
  struct Case {
    void (*spoil)(Map&);
    const char* says;
  };
  const Case cases[] = {
      {[](Map&) {}, ""},
      {[](Map& m) { m.width = 0; }, "the map's width must be from 1 to 16384 cells, not 0"},
      {[](Map& m) { m.height = 16385; }, "the map's height must be from 1 to 16384 cells, not 16385"},
      {[](Map& m) { m.cells.pop_back(); }, "the map holds 95 cells, not 12 x 8 = 96"},
      {[](Map& m) { m.cells[13] = static_cast<Cell>(3); },
       "cell 13 of the map (column 1, row 1) is 3, not 0 free, 1 occupied or 2 unknown"},
      {[](Map& m) { m.resolution = 0; }, "the map's resolution must be from 1e-06 to 1e+06 m, not 0"},
      {[](Map& m) { m.resolution = NAN; },
       "the map's resolution must be from 1e-06 to 1e+06 m, not nan"},
      {[](Map& m) { m.yaw = INFINITY; }, "the map's origin must be finite, not (0, 0, inf)"},
  };
  for (const Case& c : cases) {
    Map m = kRoom;
    c.spoil(m);
    EXPECT_EQ(checkmap(m), c.says);
    MapIndex ix;
    EXPECT_EQ(buildindex(m, Params{}, ix), *c.says == '\0');
  }
  Params p;
  p.bodyWidth = 0;
  MapIndex ix;
  EXPECT_FALSE(buildindex(kRoom, p, ix));
}

}  // namespace
