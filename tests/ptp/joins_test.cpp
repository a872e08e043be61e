// The forward joins at their edges: equal poses, goals on the start's turning circles and goals
// within 1e-12 of the tangencies of the joins, from random starts with random radii, against the
// exact length and OMPL's Dubins length.  Every join ends on its end pose; calPTP adopts the join
// planjoin finds, bit for bit; no candidate turns a whole turn less a rounding.
#include <cstring>
#include <iostream>
#include <numbers>
#include <random>

#include "peer.h"

namespace ptptest {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kSame = 1e-9;      // lengths equal within this many radii
constexpr double kReach = 1e-8;     // a join ends this close to its end pose, per metre of Ra + length
constexpr double kReachTh = 1e-9;   // and this close to its heading [rad]
constexpr double kNudge = 1e-12;    // how far a goal lies off a tangency, in radii and radians
constexpr double kTolerance = 1e-10;  // the planner's tolerance near the origin, in radii
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kHair = 1e-13;     // an angle no rounding of these goals exceeds [rad]

#ifdef __SANITIZE_ADDRESS__
constexpr int kShare = 5;
#else
constexpr int kShare = 1;
#endif

// Random starts (x, y within 100 m, any heading), radii from 0.1 to 10 m and numbers spread over
// decades, from a fixed seed.
struct Gen {
  std::mt19937_64 rng;
  std::uniform_real_distribution<double> unit{-1, 1};
  explicit Gen(unsigned seed) : rng(seed) {}
  Pose start() { return {100 * unit(rng), 100 * unit(rng), std::numbers::pi * unit(rng), 0}; }
  double radius() { return std::pow(10.0, unit(rng)); }
  double decades(double lo, double hi) {  // lo ... hi, uniform in the logarithm
    return lo * std::pow(hi / lo, (unit(rng) + 1) / 2);
  }
  Pose nudged(const Pose& p, double r) {
    return {p.x + kNudge * r * unit(rng), p.y + kNudge * r * unit(rng), p.th + kNudge * unit(rng), 0};
  }
};

// The forward join from a to b: planjoin's, which calPTP adopts too, bit for bit, and which ends
// on b.
Word join(const Pose& a, const Pose& b, double r, bool three) {
  Word w;
  double wr = 0;
  const int row = agv::planjoin(a, b, r, three, w, wr);
  EXPECT_GE(row, 0);
  agv::Params p;
  p.Ra = r;
  p.threeArcs = three;
  agv::ArcPath path;
  Pose end = b;
  EXPECT_EQ(agv::calPTP(agv::makemodel(p, agv::Kind::PTP), a, end, path), 1);
  EXPECT_EQ(path.krow, row);
  EXPECT_EQ(std::memcmp(&path.sf, &w.length, sizeof w.length), 0);
  for (int j = 0; j < 3; ++j) EXPECT_EQ(std::memcmp(&path.s[j], &w.seg[j].len, sizeof(double)), 0);
  // No candidate turns an arc a hair short of a whole turn (rounding's loops).
  agv::Candidate c[agv::nRowsMax];
  for (int i = 0, rows = agv::candidates(a, b, r, three, c); i < rows; ++i)
    for (int j = 0; j < 3 && c[i].L < agv::lenNoSolution; ++j)
      EXPECT_FALSE(c[i].dir[j] != 0 && c[i].seg[j] > (kTwoPi - kHair) * c[i].r) << "row " << i;
  const Pose q = agv::drive(a, w, wr);
  EXPECT_LE(std::hypot(q.x - b.x, q.y - b.y), kReach * (r + w.length));
  EXPECT_LE(std::fabs(std::remainder(q.th - b.th, kTwoPi)), kReachTh);
  return w;
}

// OMPL's Dubins length from a to b, or infinity where its path misses b by more than the
// planner's tolerance (OMPL allows 1e-6 radii).
double dubins(Ompl& peer, const Pose& a, const Pose& b, double r) {
  const Pose q = agv::drive(a, peer.dubinsword(a, b), r);
  const bool within = std::hypot(q.x - b.x, q.y - b.y) <= kTolerance * r &&
                      std::fabs(std::remainder(q.th - b.th, kTwoPi)) <= kTolerance;
  return within ? peer.dubins(a, b) : kInf;
}

Word word(std::initializer_list<agv::Segment> segs) {
  Word w;
  for (const agv::Segment& g : segs) w.seg[w.n++] = g;
  return w;
}

}  // namespace

// From anywhere, with any radius, the end pose equal to the start is a join of no length.
TEST(ForwardJoins, EqualPosesHaveNoLength) {
  Gen gen(31);
  for (int i = 0; i < 2000 / kShare; ++i) {
    const Pose a = gen.start();
    const double r = gen.radius();
    SCOPED_TRACE(testing::Message() << std::setprecision(17) << a.x << " " << a.y << " " << a.th << " r " << r);
    for (const bool three : {false, true}) {
      const Word w = join(a, a, r, three);
      EXPECT_EQ(w.length, 0.0);
      for (int j = 0; j < 3; ++j) EXPECT_EQ(w.seg[j].len, 0.0);
    }
  }
}

// A goal on the start's left or right circle, an arc of 1e-12 to 2 pi - 1e-12 away, is reached by
// that arc or a shorter join (within a whole turn by no turn), never by a loop; OMPL's Dubins path
// is no shorter, but where it misses the goal by more than a join may.
TEST(ForwardJoins, GoalsOnTheStartCirclesAreNoLongerThanTheArc) {
  Gen gen(32);
  for (int i = 0; i < 4000 / kShare; ++i) {
    const Pose a = gen.start();
    const double r = gen.radius();
    const int side = i % 2 == 0 ? 1 : -1;
    const double small = gen.decades(kNudge, kTwoPi / 2);
    const double phi = i % 4 < 2 ? small : kTwoPi - small;
    const Pose b = agv::drive(a, word({{side, 1, r * phi}}), r);
    SCOPED_TRACE(testing::Message() << std::setprecision(17) << a.x << " " << a.y << " " << a.th << " r " << r
                                    << " arc " << side * phi);
    Ompl peer(r);
    const double peerLength = dubins(peer, a, b, r);
    for (const bool three : {false, true}) {
      const Word w = join(a, b, r, three);
      EXPECT_LE(w.length, r * (phi + kSame));
      EXPECT_LE(w.length, peerLength + kSame * r);
    }
  }
}

// Goals nudged by 1e-12 (radii, radians) off joins at their tangencies: a line alone; an arc and a
// line, or a line and an arc, either of them as short as 1e-12; two arcs that touch; three arcs
// whose end circles lie 4 Ra apart (with the three-arc joins).  The join is never longer than the
// one it is nudged off, which ends within the tolerance; the joins of arcs alone are, with the
// three-arc joins, never longer than OMPL's Dubins path either, but where that misses the goal by
// more than the tolerance.  (OMPL aborts on an assertion of its own for some lines with an arc.)
TEST(ForwardJoins, GoalsNearTangenciesAgainstOmpl) {
  Gen gen(33);
  int arcGoals = 0, omplMisses = 0;
  for (int i = 0; i < 6000 / kShare; ++i) {
    const Pose a = gen.start();
    const double r = gen.radius();
    const int k = i % 2 == 0 ? 1 : -1;
    const double arc = i % 3 == 0 ? gen.decades(kNudge, 1) : kTwoPi * (gen.unit(gen.rng) + 1) / 2;
    const double line = r * (i % 5 < 2 ? gen.decades(kNudge, 1) : 3 * (gen.unit(gen.rng) + 1));
    const double arc2 = kTwoPi * (gen.unit(gen.rng) + 1) / 2;
    const Word words[] = {
        word({{0, 1, line}}),
        word({{k, 1, r * arc}, {0, 1, line}}),
        word({{0, 1, line}, {k, 1, r * arc}}),
        word({{k, 1, r * arc}, {-k, 1, r * arc2}}),
        word({{k, 1, r * arc}, {-k, 1, r * std::numbers::pi}, {k, 1, r * arc2}}),
    };
    for (int n = 0; n < static_cast<int>(std::size(words)); ++n) {
      const Word& known = words[n];
      double length = 0;
      for (int j = 0; j < known.n; ++j) length += known.seg[j].len;
      const Pose b = gen.nudged(agv::drive(a, known, r), r);
      SCOPED_TRACE(testing::Message() << std::setprecision(17) << a.x << " " << a.y << " " << a.th << " to "
                                      << b.x << " " << b.y << " " << b.th << " r " << r << " word " << n);
      const bool arcs = n >= 3;
      Ompl peer(r);
      const double peerLength = arcs ? dubins(peer, a, b, r) : kInf;
      arcGoals += arcs;
      omplMisses += arcs && peerLength == kInf;
      // The rows that hold the word at a tangency of their own: an arc and a line (no second
      // arc) in rows 6 and 7, three arcs in rows 12 and 13.
      const int row = n == 1 ? (k > 0 ? 6 : 7) : n == 4 ? (k > 0 ? 12 : 13) : -1;
      for (const bool three : {false, true}) {
        const Word w = join(a, b, r, three);
        if (n < 4 || three) {
          EXPECT_LE(w.length, length + kSame * r);
        }
        agv::Candidate c[agv::nRowsMax];
        if (row >= 0 && row < agv::candidates(a, b, r, three, c)) {
          EXPECT_LE(c[row].L, length + kSame * r) << "row " << row;
        }
        if (three && arcs) {
          EXPECT_LE(w.length, peerLength + kSame * r);
        }
      }
    }
  }
  std::cout << arcGoals << " goals of arcs alone near tangencies; OMPL's Dubins path misses "
            << omplMisses << " of them by more than the tolerance\n";
}

}  // namespace ptptest
