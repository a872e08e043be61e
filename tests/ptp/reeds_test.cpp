// Paths driven forward and backward (reedsshepp), checked by their invariants over random pairs
// of poses and against OMPL's Reeds-Shepp and Dubins lengths; the plan-only forward query
// (planjoin) against the join calPTP adopts.
#include <cstring>
#include <functional>
#include <iostream>
#include <random>

#include "peer.h"

namespace ptptest {

using agv::Pose;
using agv::Word;

// The end-pose tolerance [m, rad] and the tolerance of equal lengths [m].
constexpr double kReach = 1e-9;
constexpr double kSame = 1e-9;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The sanitizer build runs a fifth of the random pairs.
#ifdef __SANITIZE_ADDRESS__
constexpr int kShare = 5;
#else
constexpr int kShare = 1;
#endif

Word rs(const Pose& a, const Pose& b, double r, double rc = 1, double cc = 0) {
  Word w;
  agv::reedsshepp(a, b, r, rc, cc, w);
  return w;
}

// A word's forward and backward lengths and its changes of direction.
struct Parts {
  double fwd = 0, back = 0;
  int cusps = 0;
};
Parts parts(const Word& w) {
  Parts p;
  for (int i = 0; i < w.n; ++i) {
    (w.seg[i].dir > 0 ? p.fwd : p.back) += w.seg[i].len;
    if (i > 0 && w.seg[i].dir != w.seg[i - 1].dir) ++p.cusps;
  }
  return p;
}

// A well-formed word of a real path: every segment of length, kinds and directions in range,
// and the sum of its lengths.
bool wellformed(const Word& w) {
  double sum = 0;
  for (int i = 0; i < w.n; ++i) {
    const agv::Segment& g = w.seg[i];
    if (!(g.len > 0) || g.k < -1 || g.k > 1 || (g.dir != 1 && g.dir != -1)) return false;
    sum += g.len;
  }
  return w.n >= 0 && w.n <= agv::kSegMax && std::fabs(sum - w.length) <= kSame;
}

// Random poses: x, y in [-10, 10] m, headings in (-pi, pi].
struct Poses {
  std::mt19937_64 rng;
  std::uniform_real_distribution<double> xy{-10, 10}, th{-PI, PI};
  explicit Poses(unsigned seed) : rng(seed) {}
  Pose next() { return {xy(rng), xy(rng), -th(rng), 0}; }
};

// Over random pairs at several radii: every word drives from A to B; it is never longer than the
// forward join (three arcs allowed), nor than OMPL's Reeds-Shepp path, and no forward join is
// longer than OMPL's Dubins path; the length is the same from B to A, for the mirror images and
// after a rigid motion of both poses; it obeys the triangle inequality.
TEST(ReedsShepp, InvariantsOverRandomPairs) {
  const struct {
    double r;
    int pairs;
  } radii[] = {{1, 100000}, {0.25, 10000}, {2.5, 10000}, {10, 10000}};
  Poses gen(20261208);
  std::uniform_real_distribution<double> turn(-PI, PI), shift(-50, 50);
  int checked = 0, rsDiffer = 0, dubinsDiffer = 0;
  double rsMost = 0, dubinsMost = 0;
  for (const auto& [r, all] : radii) {
    Ompl ompl(r);
    Pose a = gen.next(), b = gen.next();
    for (int i = 0; i < all / kShare; ++i, ++checked, a = b, b = gen.next()) {
      SCOPED_TRACE(testing::Message() << std::setprecision(17) << "r " << r << " from " << a.x << " "
                                      << a.y << " " << a.th << " to " << b.x << " " << b.y << " " << b.th);
      const Word w = rs(a, b, r);
      ASSERT_TRUE(wellformed(w));
      ASSERT_LT(miss(a, b, w, r), kReach);
      Word fw;
      double fr = 0;
      ASSERT_GE(agv::planjoin(a, b, r, true, fw, fr), 0);
      ASSERT_LE(w.length, fw.length + kSame);
      const double peer = ompl.reedsshepp(a, b), peerDubins = ompl.dubins(a, b);
      ASSERT_LE(w.length, peer + kSame);
      ASSERT_LE(fw.length, peerDubins + kSame);
      rsDiffer += std::fabs(w.length - peer) > kSame;
      dubinsDiffer += std::fabs(fw.length - peerDubins) > kSame;
      rsMost = std::fmax(rsMost, std::fabs(w.length - peer));
      dubinsMost = std::fmax(dubinsMost, std::fabs(fw.length - peerDubins));

      ASSERT_NEAR(rs(b, a, r).length, w.length, kSame);
      ASSERT_NEAR(rs({a.x, -a.y, -a.th}, {b.x, -b.y, -b.th}, r).length, w.length, kSame);
      const double psi = turn(gen.rng), tx = shift(gen.rng), ty = shift(gen.rng);
      const auto move = [&](const Pose& p) {
        return Pose{std::cos(psi) * p.x - std::sin(psi) * p.y + tx, std::sin(psi) * p.x + std::cos(psi) * p.y + ty,
                    p.th + psi};
      };
      ASSERT_NEAR(rs(move(a), move(b), r).length, w.length, kSame);
      const Pose c = gen.next();
      ASSERT_LE(rs(a, c, r).length, w.length + rs(b, c, r).length + kSame);
    }
  }
  std::cout << checked << " pairs; OMPL's Reeds-Shepp length differs by more than " << kSame << " m in "
            << rsDiffer << " (most " << rsMost << " m), its Dubins length from the forward join in "
            << dubinsDiffer << " (most " << dubinsMost << " m)\n";
  EXPECT_GE(checked, 130000 / kShare);
}

// Poses near the edges of the words' conditions, from the start pose (0, 0, 0), radius 1: on the
// start's left circle with a heading within 1e-3 rad of its tangent, within 1e-6 of the start,
// and a lattice of 0.25 m and 15 degrees off by up to 1e-9.  Every word is exact and never
// longer than OMPL's Reeds-Shepp path.  OMPL's Dubins paths accept a tolerance: where one is
// shorter than the forward word, it misses the end pose, by more than 1e-9 or within it (where
// the shortest forward length jumps, a loop shorter: counted apart).
TEST(ReedsShepp, AgainstOmplNearTheEdges) {
  std::mt19937_64 rng(3);
  std::uniform_real_distribution<double> unit(-1, 1), th(-PI, PI), xy(-3, 3);
  const auto lattice = [](double v, double step) { return std::round(v / step) * step; };
  const std::function<Pose()> sets[] = {
      [&] {
        const double t = th(rng);
        return Pose{std::sin(t), 1 - std::cos(t), t + 1e-3 * unit(rng)};
      },
      [&] { return Pose{1e-6 * unit(rng), 1e-6 * unit(rng), 1e-6 * unit(rng)}; },
      [&] {
        return Pose{lattice(xy(rng), 0.25) + 1e-9 * unit(rng), lattice(xy(rng), 0.25) + 1e-9 * unit(rng),
                    lattice(th(rng), PI / 12) + 1e-9 * unit(rng)};
      },
  };
  Ompl ompl(1);
  const Pose a{0, 0, 0};
  int pairs = 0, shorter[2] = {}, longer[2] = {}, longerWithin = 0;
  for (const auto& next : sets)
    for (int i = 0; i < 10000 / kShare; ++i, ++pairs) {
      const Pose b = next();
      SCOPED_TRACE(testing::Message() << std::setprecision(17) << b.x << " " << b.y << " " << b.th);
      for (const bool forward : {false, true}) {
        const Word w = rs(a, b, 1, forward ? kInf : 1);
        ASSERT_LT(miss(a, b, w, 1), kReach);
        const double length = forward ? ompl.dubins(a, b) : ompl.reedsshepp(a, b);
        shorter[forward] += w.length < length - kSame;
        if (w.length <= length + kSame) continue;
        ASSERT_TRUE(forward) << "OMPL's Reeds-Shepp path " << length << ", ours " << w.length;
        const Word peer = ompl.dubinsword(a, b);
        ++(miss(a, b, peer, 1) > kReach ? longer[forward] : longerWithin);
      }
    }
  std::cout << pairs << " pairs near the edges; shorter than OMPL's Reeds-Shepp path " << shorter[0]
            << "; forward, shorter than OMPL's Dubins path " << shorter[1] << ", longer " << longer[1]
            << " where OMPL's path misses the end pose by more than " << kReach << " m and "
            << longerWithin << " where it misses by less\n";
  EXPECT_EQ(longer[0], 0);
}

// Weights: the cost is what the word's parts make it; along either weight the cost grows while
// the backward length, or the number of cusps, shrinks; a huge cusp cost leaves no cusp (a
// forward join always exists); an infinite reverse cost gives OMPL's Dubins length.
TEST(ReedsShepp, WeightedCosts) {
  constexpr double reverse[] = {1, 1.5, 4, 1e3, kInf}, cusp[] = {0, 0.5, 3, 1e9};
  constexpr int nr = std::size(reverse), nc = std::size(cusp);
  Poses gen(7);
  Ompl ompl(1);
  for (int i = 0; i < 5000 / kShare; ++i) {
    const Pose a = gen.next(), b = {a.x + 0.3 * gen.xy(gen.rng), a.y + 0.3 * gen.xy(gen.rng), gen.next().th};
    SCOPED_TRACE(testing::Message() << std::setprecision(17) << a.x << " " << a.y << " " << a.th << " to "
                                    << b.x << " " << b.y << " " << b.th);
    Word w[nr][nc];
    Parts p[nr][nc];
    for (int u = 0; u < nr; ++u)
      for (int v = 0; v < nc; ++v) {
        w[u][v] = rs(a, b, 1, reverse[u], cusp[v]);
        p[u][v] = parts(w[u][v]);
        ASSERT_TRUE(wellformed(w[u][v]));
        ASSERT_LT(miss(a, b, w[u][v], 1), kReach);
        const double cost = p[u][v].fwd + (p[u][v].back > 0 ? reverse[u] * p[u][v].back : 0) + cusp[v] * p[u][v].cusps;
        ASSERT_NEAR(w[u][v].cost, cost, kSame * (1 + cost));
        if (u > 0) {
          ASSERT_GE(w[u][v].cost, w[u - 1][v].cost - kSame);
          ASSERT_LE(p[u][v].back, p[u - 1][v].back + kSame);
        }
        if (v > 0) {
          ASSERT_GE(w[u][v].cost, w[u][v - 1].cost - kSame);
          ASSERT_LE(p[u][v].cusps, p[u][v - 1].cusps);
        }
      }
    for (int u = 0; u < nr; ++u) ASSERT_EQ(p[u][nc - 1].cusps, 0);
    for (int v = 0; v < nc; ++v) {
      ASSERT_EQ(p[nr - 1][v].back, 0);
      ASSERT_NEAR(w[nr - 1][v].length, ompl.dubins(a, b), kSame);
    }
  }
}

// Degenerate and edge cases: the length and the segment count (-1: any), or NaN for no path.
TEST(ReedsShepp, EdgeCases) {
  const double full = 2 * std::numbers::pi, hair = full - 1e-12;
  const struct {
    Pose a, b;
    double r, length;
    int n;
  } cases[] = {
      {{0, 0, 0}, {0, 0, 0}, 1, 0, 0},                          // no motion
      {{3, -2, 1}, {3, -2, 1 + full}, 2, 0, 0},                 // a whole turn is no turn
      {{1, 2, 3}, {1.01, 2.01, 3.01}, 1, -1, -1},               // a small offset
      {{0, 0, 0}, {5, 0, 0}, 1, 5, 1},                          // straight ahead
      {{0, 0, 0}, {-5, 0, 0}, 1, 5, 1},                         // straight back
      {{0, 0, 0}, {1, 1, PI / 2}, 1, std::numbers::pi / 2, 1},  // a quarter arc, exactly
      {{0, 0, 0}, {-1, 1, -std::numbers::pi / 2}, 1, std::numbers::pi / 2, 1},  // the same backwards
      {{0, 0, 0}, {0, 4, std::numbers::pi}, 2, 2 * std::numbers::pi, 1},       // a half circle
      {{0, 0, 0}, {2, 2, 0}, 1, std::numbers::pi, 2},           // two quarter arcs that touch
      {{0, 0, 0}, {4, 0, std::numbers::pi}, 1, -1, -1},         // circles 4 radii apart
      {{0, 0, 0}, {0, 0, std::numbers::pi}, 1, -1, -1},         // a turn on the spot
      {{0, 0, 0}, {0, 0, hair}, 1, -1, -1},                     // a hair under a full turn
      {{0, 0, hair}, {3, 0, -hair}, 1, -1, -1},
      {{0, 0, 0}, {1e5, -1e5, 2}, 1, -1, -1},                   // far
      {{0, 0, 0}, {1e300, 0, 0}, 1, kNaN, 0},                   // lengths that overflow
      {{kNaN, 0, 0}, {1, 1, 0}, 1, kNaN, 0},                    // not a number
      {{0, 0, 0}, {1, kInf, 0}, 1, kNaN, 0},
      {{0, 0, -kInf}, {1, 1, 0}, 1, kNaN, 0},
      {{0, 0, 0}, {1, 1, 0}, 0, kNaN, 0},                       // no radius
      {{0, 0, 0}, {1, 1, 0}, kInf, kNaN, 0},
      {{0, 0, 0}, {1, 1, 0}, kNaN, kNaN, 0},
  };
  for (const auto& e : cases) {
    SCOPED_TRACE(testing::Message() << e.a.x << " " << e.a.y << " " << e.a.th << " to " << e.b.x << " "
                                    << e.b.y << " " << e.b.th << " r " << e.r);
    const Word w = rs(e.a, e.b, e.r);
    if (std::isnan(e.length)) {
      EXPECT_TRUE(std::isnan(w.length) && std::isnan(w.cost));
      EXPECT_EQ(w.n, 0);
      continue;
    }
    EXPECT_TRUE(wellformed(w));
    EXPECT_LT(miss(e.a, e.b, w, e.r), kReach);
    if (e.length >= 0) {
      EXPECT_NEAR(w.length, e.length, kSame);
    }
    if (e.n >= 0) {
      EXPECT_EQ(w.n, e.n);
    }
  }
  // Weights that are negative or not a number give no path either.
  for (const auto& [rc, cc] : {std::pair{-1.0, 0.0}, {1.0, -1.0}, {kNaN, 0.0}, {1.0, kNaN}})
    EXPECT_TRUE(std::isnan(rs({0, 0, 0}, {1, 1, 0}, 1, rc, cc).length));
  // A hair under a full turn is a hair away from no turn; the small offset is a short path.
  EXPECT_LT(rs({0, 0, 0}, {0, 0, hair}, 1).length, 1e-3);
  EXPECT_LT(rs({1, 2, 3}, {1.01, 2.01, 3.01}, 1).length, 1);
}

// Of words of equal cost the first in the fixed order is kept, however the rounding of their
// arithmetic orders them: the half turn on the spot, at pi and a hair either side of it (and at
// 180 degrees by the simulator's constant, where the forward start is shorter), starts forward.
TEST(ReedsShepp, EqualCostsKeepTheFirstWord) {
  const double pi = std::numbers::pi;
  for (const double th : {pi, pi - 1e-13, pi + 1e-13, 180 * agv::DEG2RAD}) {
    const Word w = rs({0, 0, 0}, {0, 0, th}, 1);
    ASSERT_EQ(w.n, 3) << th;
    for (int j = 0; j < 3; ++j) EXPECT_EQ(w.seg[j].dir, j == 1 ? -1 : 1) << th;
  }
}

// The plan-only query returns calPTP's adopted row, kinds, lengths and radius bit for bit, from
// several start poses, over random end poses, the grid of the planner's tests (its ties and
// tangencies) and that grid off by up to 1e-9, with and without the three-arc joins and at two
// radii; its word drives there.
TEST(PlanJoin, EqualsTheJoinCalPTPAdopts) {
  const Pose starts[] = {{0, 0, 0}, {1, -2, 0.7}, {-3, 5, -2.9}, {100, 100, PI}};
  std::vector<Pose> ends;
  Poses gen(99);
  std::uniform_real_distribution<double> hair(-1e-9, 1e-9);
  for (int i = 0; i < 20000 / kShare; ++i) ends.push_back(gen.next());
  for (double x = -4.5; x <= 5; x += 0.5)
    for (double y = -4.5; y <= 5; y += 0.5)
      for (double th = -165; th <= 180; th += 15) {
        ends.push_back({x, y, th * agv::DEG2RAD});
        if (static_cast<int>(2 * (x + y)) % 3 == 0)
          ends.push_back({x + hair(gen.rng), y + hair(gen.rng), th * agv::DEG2RAD + hair(gen.rng)});
      }
  int compared = 0, refused = 0;
  for (const double Ra : {1.0, 2.5})
    for (const int three : {0, 1}) {
      agv::Params prm;
      prm.Ra = Ra;
      prm.threeArcs = three;
      const agv::Model m = agv::makemodel(prm, agv::Kind::PTP);
      for (const Pose& s : starts)
        for (const Pose& e : ends) {
          const Pose end{s.x + e.x, s.y + e.y, e.th};
          Pose PF = end;
          agv::ArcPath a;
          const int ok = agv::calPTP(m, s, PF, a);
          Word w;
          double r = 0;
          const int row = agv::planjoin(s, end, Ra, three != 0, w, r);
          ++compared;
          ASSERT_EQ(row >= 0, ok == 1);
          if (row < 0) {
            ++refused;
            continue;
          }
          ASSERT_EQ(row, a.krow) << end.x << " " << end.y << " " << end.th;
          ASSERT_EQ(w.n, 3);
          for (int j = 0; j < 3; ++j) {
            ASSERT_EQ(w.seg[j].k, a.sgnK[j]);
            ASSERT_EQ(w.seg[j].dir, 1);
            ASSERT_EQ(std::memcmp(&w.seg[j].len, &a.s[j], sizeof(double)), 0) << row << " " << j;
          }
          ASSERT_EQ(std::memcmp(&w.length, &a.sf, sizeof(double)), 0);
          ASSERT_EQ(r, a.Rarc);
          ASSERT_LT(miss(s, end, w, r), 1e-7);
        }
    }
  EXPECT_EQ(compared, 2 * 2 * std::ssize(starts) * std::ssize(ends));
  EXPECT_EQ(refused, 0);
  // End poses that are not numbers or not finite have no join, as calPTP refuses them.
  for (const Pose& end : {Pose{kNaN, 1, 0}, Pose{1, 1, kNaN}, Pose{kInf, 0, 0}, Pose{1, -kInf, 1}}) {
    Word w;
    double r = 0;
    EXPECT_EQ(agv::planjoin({0, 0, 0}, end, 1, true, w, r), -1);
    Pose PF = end;
    agv::ArcPath a;
    EXPECT_EQ(agv::calPTP(agv::makemodel(agv::Params{}, agv::Kind::PTP), {0, 0, 0}, PF, a), 0);
  }
}

}  // namespace ptptest
