// Arc-line PTP path planner: twelve candidate joins of arcs and straight
// lines from the start pose to the end pose, and on request the two joins
// of three arcs; the shortest is adopted.
#include "ptp/planner.h"

#include <algorithm>
#include <cmath>

namespace agv {

namespace {

constexpr double kParallel = 1e-8;  // |sin| of heading lines taken as parallel

// The tolerance of a join [m]: a fraction of the radius, and of the largest coordinate for the
// rounding of the geometry far from the origin (some hundred units in its last place).  A line
// or an arc that moves the end of the join by no more than this is no segment, an arc within it
// of a whole turn no turn, and circles that touch within it touch.
constexpr double kSnap = 1e-10;
constexpr double kRound = 2e-14;

// The rounding allowed for in the lower bounds of the plan-only selection, far
// above any: a fraction of the lengths [m], and of an angle [rad].
constexpr double kSlack = 1e-9;
constexpr double kTurnSlack = 1e-6;
constexpr double kLongLine = 1e-3;  // row 4's line in centre distances where its bound may take it
constexpr double kTurnsMost = 3;    // the arcs of a row turn less than this many whole turns together
constexpr double kDropped = 4;      // a row drops at most three segments within the tolerance

// Curvature direction of each segment of each row: +1 left arc,
// 0 line, -1 right arc.
constexpr double kDir[nRowsMax][3] = {
    {1, 0, -1}, {0, 1, -1}, {1, 0, 1},  {-1, 0, -1}, {-1, 0, 1}, {0, -1, 1}, {1, -1, 0},
    {-1, 1, 0}, {0, 1, 0},  {0, -1, 0}, {0, 1, 0},   {0, -1, 0}, {1, -1, 1}, {-1, 1, -1},
};

// An arc angle in [0, 2pi).  An angle below 0 gets a full turn, as every
// row's formula expects; one that is then still outside the range (2pi or
// more, or below -2pi) is reduced by whole turns, so that no row carries a
// needless full circle.
double wrap(double phi) {
  if (phi < 0) phi += PI2;
  if (phi >= 0 && phi < PI2) return phi;
  if (std::isnan(phi)) return phi;
  phi = std::fmod(phi, PI2);  // exact, within (-2pi, 2pi)
  if (phi < 0) phi += PI2;
  return phi < PI2 ? phi : 0.0;  // a turn less a rounding is no turn
}

void setpose(double p[3], double x, double y, double th) {
  p[0] = x;
  p[1] = y;
  p[2] = th;
}

// Stores the segment lengths of a built row and its total.  A row whose
// total is not a number (coordinates so large that the geometry overflows)
// has no solution; a row with a negative segment (a single arc turning more
// than half a turn, from headings that differ by more than that) would
// drive backwards.  Neither may take part in the selection.
void store(Candidate& c, double s1, double s2, double s3) {
  c.seg[0] = s1;
  c.seg[1] = s2;
  c.seg[2] = s3;
  const double L = s1 + s2 + s3;
  if (std::isnan(L)) {
    c.L = lenNoSolution;
  } else if (s1 < 0 || s2 < 0 || s3 < 0) {
    c.L = lenBackward;
  } else {
    c.L = L;
  }
}

// Geometry shared by the rows.
struct Frame {
  double P0[2], Pf[2];
  double th0, thf;
  double t0[2], n0[2], tf[2], nf[2];
  double C0L[2], C0R[2], CfL[2], CfR[2];
  double Ra;   // arc radius
  double tol;  // the tolerance of a join [m]
};

// An arc angle in [0, 2pi) followed by `rest` metres of path: no turn where turning it, or a
// whole turn less it, moves the end of the join by no more than the tolerance (the rest of
// the join turns about the arc's centre, which lies at most Ra + rest from the end).
double snaparc(double phi, double rest, const Frame& g) {
  const double arm = g.Ra + rest;
  return phi * arm <= g.tol || (PI2 - phi) * arm <= g.tol ? 0.0 : phi;
}

// The direction of the line of a join whose two arcs turn the same way (sgn +1 left, -1
// right), from the start circle to the end circle along D: 0 its own, 1 the start heading, 2
// the end heading.  A line that lies outside the sector the arcs turn through, beside one of
// its headings by no more than the tolerance, runs along that heading, so that rounding never
// makes an arc of a whole turn.
int lineheading(const Frame& g, int sgn, const double D[2]) {
  const double off0 = sgn * vcross(g.t0, D), offf = sgn * vcross(D, g.tf);
  if (off0 < 0 && off0 >= -g.tol && vdot(g.t0, D) > 0) return 1;
  if (offf < 0 && offf >= -g.tol && vdot(g.tf, D) > 0) return 2;
  return 0;
}

// Whether circles of radius Ra whose centres lie d apart touch within the tolerance (an inner
// tangent then has no length).
bool touch(const Frame& g, double d) { return std::fabs(d - 2 * g.Ra) <= g.tol; }

// What the plan-only selection knows while it builds the rows: the shortest
// length found so far, and the least turn each kind of join makes.  A row
// whose lower bound exceeds the shortest by more than any rounding is not
// built (candidates() builds every row).
struct Prune {
  double best = lenBackward;
  double turnL = 0;    // the left turn from th0 to thf in [0, 2pi): a left-line-left join turns at least this
  double turnR = 0;    // the right turn: a right-line-right join turns at least this
  double turnMin = 0;  // the lesser: a left arc and a right arc turn at least this together
  double scale = 0;    // the size of the numbers [m], for the rounding of a length
  double tol = 0;      // the tolerance of a join: a row drops a segment of about this much

  // True when a row at least `bound` long, of a straight part `line` and
  // arcs of radius Ra, cannot be adopted.  Its bound then stands for its
  // length, and it must be real (below lenNoSolution) as the row's own would
  // be: rows 1 and 5 are built only when rows 0 and 4 are not.
  bool beyond(double bound, double line, double Ra) const {
    return bound - kSlack * (bound + scale) - kDropped * tol > best &&
           line + kTurnsMost * PI2 * Ra < lenNoSolution;
  }
};

// A turn in [0, 2pi) that two arcs in [0, 2pi) with a sum congruent to a make
// at least: 0 within the rounding of a whole turn.
double leastturn(double a) {
  const double t = wrap(a);
  return t > PI2 - kTurnSlack ? 0.0 : t;
}

// The larger and the smaller of two numbers (plain comparisons: they
// compile to one instruction each, where std::fmax and std::fmin are calls).
double larger(double a, double b) { return a > b ? a : b; }
double smaller(double a, double b) { return a < b ? a : b; }

// A lower bound of the angle in [0, 2pi) turned counterclockwise from the
// unit vector a to the unit vector b, without trigonometry or branches:
// kTurnSlack below it, and 0 within that of a whole turn (where a row's own
// angle, of vectors rounded otherwise, may wrap to 0).  Folded into the
// first quadrant the angle is 2 atan t, t = |sin| / (1 + |cos|) in [0, 1],
// and atan t lies above the chord pi t / 4 and above t - t^3/3, below
// t - t^3/3 + t^5/5 (its series; the rounding of its coefficients is far
// below kTurnSlack).
double turnfrom(const double a[2], const double b[2]) {
  constexpr double third = 1.0 / 3, fifth = 1.0 / 5;
  const double c = vdot(a, b), s = vcross(a, b);
  const double t = std::fabs(s) / (1 + std::fabs(c)), t2 = t * t;
  const double lo = 2 * larger(PI / 4 * t, t * (1 - third * t2));
  const double hi = 2 * t * (1 - t2 * (third - fifth * t2));
  // By quadrant (sin >= 0: cos >= 0, < 0; sin < 0: cos < 0, >= 0).
  const double quadrant[4] = {lo, PI - hi, PI + lo, PI2 - hi};
  const double turn = quadrant[2 * (s < 0) + ((c < 0) != (s < 0))] - kTurnSlack;
  return turn > PI2 - 2 * kTurnSlack ? 0.0 : larger(turn, 0.0);
}

// Row 0: left arc, line, right arc.  Circles that touch within the
// tolerance are joined where they touch.
template <bool Poses>
void row0(const Frame& g, Candidate& c) {
  double D[2];
  const double d = vsub(g.CfR, g.C0L, D);
  const bool touching = touch(g, d);
  if (2 * g.Ra > d && !touching) {
    c.L = lenNoSolution;
    return;
  }
  const double alpha = touching ? 0.0 : std::acos(2 * g.Ra / d);
  const double e[2] = {D[0] / d, D[1] / d};
  double w[2];
  vrot(-alpha, e, w);
  const double mn0[2] = {-g.n0[0], -g.n0[1]};
  const double mnf[2] = {-g.nf[0], -g.nf[1]};
  const double s2 = touching ? 0.0 : std::sqrt(d * d - (2 * g.Ra) * (2 * g.Ra));
  const double phi2 = snaparc(wrap(std::atan2(vcross(mnf, w), vdot(mnf, w))), 0.0, g);
  const double phi1 = snaparc(wrap(std::atan2(vcross(mn0, w), vdot(mn0, w))), s2 + g.Ra * phi2, g);
  store(c, g.Ra * phi1, s2, g.Ra * phi2);
  if constexpr (Poses) {
    const double h1 = g.th0 + phi1;
    setpose(c.p1, g.C0L[0] + g.Ra * std::sin(h1), g.C0L[1] + g.Ra * -std::cos(h1), h1);
    setpose(c.p2, c.p1[0] + s2 * std::cos(h1), c.p1[1] + s2 * std::sin(h1), h1);
  }
}

// Row 1: line, left arc, right arc (only when row 0 does not exist).
template <bool Poses>
void row1(const Frame& g, Candidate& c) {
  double D[2];
  vsub(g.CfR, g.C0L, D);
  const double p = vdot(g.t0, D);
  const double q = vdot(D, D) - 4 * g.Ra * g.Ra;
  const double a = p + std::sqrt(p * p - q);
  double Cm[2];
  vaddk(g.C0L, a, g.t0, Cm);
  const double beta = wrap(std::atan2(g.CfR[1] - Cm[1], g.CfR[0] - Cm[0]));
  const double phi2 = snaparc(wrap(PI_2 + beta - g.thf), 0.0, g);
  const double phi1 = snaparc(wrap(PI_2 + beta - g.th0), g.Ra * phi2, g);
  store(c, a, g.Ra * phi1, g.Ra * phi2);
  if constexpr (Poses) {
    setpose(c.p1, g.P0[0] + a * g.t0[0], g.P0[1] + a * g.t0[1], g.th0);
    const double h2 = g.th0 + phi1;
    setpose(c.p2, Cm[0] + g.Ra * std::sin(h2), Cm[1] + g.Ra * -std::cos(h2), h2);
  }
}

// The line of rows 2 and 3 from C0 to Cf (turning sgn), as long as its
// length d, in the direction beta: a line no longer than the tolerance is
// none, and runs along the start heading; one beside a heading within it
// runs along that heading.
double sameturnline(const Frame& g, int sgn, const double C0[2], const double Cf[2], double& d) {
  double D[2];
  d = vsub(Cf, C0, D);
  if (d <= g.tol) {
    d = 0.0;
    return g.th0;
  }
  const int along = lineheading(g, sgn, D);
  return along == 1 ? g.th0 : along == 2 ? g.thf : std::atan2(Cf[1] - C0[1], Cf[0] - C0[0]);
}

// Row 2: left arc, line, left arc.
template <bool Poses>
void row2(const Frame& g, Candidate& c) {
  double d;
  const double beta = sameturnline(g, 1, g.C0L, g.CfL, d);
  const double phi2 = snaparc(wrap(g.thf - beta), 0.0, g);
  const double phi1 = snaparc(wrap(beta - g.th0), d + g.Ra * phi2, g);
  store(c, g.Ra * phi1, d, g.Ra * phi2);
  if constexpr (Poses) {
    const double h1 = g.th0 + phi1;
    setpose(c.p1, g.C0L[0] + g.Ra * std::sin(h1), g.C0L[1] + g.Ra * -std::cos(h1), h1);
    setpose(c.p2, c.p1[0] + d * std::cos(h1), c.p1[1] + d * std::sin(h1), h1);
  }
}

// Row 3: right arc, line, right arc.
template <bool Poses>
void row3(const Frame& g, Candidate& c) {
  double d;
  const double beta = sameturnline(g, -1, g.C0R, g.CfR, d);
  const double phi2 = snaparc(wrap(beta - g.thf), 0.0, g);
  const double phi1 = snaparc(wrap(g.th0 - beta), d + g.Ra * phi2, g);
  store(c, g.Ra * phi1, d, g.Ra * phi2);
  if constexpr (Poses) {
    const double h1 = g.th0 - phi1;
    setpose(c.p1, g.C0R[0] + g.Ra * std::sin(phi1 - g.th0), g.C0R[1] + g.Ra * std::cos(phi1 - g.th0), h1);
    setpose(c.p2, c.p1[0] + d * std::cos(h1), c.p1[1] + d * std::sin(h1), h1);
  }
}

// Row 4: right arc, line, left arc (circles that touch as in row 0).
template <bool Poses>
void row4(const Frame& g, Candidate& c) {
  double D[2];
  const double d = vsub(g.CfL, g.C0R, D);
  const bool touching = touch(g, d);
  if (2 * g.Ra > d && !touching) {
    c.L = lenNoSolution;
    return;
  }
  const double beta = std::atan2(g.CfL[1] - g.C0R[1], g.CfL[0] - g.C0R[0]);
  const double alpha = touching ? 0.0 : std::acos(2 * g.Ra / d);
  const double gamma = beta + alpha - PI_2;
  const double s2 = touching ? 0.0 : d * std::sin(alpha);
  const double phi2 = snaparc(wrap(g.thf - gamma), 0.0, g);
  const double phi1 = snaparc(wrap(g.th0 - gamma), s2 + g.Ra * phi2, g);
  store(c, g.Ra * phi1, s2, g.Ra * phi2);
  if constexpr (Poses) {
    const double h1 = g.th0 - phi1;
    setpose(c.p1, g.C0R[0] + g.Ra * std::sin(phi1 - g.th0), g.C0R[1] + g.Ra * std::cos(phi1 - g.th0), h1);
    setpose(c.p2, c.p1[0] + s2 * std::cos(h1), c.p1[1] + s2 * std::sin(h1), h1);
  }
}

// Row 5: line, right arc, left arc (only when row 4 does not exist).
template <bool Poses>
void row5(const Frame& g, Candidate& c) {
  double D[2];
  vsub(g.CfL, g.C0R, D);
  const double p = vdot(g.t0, D);
  const double q = vdot(D, D) - 4 * g.Ra * g.Ra;
  const double a = p + std::sqrt(p * p - q);
  double Cm[2];
  vaddk(g.C0R, a, g.t0, Cm);
  const double beta = std::atan2(g.CfL[1] - Cm[1], g.CfL[0] - Cm[0]);
  const double phi2 = snaparc(wrap(PI_2 - beta + g.thf), 0.0, g);
  const double phi1 = snaparc(wrap(PI_2 - beta + g.th0), g.Ra * phi2, g);
  store(c, a, g.Ra * phi1, g.Ra * phi2);
  if constexpr (Poses) {
    setpose(c.p1, g.P0[0] + a * g.t0[0], g.P0[1] + a * g.t0[1], g.th0);
    setpose(c.p2, Cm[0] + g.Ra * std::sin(phi1 - g.th0), Cm[1] + g.Ra * std::cos(phi1 - g.th0),
            g.th0 - phi1);
  }
}

// The final straight part of rows 6 and 7, from Q to the end pose: its
// length, none where that is within the tolerance, and -1 where it would run
// backwards.
double finalline(const Frame& g, const double Q[2]) {
  double G[2];
  const double gn = vsub(g.Pf, Q, G);
  if (gn <= g.tol) return 0.0;
  return vdot(G, g.tf) / gn < 0 ? -1.0 : gn;
}

// Rows 6 and 7 in the plan-only selection, before their arcs: true when the
// final line would run backwards (the row's length is then that sentinel),
// or when the row, its two arcs turning at least `arcs` and turnMin, cannot
// be adopted (its length then the bound).
bool cannotend(const Frame& g, double line, double arcs, Candidate& c, const Prune& p) {
  if (line < 0) {
    c.L = lenBackward;
    return true;
  }
  const double bound = line + g.Ra * larger(p.turnMin, arcs);
  if (!p.beyond(bound, line, g.Ra)) return false;
  c.L = bound;
  return true;
}

// The signed distance of the middle circle of rows 6 and 7 along the end
// heading from the foot F, its centre 2 Ra from the start circle's (h the
// start circle's distance from the end heading's line, sigma the side); NaN
// where there is no such circle.  Where the start circle lies 2 Ra from the
// line within the tolerance, the middle circle touches it at the foot.
double middlecircle(const Frame& g, double h, double sigma) {
  const double q = (2 * g.Ra) * (2 * g.Ra) - h * h;
  if (touch(g, std::fabs(h))) return 0.0;
  if (q < 0) return std::nan("");
  return sigma >= 0 ? std::sqrt(q) : -std::sqrt(q);
}

// Row 6: left arc, right arc, line.
template <bool Poses>
void row6(const Frame& g, Candidate& c, const Prune& p) {
  double D[2];
  vsub(g.C0L, g.CfR, D);
  const double h = vdot(D, g.nf);
  double F[2];
  vaddk(g.C0L, -h, g.nf, F);
  double E[2];
  vsub(g.CfR, g.C0L, E);
  const double e = middlecircle(g, h, vdot(E, g.tf));
  if (std::isnan(e)) {
    c.L = lenNoSolution;
    return;
  }
  double Cm[2];
  vaddk(F, e, g.tf, Cm);
  const double v[2] = {(Cm[0] - g.C0L[0]) / (2 * g.Ra), (Cm[1] - g.C0L[1]) / (2 * g.Ra)};
  double Q[2];
  vaddk(Cm, g.Ra, g.nf, Q);
  const double s3 = finalline(g, Q);
  if constexpr (!Poses) {
    // The arcs turn from the start's radius -n0 to v, and from -nf to v.
    const double mn0[2] = {-g.n0[0], -g.n0[1]}, mnf[2] = {-g.nf[0], -g.nf[1]};
    if (cannotend(g, s3, turnfrom(mn0, v) + turnfrom(mnf, v), c, p)) return;
  }
  if (s3 < 0) {
    c.L = lenBackward;
    return;
  }
  const double phi2 = snaparc(wrap(std::atan2(vcross(v, g.nf), -vdot(g.nf, v))), s3, g);
  const double phi1 = snaparc(wrap(std::atan2(vcross(v, g.n0), -vdot(g.n0, v))), g.Ra * phi2 + s3, g);
  if constexpr (Poses) {
    const double h1 = g.th0 + phi1;
    const double h2 = g.th0 + phi1 - phi2;
    setpose(c.p1, g.C0L[0] + g.Ra * std::sin(h1), g.C0L[1] + g.Ra * -std::cos(h1), h1);
    setpose(c.p2, Cm[0] + g.Ra * -std::sin(h2), Cm[1] + g.Ra * std::cos(h2), h2);
  }
  store(c, g.Ra * phi1, g.Ra * phi2, s3);
}

// Row 7: right arc, left arc, line.
template <bool Poses>
void row7(const Frame& g, Candidate& c, const Prune& p) {
  double D[2];
  vsub(g.CfL, g.C0R, D);
  const double h = vdot(D, g.nf);
  double F[2];
  vaddk(g.C0R, h, g.nf, F);
  const double e = middlecircle(g, h, vdot(D, g.tf));
  if (std::isnan(e)) {
    c.L = lenNoSolution;
    return;
  }
  double Cm[2];
  vaddk(F, e, g.tf, Cm);
  const double v[2] = {(Cm[0] - g.C0R[0]) / (2 * g.Ra), (Cm[1] - g.C0R[1]) / (2 * g.Ra)};
  double Q[2];
  vaddk(Cm, -g.Ra, g.nf, Q);
  const double s3 = finalline(g, Q);
  if constexpr (!Poses) {
    // The arcs turn from v to n0, and from v to nf.
    if (cannotend(g, s3, turnfrom(v, g.n0) + turnfrom(v, g.nf), c, p)) return;
  }
  if (s3 < 0) {
    c.L = lenBackward;
    return;
  }
  const double phi2 = snaparc(wrap(std::atan2(vcross(v, g.nf), vdot(g.nf, v))), s3, g);
  const double phi1 = snaparc(wrap(std::atan2(vcross(v, g.n0), vdot(g.n0, v))), g.Ra * phi2 + s3, g);
  if constexpr (Poses) {
    const double h2 = g.th0 - phi1 + phi2;
    setpose(c.p1, g.C0R[0] + g.Ra * std::sin(phi1 - g.th0), g.C0R[1] + g.Ra * std::cos(phi1 - g.th0),
            g.th0 - phi1);
    setpose(c.p2, Cm[0] + g.Ra * std::sin(h2), Cm[1] + g.Ra * -std::cos(h2), h2);
  }
  store(c, g.Ra * phi1, g.Ra * phi2, s3);
}

// Rows 8 to 11: one arc of radius r >= Ra tangent to both heading lines,
// with a straight part on the longer leg.  At most one row is built.
template <bool Poses>
void rowsingle(const Frame& g, Candidate* c) {
  const double cr = vcross(g.t0, g.tf);
  if (std::fabs(cr) < kParallel) {
    for (int i = 8; i < nRows; ++i) c[i].L = lenBackward;
    return;
  }
  double D[2];
  vsub(g.Pf, g.P0, D);
  const double a = vcross(D, g.tf) / cr;
  const double b = -vcross(D, g.t0) / cr;
  if (a < 0 || b < 0) {
    c[8].L = lenBackward;
    return;
  }
  const double Delta = g.thf - g.th0;
  // Equal legs (a = b) leave no straight part: the arc turns to the side of
  // Delta, as in rows 8 and 9.
  if (b >= a) {
    if (Delta > 0) {
      Candidate& w = c[8];
      const double r = a / std::tan(Delta / 2);
      if (std::fabs(r) < g.Ra) {
        w.L = lenNoSolution;
        return;
      }
      store(w, 0, r * Delta, b - a);
      w.r = r;
      if constexpr (Poses) {
        double C[2];
        vaddk(g.P0, r, g.n0, C);
        setpose(w.p1, g.P0[0], g.P0[1], g.th0);
        const double h2 = g.th0 + Delta;
        setpose(w.p2, C[0] + r * std::sin(h2), C[1] + r * -std::cos(h2), h2);
      }
    } else {
      Candidate& w = c[9];
      const double r = a / std::tan(-Delta / 2);
      if (std::fabs(r) < g.Ra) {
        w.L = lenNoSolution;
        return;
      }
      store(w, 0, -Delta * r, b - a);
      w.r = r;
      if constexpr (Poses) {
        double C[2];
        vaddk(g.P0, -r, g.n0, C);
        setpose(w.p1, g.P0[0], g.P0[1], g.th0);
        setpose(w.p2, C[0] + r * std::sin(-Delta - g.th0), C[1] + r * std::cos(-Delta - g.th0),
                g.th0 + Delta);
      }
    }
  } else if (Delta > 0) {
    Candidate& w = c[10];
    const double r = b / std::tan(Delta / 2);
    if (std::fabs(r) < g.Ra) {
      w.L = lenNoSolution;
      return;
    }
    store(w, a - b, r * Delta, 0);
    w.r = r;
    if constexpr (Poses) {
      setpose(w.p1, g.P0[0] + (a - b) * g.t0[0], g.P0[1] + (a - b) * g.t0[1], g.th0);
      double C[2];
      vaddk(g.Pf, r, g.nf, C);
      const double h2 = g.th0 + Delta;
      setpose(w.p2, C[0] + r * std::sin(h2), C[1] + r * -std::cos(h2), h2);
    }
  } else {
    Candidate& w = c[11];
    const double r = b / std::tan(-Delta / 2);
    if (std::fabs(r) < g.Ra) {
      w.L = lenNoSolution;
      return;
    }
    store(w, a - b, -Delta * r, 0);
    w.r = r;
    if constexpr (Poses) {
      setpose(w.p1, g.P0[0] + (a - b) * g.t0[0], g.P0[1] + (a - b) * g.t0[1], g.th0);
      double C[2];
      vaddk(g.Pf, -r, g.nf, C);
      setpose(w.p2, C[0] + r * std::sin(-Delta - g.th0), C[1] + r * std::cos(-Delta - g.th0),
              g.th0 + Delta);
    }
  }
}

// The least turn of rows 12 and 13 over both middle circles, from the
// directions of the joints (the middle circle's centre is C0 + 2 Ra u, u the
// direction D / d of the end circles turned by +-alpha, cos alpha = d / 4 Ra).
double threeturns(const Frame& g, int sgn, const double C0[2], const double Cf[2], const double D[2],
                  double d) {
  const double e[2] = {D[0] / d, D[1] / d};
  const double ca = d >= 4 * g.Ra - g.tol ? 1.0 : d / (4 * g.Ra), sa = std::sqrt(1 - ca * ca);
  double least = PI2 * kTurnsMost;
  for (double side : {1.0, -1.0}) {
    const double u[2] = {e[0] * ca - side * e[1] * sa, side * e[0] * sa + e[1] * ca};
    const double w[2] = {(Cf[0] - C0[0]) / (2 * g.Ra) - u[0], (Cf[1] - C0[1]) / (2 * g.Ra) - u[1]};
    // The headings where the vehicle leaves the first circle and the middle one.
    const double k1[2] = {-sgn * u[1], sgn * u[0]};
    const double k2[2] = {sgn * w[1], -sgn * w[0]};
    const double arcs = sgn > 0 ? turnfrom(g.t0, k1) + turnfrom(k2, k1) + turnfrom(k2, g.tf)
                                : turnfrom(k1, g.t0) + turnfrom(k1, k2) + turnfrom(g.tf, k2);
    least = smaller(least, arcs);
  }
  return least;
}

// Rows 12 and 13: three arcs, the middle one turning the other way on a
// circle that touches both end circles C0 and Cf (left, right, left for
// sgn = +1; right, left, right for sgn = -1).  Of the two middle circles the
// one of the shorter join is kept.  End circles 4 Ra apart within the
// tolerance have one middle circle, on the line between them.
template <bool Poses>
void rowthree(const Frame& g, int sgn, Candidate& c, const Prune& p) {
  const double* C0 = sgn > 0 ? g.C0L : g.C0R;
  const double* Cf = sgn > 0 ? g.CfL : g.CfR;
  double D[2];
  const double d = vsub(Cf, C0, D);
  c.L = lenNoSolution;
  if (d > 4 * g.Ra + g.tol) return;
  const double alpha = d >= 4 * g.Ra - g.tol ? 0.0 : std::acos(d / (4 * g.Ra));
  if constexpr (!Poses) {
    // The middle arc turns the angle the end circles span at its centre, or a
    // whole turn less it; the outer arcs turn at least what is left to turn
    // (of the net turn as it is, not taken as none near a whole turn, where
    // what is left is that turn and the span together).
    const double span = PI - 2 * alpha;
    const double turn = wrap(sgn * (g.thf - g.th0));
    const double least = smaller(span + leastturn(turn + span), (PI2 - span) + leastturn(turn - span));
    // Failing that bound, the joints' directions give a closer one.
    for (const bool close : {false, true}) {
      const double bound = g.Ra * (close && d > 0 ? larger(least, threeturns(g, sgn, C0, Cf, D, d)) : least);
      if (p.beyond(bound, 0.0, g.Ra)) {
        c.L = bound;
        return;
      }
    }
  }
  const double base = std::atan2(D[1], D[0]);
  for (double side : {1.0, -1.0}) {
    const double u[2] = {std::cos(base + side * alpha), std::sin(base + side * alpha)};
    double Cm[2];
    vaddk(C0, 2 * g.Ra, u, Cm);
    // Headings where the vehicle leaves the first circle and the middle one:
    // across the radius towards the next centre.
    const double h1 = std::atan2(Cm[1] - C0[1], Cm[0] - C0[0]) + sgn * PI_2;
    const double h2 = std::atan2(Cf[1] - Cm[1], Cf[0] - Cm[0]) - sgn * PI_2;
    const double phi2 = snaparc(wrap(sgn * (g.thf - h2)), 0.0, g);
    const double phim = snaparc(wrap(sgn * (h1 - h2)), g.Ra * phi2, g);
    const double phi1 = snaparc(wrap(sgn * (h1 - g.th0)), g.Ra * (phim + phi2), g);
    Candidate w = c;
    store(w, g.Ra * phi1, g.Ra * phim, g.Ra * phi2);
    if (!(w.L < c.L)) continue;
    if constexpr (Poses) {
      const double a1 = g.th0 + sgn * phi1;  // heading at the end of the first arc
      const double a2 = a1 - sgn * phim;     // and of the middle one
      setpose(w.p1, C0[0] + sgn * g.Ra * std::sin(a1), C0[1] - sgn * g.Ra * std::cos(a1), a1);
      setpose(w.p2, Cm[0] - sgn * g.Ra * std::sin(a2), Cm[1] + sgn * g.Ra * std::cos(a2), a2);
    }
    c = w;
  }
}

}  // namespace

namespace {

// A lower bound of a row's length for the plan-only selection and its
// straight part (see Prune::beyond); a bound of lenNoSolution or more is the
// row's length itself, or is as far from real.
struct Bound {
  double L;
  double line;
};

// Row 0: its line, and its arcs from the radius -n0 to the line's normal w
// (D turned by -alpha) and from -nf to w; they differ by the whole turn.
Bound bound0(const Frame& g, const Prune& p) {
  double D[2];
  const double d = vsub(g.CfR, g.C0L, D);
  const bool touching = touch(g, d);
  if (2 * g.Ra > d && !touching) return {lenNoSolution, 0};
  const double s2 = touching ? 0.0 : std::sqrt(d * d - (2 * g.Ra) * (2 * g.Ra));
  const double ca = 2 * g.Ra / d, sa = s2 / d;
  const double w[2] = {(D[0] * ca + D[1] * sa) / d, (D[1] * ca - D[0] * sa) / d};
  const double mn0[2] = {-g.n0[0], -g.n0[1]}, mnf[2] = {-g.nf[0], -g.nf[1]};
  return {s2 + g.Ra * larger(p.turnMin, turnfrom(mn0, w) + turnfrom(mnf, w)), s2};
}

// True when the direction D (of length d) lies, by more than the rounding,
// outside the sector turned counterclockwise from a to b (a turn of `turn`).
bool outside(const double a[2], const double b[2], double turn, const double D[2], double d) {
  const double from = vcross(a, D) / d, to = vcross(D, b) / d;
  return turn <= PI ? from < -kTurnSlack || to < -kTurnSlack : from < -kTurnSlack && to < -kTurnSlack;
}

// Row 2: its line along D, its arcs from t0 to D and from D to tf: they turn
// turnL together, or a whole turn more where D lies outside the sector of
// the turn from t0 to tf (and the row does not move its line onto a heading).
Bound bound2(const Frame& g, const Prune& p) {
  double D[2];
  const double d = vsub(g.CfL, g.C0L, D);
  const bool loop = d > g.tol && lineheading(g, 1, D) == 0 && outside(g.t0, g.tf, p.turnL, D, d);
  return {d + g.Ra * (p.turnL + (loop ? PI2 - 2 * kTurnSlack : 0.0)), d};
}

// Row 3, the same turning right: the sector turned counterclockwise from tf
// to t0.
Bound bound3(const Frame& g, const Prune& p) {
  double D[2];
  const double d = vsub(g.CfR, g.C0R, D);
  const bool loop = d > g.tol && lineheading(g, -1, D) == 0 && outside(g.tf, g.t0, p.turnR, D, d);
  return {d + g.Ra * (p.turnR + (loop ? PI2 - 2 * kTurnSlack : 0.0)), d};
}

// Row 4: its line in the direction gamma (D turned by alpha - pi/2), and
// its arcs from gamma to t0 and to tf, counterclockwise.  The line is
// d sin(acos(2 Ra / d)): near a tangency of the circles that may differ from
// its square root by more than the rounding, so the bound takes it only where
// it is long.
Bound bound4(const Frame& g, const Prune& p) {
  double D[2];
  const double d = vsub(g.CfL, g.C0R, D);
  const bool touching = touch(g, d);
  if (2 * g.Ra > d && !touching) return {lenNoSolution, 0};
  const double line = touching ? 0.0 : std::sqrt(d * d - (2 * g.Ra) * (2 * g.Ra));
  const double ca = 2 * g.Ra / d, sa = line / d;
  const double k[2] = {(D[1] * ca + D[0] * sa) / d, (D[1] * sa - D[0] * ca) / d};
  const double arcs = turnfrom(k, g.t0) + turnfrom(k, g.tf);
  return {(line >= kLongLine * d ? line : 0.0) + g.Ra * larger(p.turnMin, arcs), line};
}

// The frame of the poses P0 and PF with arcs of radius Ra.
Frame frame(const Pose& P0, const Pose& PF, double Ra) {
  Frame g;
  g.Ra = Ra;
  g.P0[0] = P0.x;
  g.P0[1] = P0.y;
  g.Pf[0] = PF.x;
  g.Pf[1] = PF.y;
  g.th0 = P0.th;
  g.thf = PF.th;
  g.t0[0] = std::cos(g.th0);
  g.t0[1] = std::sin(g.th0);
  g.n0[0] = -std::sin(g.th0);
  g.n0[1] = std::cos(g.th0);
  g.tf[0] = std::cos(g.thf);
  g.tf[1] = std::sin(g.thf);
  g.nf[0] = -std::sin(g.thf);
  g.nf[1] = std::cos(g.thf);
  vaddk(g.P0, Ra, g.n0, g.C0L);
  vaddk(g.P0, -Ra, g.n0, g.C0R);
  vaddk(g.Pf, Ra, g.nf, g.CfL);
  vaddk(g.Pf, -Ra, g.nf, g.CfR);
  const double far = larger(larger(std::fabs(P0.x), std::fabs(P0.y)), larger(std::fabs(PF.x), std::fabs(PF.y)));
  g.tol = kSnap * Ra + (std::isfinite(far) ? kRound * far : 0.0);
  return g;
}

// The row adopted: the first of the shortest; -1 when only a sentinel, or a
// real join of that length, is left (far too long for any run, and a
// sentinel row has no segments to publish).
int adopt(const Candidate c[], int rows) {
  double best = lenBackward;
  int k = 0;
  for (int i = 0; i < rows; ++i) {
    if (c[i].L < best) {
      best = c[i].L;
      k = i;
    }
  }
  return best >= lenNoSolution ? -1 : k;
}

}  // namespace

int candidates(const Pose& P0, const Pose& PF, double Ra, bool threeArcs,
               Candidate c[nRowsMax]) {
  const Frame g = frame(P0, PF, Ra);
  const Prune all;  // unused: every row is built
  const int rows = threeArcs ? nRowsMax : nRows;
  for (int i = 0; i < rows; ++i) {
    c[i] = Candidate{};
    c[i].L = lenUnbuilt;
    for (int j = 0; j < 3; ++j) c[i].dir[j] = kDir[i][j];
    c[i].r = Ra;
  }
  row0<true>(g, c[0]);
  if (c[0].L >= lenNoSolution) {
    row1<true>(g, c[1]);
  } else {
    c[1].L = lenNoSolution;
  }
  row2<true>(g, c[2]);
  row3<true>(g, c[3]);
  row4<true>(g, c[4]);
  if (c[4].L >= lenNoSolution) {
    row5<true>(g, c[5]);
  } else {
    c[5].L = lenNoSolution;
  }
  row6<true>(g, c[6], all);
  row7<true>(g, c[7], all);
  rowsingle<true>(g, c);
  if (threeArcs) {
    rowthree<true>(g, 1, c[12], all);
    rowthree<true>(g, -1, c[13], all);
  }
  return rows;
}

int planjoin(const Pose& P0, const Pose& PF, double Ra, bool threeArcs, Word& w, double& r) {
  const Frame g = frame(P0, PF, Ra);
  Prune p;
  p.turnL = leastturn(g.thf - g.th0);
  p.turnR = leastturn(g.th0 - g.thf);
  p.turnMin = smaller(p.turnL, p.turnR);
  p.scale = Ra * (1 + std::fabs(g.th0) + std::fabs(g.thf)) + std::fabs(P0.x) + std::fabs(P0.y) +
            std::fabs(PF.x) + std::fabs(PF.y);
  p.tol = g.tol;
  const int rows = threeArcs ? nRowsMax : nRows;
  // Only what the selection reads is set: the lengths, the radii, and the
  // segments as a row stores them (rows 12 and 13 compare whole candidates).
  Candidate c[nRowsMax];
  for (int i = 0; i < rows; ++i) {
    if (i >= nRows) c[i] = Candidate{};
    c[i].L = lenUnbuilt;
    c[i].r = Ra;
  }
  const auto built = [&](int i) { p.best = c[i].L < p.best ? c[i].L : p.best; };

  // The rows of an arc, a line and an arc first, in the order of their
  // bounds: the first is most often the shortest and bounds the rest.
  using Row = void (*)(const Frame&, Candidate&);
  constexpr int kArcLineArc = 4;
  constexpr int first[kArcLineArc] = {0, 2, 3, 4};
  constexpr Row build[kArcLineArc] = {row0<false>, row2<false>, row3<false>, row4<false>};
  const Bound bound[kArcLineArc] = {bound0(g, p), bound2(g, p), bound3(g, p), bound4(g, p)};
  const auto key = [&](int i) { return std::isnan(bound[i].L) ? -lenBackward : bound[i].L; };
  int order[kArcLineArc] = {0, 1, 2, 3};
  std::sort(order, order + kArcLineArc, [&](int i, int j) { return key(i) < key(j); });
  for (const int i : order) {
    Candidate& row = c[first[i]];
    if (bound[i].L >= lenNoSolution || p.beyond(bound[i].L, bound[i].line, Ra)) {
      row.L = bound[i].L;
    } else {
      build[i](g, row);
    }
    built(first[i]);
  }
  if (c[0].L >= lenNoSolution) {
    row1<false>(g, c[1]);
  } else {
    c[1].L = lenNoSolution;
  }
  built(1);
  if (c[4].L >= lenNoSolution) {
    row5<false>(g, c[5]);
  } else {
    c[5].L = lenNoSolution;
  }
  built(5);
  row6<false>(g, c[6], p);
  built(6);
  row7<false>(g, c[7], p);
  built(7);
  rowsingle<false>(g, c);
  for (int i = 8; i < nRows; ++i) built(i);
  if (threeArcs) {
    rowthree<false>(g, 1, c[12], p);
    built(12);
    rowthree<false>(g, -1, c[13], p);
  }
  const int k = adopt(c, rows);
  if (k < 0) return -1;
  w.n = 3;
  for (int j = 0; j < 3; ++j) w.seg[j] = Segment{static_cast<int>(kDir[k][j]), 1, c[k].seg[j]};
  w.length = c[k].L;
  w.cost = c[k].L;
  r = c[k].r;
  return k;
}

namespace {

void setpose(Pose& P, const double p[3]) {
  P.x = p[0];
  P.y = p[1];
  P.th = p[2];
}

// The adopted row into the path; the end pose gets its length.
void publish(const Model& m, int k, const Candidate& w, const Pose& P0, Pose& PF, ArcPath& a) {
  a.reset(3);
  a.krow = k;
  for (int j = 0; j < 3; ++j) a.sgnK[j] = static_cast<int>(w.dir[j]);
  a.P0 = P0;
  setpose(a.Pj[0], w.p1);
  setpose(a.Pj[1], w.p2);
  a.Rarc = w.r;
  a.Karc = 1 / a.Rarc;
  for (int j = 0; j < 3; ++j) a.s[j] = w.seg[j];
  PF.s = w.L;
  a.Pf = PF;
  a.sf = w.L;
  a.phiArc = std::atan2(m.Lw, a.Rarc);
  for (int j = 0; j < 3; ++j) {
    if (a.sgnK[j] == 0) {
      a.Kseg[j] = 0;
      a.phiSeg[j] = 0;
    } else {
      a.Kseg[j] = 1 / a.Rarc;
      a.phiSeg[j] = std::atan2(m.Lw, a.Rarc);
    }
  }
}

// The segments at(j) = (k, dir, len), j < n, of arcs of radius m.Ra and lines, as the path model
// holds them: no row, the joints driven to from P0, the length `length`; the end driven to.
template <class At>
Pose publishsegments(const Model& m, const Pose& P0, int n, At at, double length, ArcPath& a) {
  a.reset(n);
  a.krow = -1;
  a.P0 = P0;
  a.Rarc = m.Ra;
  a.Karc = 1 / a.Rarc;
  a.phiArc = std::atan2(m.Lw, a.Rarc);
  Pose q = P0;
  for (int j = 0; j < n; ++j) {
    const Segment g = at(j);
    a.sgnK[j] = g.k;
    a.drive[j] = g.dir;
    a.s[j] = g.len;
    a.Kseg[j] = g.k == 0 ? 0 : a.Karc;
    a.phiSeg[j] = g.k == 0 ? 0 : a.phiArc;
    Word one;
    one.n = 1;
    one.seg[0] = g;
    q = drive(q, one, m.Ra);
    if (j + 1 < n) a.Pj[j] = q;
  }
  a.sf = length;
  return q;
}

// The path of least cost that may back up (a change from the direction `from` at P0 costing as
// any); 0 when there is none (lengths beyond the range of the numbers).
int publishreverse(const Model& m, const Pose& P0, Pose& PF, ArcPath& a, int from) {
  Word w;
  reedsshepp(P0, PF, m.Ra, m.reverseCost, m.cuspCost, w, from);
  if (!std::isfinite(w.length)) return 0;
  publishsegments(m, P0, w.n, [&w](int j) { return w.seg[j]; }, w.length, a);
  PF.s = w.length;
  a.Pf = PF;
  return 1;
}

}  // namespace

int ArcPath::cusps() const {
  int n = 0;
  for (int j = 1; j < nseg; ++j) n += drive[j] != drive[j - 1] ? 1 : 0;
  return n;
}

void calsegments(const Model& m, const Pose& P0, const std::vector<PathSegment>& segs, Pose& PF,
                 ArcPath& path) {
  const auto at = [&segs](int j) {
    const PathSegment& g = segs[static_cast<size_t>(j)];
    return Segment{g.k, g.drive, g.len};
  };
  double length = 0.0;
  for (const PathSegment& g : segs) length += g.len;
  PF = publishsegments(m, P0, static_cast<int>(segs.size()), at, length, path);
  PF.s = length;
  path.Pf = PF;
}

int calPTP(const Model& m, const Pose& P0, Pose& PF, ArcPath& path, int from) {
  if (m.reverse != 0) return publishreverse(m, P0, PF, path, from);
  Candidate c[nRowsMax];
  const int k = adopt(c, candidates(P0, PF, m.Ra, m.threeArcs != 0, c));
  if (k < 0) return 0;
  publish(m, k, c[k], P0, PF, path);
  return 1;
}

}  // namespace agv
