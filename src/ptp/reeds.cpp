// Paths of arcs and lines driven forward and backward.  The goal is taken
// into the frame of the start and measured in radii; every word that Reeds
// and Shepp (1990) showed to hold a shortest path is solved there from the
// centres of its circles, with the forward words of three arcs beside them
// (the cheapest path when reversing is dear), each in its forms: driven the
// other way (time flip), mirrored (left and right arcs swapped) and driven in
// reverse order (backwards).  The cheapest is kept; on a tie the first.
#include "ptp/reeds.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace agv {

namespace {

// The full-precision constants of the geometry (the simulator's PI is a
// written, shorter one).
constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2 * kPi;
constexpr double kHalfPi = kPi / 2;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A segment shorter than this, in radii, is no segment: it is left out of the
// word, and a length this far on the wrong side of zero meets a word's signs.
constexpr double kTiny = 1e-12;

// Costs that differ by less than this fraction are equal: the rounding of the
// words' lengths, which differ in their arithmetic, decides nothing.
constexpr double kTie = 1e-12;

// Distances of circle centres, in radii.  Two circles touch 2 apart; the
// words below hold where their centre vectors A and B (see View) are:
//   L R L:       |A| = 4 sin(u/2) <= 4, the middle arc u;
//   CC|CC:       |B| = 4 cos u - 2, so cos u = (2 + |B|) / 4;
//   C|CC|C:      |B|^2 = 20 - 16 cos u, u in [0, pi/2]: 4 <= |B|^2 <= 20;
//   C|C S C:     |A|^2 = 4 + (2 - line)^2, the line driven back: |A|^2 >= 8;
//   C|C S C|C:   |B|^2 = 4 + (4 - line)^2, the line driven back: |B|^2 >= 20.
constexpr double kTouch = 2.0;
constexpr double kTouch2 = kTouch * kTouch;
constexpr double kThree = 2 * kTouch;  // L R L, CC|CC: 4
constexpr double kChainFar2 = 20.0;
constexpr double kChainCos = 16.0;
constexpr double kQuarterLine2 = 8.0;
constexpr double kQuarters2 = 20.0;
constexpr double kQuartersLine = 2 * kTouch;  // C|C S C|C: the line is 4 - sqrt(|B|^2 - 4)

// The forms of a word: bits of View::form.
constexpr int kFlip = 1;     // every segment driven the other way: goal (-x, y, -phi)
constexpr int kReflect = 2;  // left and right arcs swapped: goal (x, -y, -phi)
constexpr int kBack = 4;     // segments in reverse order: goal (x cos phi + y sin phi, x sin phi - y cos phi, phi)

// The curvature directions of the words as solved (before their forms).
constexpr int kLSL[] = {1, 0, 1};
constexpr int kLSR[] = {1, 0, -1};
constexpr int kLRL[] = {1, -1, 1};
constexpr int kLRLR[] = {1, -1, 1, -1};
constexpr int kLRSL[] = {1, -1, 0, 1};
constexpr int kLRSR[] = {1, -1, 0, -1};
constexpr int kLRSLR[] = {1, -1, 0, 1, -1};

// An angle in (-pi, pi]; the angles here are within a few turns.
double modpi(double a) {
  while (a > kPi) a -= kTwoPi;
  while (a <= -kPi) a += kTwoPi;
  return a;
}

// An angle in [0, 2pi); a turn less a rounding is no turn.
double mod2pi(double a) {
  while (a >= kTwoPi) a -= kTwoPi;
  while (a < 0) a += kTwoPi;
  return a < kTwoPi ? a : 0.0;
}

// A vector's length and angle.
struct Polar {
  double d;
  double th;
};

// The vector (x, y) in polar form.
Polar polar(double x, double y) { return {std::sqrt(x * x + y * y), std::atan2(y, x)}; }

// The goal as one form sees it: its heading, and the vectors from the start's
// left circle to the goal's left circle (A) and right circle (B).
struct View {
  double phi;
  Polar A, B;
  int form;
};

// What the words need of |A| alone, shared by the forms with equal |A|.
struct ShapeA {
  bool ccc = false;  // three arcs: the circles at most 4 apart
  double half = 0;   // half the middle arc, asin(|A| / 4)
  bool csc = false;  // C|C S C: a quarter arc and a line of length 2 - rr
  double rr = 0, turn = 0;
};

// The shape of |A| = d.
ShapeA shapeA(double d) {
  ShapeA s;
  if (d <= kThree) {
    s.ccc = true;
    s.half = std::asin(d / kThree);
  }
  const double d2 = d * d;
  if (d2 >= kQuarterLine2) {
    s.csc = true;
    s.rr = std::sqrt(d2 - kTouch2);
    s.turn = std::atan2(s.rr, -kTouch);
  }
  return s;
}

// What the words need of |B| alone.
struct ShapeB {
  bool cross = false;  // L S R: the inner tangent, u^2 + 4 = |B|^2
  double crossU = 0, crossTurn = 0;
  bool ccWide = false;  // CC|CC: cos u = (2 + |B|) / 4
  double ccU = 0;
  bool chain = false;  // C|CC|C: cos u = (20 - |B|^2) / 16
  double chainU = 0, chainTurn = 0;
  bool quarters = false;  // C|C S C|C: a line of length 4 - rr between two quarter arcs
  double qLine = 0, qTurn = 0;
};

// The shape of |B| = d.
ShapeB shapeB(double d) {
  ShapeB s;
  const double d2 = d * d;
  if (d2 >= kTouch2) {
    s.cross = true;
    s.crossU = std::sqrt(d2 - kTouch2);
    s.crossTurn = std::atan2(kTouch, s.crossU);
  }
  if (d <= kTouch) {
    s.ccWide = true;
    s.ccU = std::acos((kTouch + d) / kThree);
  }
  if (d2 >= kTouch2 && d2 <= kChainFar2) {
    const double cu = (kChainFar2 - d2) / kChainCos;
    s.chain = true;
    s.chainU = std::acos(cu);
    s.chainTurn = std::atan2(std::sqrt(1 - cu * cu), cu - kTouch);  // the angle of e^iu - 2
  }
  if (d2 >= kQuarters2) {
    const double rr = std::sqrt(d2 - kTouch2);
    s.quarters = true;
    s.qLine = kQuartersLine - rr;
    s.qTurn = std::atan2(-rr, -kTouch);
  }
  return s;
}

// The search: radius, weights, the driving direction before the start, and
// the cheapest word so far.
struct Search {
  double r, rc, cc;
  int from;
  Word& w;
  double best = kInf;

  // A word as solved in view v (signed lengths in radii: + forward) becomes a
  // candidate in its form; it replaces the best only when it costs less by
  // more than the rounding, so that of words of equal cost the first is kept.
  void offer(const View& v, int n, const int k[], const double s[]) {
    const bool flip = (v.form & kFlip) != 0;
    const bool back = (v.form & kBack) != 0;
    const double below = best * (1 - kTie);
    double cost = 0.0;
    int prev = from;
    for (int i = 0; i < n; ++i) {
      const double si = s[back ? n - 1 - i : i];
      const double a = std::fabs(si);
      if (a <= kTiny) continue;
      const int dir = (si > 0) != flip ? 1 : -1;
      const double len = a * r;
      cost += dir > 0 ? len : rc * len;
      if (prev != 0 && dir != prev) cost += cc;
      prev = dir;
      if (!(cost < below)) return;  // the cost only grows
    }
    if (!(cost < below)) return;
    best = cost;
    const int mirror = (v.form & kReflect) != 0 ? -1 : 1;
    w.n = 0;
    w.length = 0.0;
    w.cost = cost;
    for (int i = 0; i < n; ++i) {
      const int j = back ? n - 1 - i : i;
      const double a = std::fabs(s[j]);
      if (a <= kTiny) continue;
      Segment& g = w.seg[w.n++];
      g.k = mirror * k[j];
      g.dir = (s[j] > 0) != flip ? 1 : -1;
      g.len = a * r;
      w.length += g.len;
    }
  }
};

// L+S+L+: the line runs parallel to A.
void leftLineLeft(Search& S, const View& v) {
  const double t = mod2pi(v.A.th);
  const double s[] = {t, v.A.d, mod2pi(v.phi - t)};
  S.offer(v, 3, kLSL, s);
}

// L+S+R+: the inner tangent, its line turned from B by the tangent's turn.
void leftLineRight(Search& S, const View& v, const ShapeB& b) {
  if (!b.cross) return;
  const double t = mod2pi(v.B.th + b.crossTurn);
  const double s[] = {t, b.crossU, mod2pi(t - v.phi)};
  S.offer(v, 3, kLSR, s);
}

// L+R+L+, forward, over either middle circle: |A| = 4 sin(u/2).
void threeArcsForward(Search& S, const View& v, const ShapeA& a) {
  if (!a.ccc) return;
  for (const double u : {2 * a.half, kTwoPi - 2 * a.half}) {
    const double t = mod2pi(v.A.th + u / 2);
    const double s[] = {t, u, mod2pi(v.phi - t + u)};
    S.offer(v, 3, kLRL, s);
  }
}

// L+R-L+ or L+R-L- (C|C|C, and CC|C backwards): the middle arc driven back.
void threeArcsCusps(Search& S, const View& v, const ShapeA& a) {
  if (!a.ccc) return;
  const double u = -2 * a.half;
  const double t = modpi(v.A.th + u / 2 + kPi);
  if (t < -kTiny) return;
  const double s[] = {t, u, modpi(v.phi - t + u)};
  S.offer(v, 3, kLRL, s);
}

// L+R+L-R- (CC|CC): the two middle arcs of equal length u.
void fourArcsOneCusp(Search& S, const View& v, const ShapeB& b) {
  if (!b.ccWide) return;
  const double u = b.ccU;
  const double t = modpi(v.B.th + u + kHalfPi);
  const double w = modpi(t - 2 * u - v.phi);
  if (t < -kTiny || w > kTiny) return;
  const double s[] = {t, u, -u, w};
  S.offer(v, 4, kLRLR, s);
}

// L+R-L-R+ (C|CC|C): the two middle arcs driven back, of equal length u.
void fourArcsTwoCusps(Search& S, const View& v, const ShapeB& b) {
  if (!b.chain) return;
  const double u = b.chainU;
  const double t = modpi(v.B.th - kHalfPi - b.chainTurn);
  const double w = modpi(t - v.phi);
  if (t < -kTiny || w < -kTiny) return;
  const double s[] = {t, -u, -u, w};
  S.offer(v, 4, kLRLR, s);
}

// L+R-S-L- (C|C S C, and C S C|C backwards): a quarter arc back before the line.
void quarterLineLeft(Search& S, const View& v, const ShapeA& a) {
  if (!a.csc) return;
  const double t = modpi(v.A.th + a.turn);
  const double w = modpi(v.phi - kHalfPi - t);
  if (t < -kTiny || w > kTiny) return;
  const double s[] = {t, -kHalfPi, kTouch - a.rr, w};
  S.offer(v, 4, kLRSL, s);
}

// L+R-S-R- (C|C S C, and C S C|C backwards): the line runs along B.
void quarterLineRight(Search& S, const View& v) {
  if (v.B.d < kTouch) return;
  const double t = modpi(v.B.th + kHalfPi);
  const double w = modpi(t + kHalfPi - v.phi);
  if (t < -kTiny || w > kTiny) return;
  const double s[] = {t, -kHalfPi, kTouch - v.B.d, w};
  S.offer(v, 4, kLRSR, s);
}

// L+R-S-L-R+ (C|C S C|C): a line between two quarter arcs, all driven back.
void quartersLine(Search& S, const View& v, const ShapeB& b) {
  if (!b.quarters) return;
  const double t = modpi(v.B.th - b.qTurn);
  const double w = modpi(t - v.phi);
  if (t < -kTiny || w < -kTiny) return;
  const double s[] = {t, -kHalfPi, b.qLine, -kHalfPi, w};
  S.offer(v, 5, kLRSLR, s);
}

}  // namespace

void reedsshepp(const Pose& a, const Pose& b, double r, double reverseCost, double cuspCost, Word& w,
                int from) {
  w = Word{};
  w.length = kNaN;
  w.cost = kNaN;
  if (!(r > 0) || !std::isfinite(r) || !(reverseCost >= 0) || !(cuspCost >= 0)) return;
  const double dx = b.x - a.x, dy = b.y - a.y, dth = b.th - a.th;
  if (!std::isfinite(dx) || !std::isfinite(dy) || !std::isfinite(dth)) return;
  const double ca = std::cos(a.th), sa = std::sin(a.th);
  const double x = (dx * ca + dy * sa) / r;
  const double y = (dy * ca - dx * sa) / r;
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  const double phi = std::remainder(dth, kTwoPi);
  const double s = std::sin(phi), c = std::cos(phi);

  // The centre vectors of the goal and of its mirror image (the circles lie
  // one radius beside the poses); the other forms see them turned or
  // mirrored.
  const Polar a0 = polar(x - s, y - 1 + c), a2 = polar(x + s, -y - 1 + c);
  const Polar b0 = polar(x + s, y - 1 - c), b2 = polar(x - s, -y - 1 - c);
  const View views[4] = {
      {phi, a0, b0, 0},
      {-phi, {a0.d, kPi - a0.th}, {b0.d, kPi - b0.th}, kFlip},
      {-phi, a2, b2, kReflect},
      {phi, {a2.d, kPi - a2.th}, {b2.d, kPi - b2.th}, kFlip | kReflect},
  };
  // Backwards, A turns into the form's heading less its angle, and B into the
  // vector from the start's right circle to the goal's left one, seen so.
  const View backs[4] = {
      {phi, {a0.d, phi - a0.th}, {b2.d, phi + b2.th}, kBack},
      {-phi, {a0.d, -phi - (kPi - a0.th)}, {b2.d, -phi - b2.th - kPi}, kBack | kFlip},
      {-phi, {a2.d, -phi - a2.th}, {b0.d, -phi + b0.th}, kBack | kReflect},
      {phi, {a2.d, phi - (kPi - a2.th)}, {b0.d, phi - b0.th - kPi}, kBack | kFlip | kReflect},
  };
  const ShapeA shA[2] = {shapeA(a0.d), shapeA(a2.d)};
  const ShapeB shB[2] = {shapeB(b0.d), shapeB(b2.d)};

  Search S{r, reverseCost, cuspCost, from, w};
  for (int i = 0; i < 4; ++i) leftLineLeft(S, views[i]);
  for (int i = 0; i < 4; ++i) leftLineRight(S, views[i], shB[i / 2]);
  for (int i = 0; i < 4; ++i) threeArcsForward(S, views[i], shA[i / 2]);
  for (int i = 0; i < 4; ++i) {
    threeArcsCusps(S, views[i], shA[i / 2]);
    threeArcsCusps(S, backs[i], shA[i / 2]);
  }
  for (int i = 0; i < 4; ++i) {
    fourArcsOneCusp(S, views[i], shB[i / 2]);
    fourArcsTwoCusps(S, views[i], shB[i / 2]);
  }
  for (int i = 0; i < 4; ++i) {
    quarterLineLeft(S, views[i], shA[i / 2]);
    quarterLineLeft(S, backs[i], shA[i / 2]);
    quarterLineRight(S, views[i]);
    quarterLineRight(S, backs[i]);
    quartersLine(S, views[i], shB[i / 2]);
  }
}

Pose drive(const Pose& p, const Word& w, double r) {
  Pose q = p;
  for (int i = 0; i < w.n; ++i) {
    const Segment& g = w.seg[i];
    const double s = g.dir * g.len;
    if (g.k == 0) {
      q.x += s * std::cos(q.th);
      q.y += s * std::sin(q.th);
    } else {
      const double th = q.th + g.k * s / r;
      q.x += g.k * r * (std::sin(th) - std::sin(q.th));
      q.y += g.k * r * (std::cos(q.th) - std::cos(th));
      q.th = th;
    }
    q.s += g.len;
  }
  return q;
}

}  // namespace agv
