#include "motion/tracked.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "motion/control.h"
#include "motion/vehicle.h"

namespace agv {

namespace {

// A chord shorter than this share of the path's step tells no curvature: a line.
constexpr double kShortChord = 1e-3;
// An arc that turns less than this [rad] is a line: its centre would lie too far off for the
// numbers to place the nearest point.
constexpr double kStraight = 1e-9;

// The arc from one record of the path to the next: its start, the unit vector of its heading
// there, its curvature (0: a line), its length, and for an arc its radius (negative turning
// right) and centre.
struct Seg {
  double x, y, th, ux, uy, k, len, r, cx, cy;
};

template <class R>
Seg segment(const PathRecs<R>& p, size_t i, double shortest) {
  const R& a = p.rec[i];
  const R& b = p.rec[i + 1];
  const double th = p.back ? a.th + std::numbers::pi : a.th;  // the direction of travel
  Seg g{a.x, a.y, th, std::cos(th), std::sin(th), 0.0, 0.0, 0.0, 0.0, 0.0};
  const double cx = b.x - a.x;
  const double cy = b.y - a.y;
  const double chord2 = cx * cx + cy * cy;
  g.len = std::sqrt(chord2);
  // Nor does a step that takes no time: where two legs of a route meet, the last record of one
  // (its reference run's end, as near its waypoint as the run comes: up to some tenths of a
  // millimetre off on a clothoid-line leg, behind it or beside it) and the first of the next
  // (on the waypoint).  An arc through both would be a loop.
  if (g.len <= shortest || b.t == a.t) return g;
  // The circle tangent to the heading at a through b: the chord leaves the heading at gam
  // (sin gam = cross / chord), and the arc turns 2 gam.
  const double cross = g.ux * cy - g.uy * cx;
  const double along = g.ux * cx + g.uy * cy;
  // A chord this close to the heading is a line, its angle (below kStraight / 4) not measured.
  if (along > 0.0 && std::fabs(cross) < 0.25 * kStraight * along) return g;
  const double gam = std::atan2(cross, along);
  if (std::fabs(2.0 * gam) < kStraight) return g;
  g.k = 2.0 * cross / chord2;
  g.len = chord2 * gam / cross;
  g.r = 1.0 / g.k;
  g.cx = g.x - g.uy * g.r;
  g.cy = g.y + g.ux * g.r;
  return g;
}

// The point of g's circle (or line) nearest to p, with sig outside 0 ... len where it lies
// beyond the arc.
Foot footon(const Seg& g, double px, double py) {
  if (g.k == 0.0) {
    const double dx = px - g.x;
    const double dy = py - g.y;
    return {dx * g.ux + dy * g.uy, g.th, 0.0, g.ux * dy - g.uy * dx};
  }
  const double ax = g.x - g.cx;  // the arc's start and p seen from the centre
  const double ay = g.y - g.cy;
  const double vx = px - g.cx;
  const double vy = py - g.cy;
  const double phi = std::atan2(ax * vy - ay * vx, ax * vx + ay * vy);
  const double d = std::sqrt(vx * vx + vy * vy);
  return {phi * g.r, g.th + phi, g.k, g.k > 0.0 ? g.r - d : g.r + d};
}

// The end of g at sig (0 or its length) as the nearest point of p: e its signed distance.
Foot endfoot(const Seg& g, double sig, double px, double py) {
  double x = g.x + sig * g.ux;
  double y = g.y + sig * g.uy;
  double th = g.th;
  if (g.k != 0.0) {
    const double phi = g.k * sig;
    const double ax = g.x - g.cx;
    const double ay = g.y - g.cy;
    x = g.cx + ax * std::cos(phi) - ay * std::sin(phi);
    y = g.cy + ax * std::sin(phi) + ay * std::cos(phi);
    th = g.th + phi;
  }
  const double across = -(px - x) * std::sin(th) + (py - y) * std::cos(th);
  const double d = std::hypot(px - x, py - y);
  return {sig, th, g.k, across < 0.0 ? -d : d};
}

// The arcs of a path as a run visits them, each worked out once while the run's points (the
// AGV's, its front axle's, its goal's) lie near one another: kept by index, the last kWays.
template <class R>
struct Segs {
  static constexpr size_t kWays = 128;
  const PathRecs<R>* p;
  double shortest;
  size_t at[kWays];
  Seg seg[kWays];

  Segs(const PathRecs<R>* path, double s) : p(path), shortest(s) {
    std::fill(at, at + kWays, static_cast<size_t>(-1));
  }
  const Seg& get(size_t i) {
    const size_t w = i & (kWays - 1);
    if (at[w] != i) {
      seg[w] = segment(*p, i, shortest);
      at[w] = i;
    }
    return seg[w];
  }
};

// Where on the path a moving point is nearest, found from where it was last: the arc it lies
// on, walked forward (or back) from the last one, so that each step costs a few arcs.
template <class R>
struct Cursor {
  Segs<R>* segs;
  const PathRecs<R>* p = segs->p;
  size_t i = 0;
  Seg g = segs->get(0);

  void move(size_t to) {
    i = to;
    g = segs->get(i);
  }

  // The nearest point to (px, py); `end` when it lies at or beyond the path's end.
  Foot near(double px, double py, bool& end) {
    Foot f = footon(g, px, py);
    bool ahead = false;
    while (f.sig > g.len && i + 2 < p->n) {
      move(i + 1);
      f = footon(g, px, py);
      ahead = true;
    }
    while (!ahead && f.sig < 0.0 && i > 0) {
      move(i - 1);
      f = footon(g, px, py);
    }
    end = i + 2 >= p->n && f.sig >= g.len;
    // Beyond the path's ends the path goes on as its end arcs do; between two arcs the point
    // nearest is where they meet.
    if (f.sig < 0.0 && i > 0) return endfoot(g, 0.0, px, py);
    if (f.sig > g.len && !end) return endfoot(g, g.len, px, py);
    return f;
  }
};

// Pure pursuit's goal: the point of the path ahead of the nearest one at the distance L from
// (px, py), or the path's end where that lies nearer.  j, the arc the goal lay on, only moves
// on.
template <class R>
struct Lookahead {
  Segs<R>* segs;
  const PathRecs<R>* p = segs->p;
  size_t j = 0;

  void goal(size_t from, double px, double py, double L, double& gx, double& gy) {
    const R* rec = p->rec;
    const auto far = [&](size_t q) {
      const double dx = rec[q].x - px;
      const double dy = rec[q].y - py;
      return dx * dx + dy * dy >= L * L;
    };
    j = std::max(j, from);
    while (j + 2 < p->n && !far(j + 1)) ++j;
    gx = rec[j + 1].x;
    gy = rec[j + 1].y;
    if (!far(j + 1) || far(j)) return;  // the end within L, or no crossing on this arc
    const Seg& g = segs->get(j);
    double sig = -1.0;
    if (g.k == 0.0) {
      // |a + sig u - p| = L, the larger root: where the path leaves the circle around p.
      const double wx = g.x - px;
      const double wy = g.y - py;
      const double b = wx * g.ux + wy * g.uy;
      const double disc = b * b - (wx * wx + wy * wy - L * L);
      if (disc >= 0.0) sig = -b + std::sqrt(disc);
      if (sig < 0.0 || sig > g.len) return;
      gx = g.x + sig * g.ux;
      gy = g.y + sig * g.uy;
      return;
    }
    // The two circles, the arc's and the one of radius L around p, cross where the arc leaves
    // the latter.
    const double r = g.r;
    const double rho = std::fabs(r);
    const double ax = g.x - g.cx;  // the arc's start seen from its centre
    const double ay = g.y - g.cy;
    const double cx = g.cx;
    const double cy = g.cy;
    const double dx = px - cx;
    const double dy = py - cy;
    const double d = std::sqrt(dx * dx + dy * dy);
    if (d == 0.0 || d > rho + L || d < std::fabs(rho - L)) return;
    const double along = (rho * rho - L * L + d * d) / (2.0 * d);
    const double h = std::sqrt(std::max(0.0, rho * rho - along * along));
    const double ex = dx / d;
    const double ey = dy / d;
    for (double sgn : {1.0, -1.0}) {
      const double xx = along * ex - sgn * h * ey;
      const double yy = along * ey + sgn * h * ex;
      const double s = std::atan2(ax * yy - ay * xx, ax * xx + ay * yy) * r;
      if (s >= 0.0 && s <= g.len && s > sig) {
        sig = s;
        gx = cx + xx;
        gy = cy + yy;
      }
    }
  }
};

// What one step's model reads: the steering, its curvature, the speed and the turn rate at
// the three times a Runge-Kutta-Gill step evaluates its model (the step's start, middle and
// end).  The steering turns from where it was towards the command held through the step, at
// the rate limit, and holds it once there; mechanism 1 takes its command at once.
struct Step {
  struct At {
    double phi, kap, v, w;
  } at[3];
  double h;
  double th0, c0, s0;  // the heading at the step's start, its cosine and sine
  double g;            // the driving direction: +1 forward, -1 backward
};

// A turn from the step's start below this [rad] takes its cosine and sine from their series,
// turned from the start's: a step turns by far less, and the series' next terms lie below the
// last bit.
constexpr double kSmallTurn = 1.0 / 16.0;

// The cosine and sine of the heading th within a step.
void sincosin(const Step& st, double th, double& c, double& s) {
  const double d = th - st.th0;
  if (!(std::fabs(d) <= kSmallTurn)) {
    c = std::cos(th);
    s = std::sin(th);
    return;
  }
  // sin d = d (1 - d^2/(2*3) (1 - d^2/(4*5) (1 - ...))), cos d = 1 - d^2/(1*2) (1 - d^2/(3*4) ...)
  const double e = d * d;
  const double sd = d * (1 - e * (1.0 / 6) * (1 - e * (1.0 / 20) * (1 - e * (1.0 / 42) * (1 - e * (1.0 / 72) * (1 - e * (1.0 / 110))))));
  const double cd = 1 - e * 0.5 * (1 - e * (1.0 / 12) * (1 - e * (1.0 / 30) * (1 - e * (1.0 / 56) * (1 - e * (1.0 / 90) * (1 - e * (1.0 / 132))))));
  c = st.c0 * cd - st.s0 * sd;
  s = st.s0 * cd + st.c0 * sd;
}

Step::At steering(const Model& m, int type, double phi, double kap) {
  const double V = m.Vmax;
  if (type == M2DW1C) return {phi, kap, V, V * kap};
  const double k = std::tan(phi) / m.Lw;
  return {phi, k, refspeed(type, V, phi),
          type == M1FDW1FS ? V * std::sin(phi) / m.Lw : V * k};
}

// The step from the steering `start` (the last step's end) under the command delta.
Step stepof(const Model& m, int type, double h, const Step::At& start, double delta, double kap) {
  Step st{};
  st.h = h;
  if (type == M2DW1C) {
    st.at[0] = st.at[1] = st.at[2] = steering(m, type, delta, kap);
    return st;
  }
  st.at[0] = start;
  const double phi0 = start.phi;
  for (int i = 1; i < 3; ++i) {
    const double reach = m.steerRate * (0.5 * h * i);
    const double phi = phi0 + std::clamp(delta - phi0, -reach, reach);
    st.at[i] = phi == st.at[i - 1].phi ? st.at[i - 1] : steering(m, type, phi, kap);
  }
  return st;
}

void stepmodel(const Step& st, double t, VarState& r, double d[4]) {
  const Step::At& a = st.at[t == 0.0 ? 0 : t < st.h ? 1 : 2];
  double c = st.c0;
  double sn = st.s0;
  if (t != 0.0) sincosin(st, r.th, c, sn);
  r.phi = a.phi;
  r.kap = a.kap;
  const double gv = st.g * a.v;
  d[0] = a.v;
  d[1] = st.g * a.w;
  d[2] = gv * c;
  d[3] = gv * sn;
}

// One Runge-Kutta-Gill step h of r under the command cmd, its steering turning toward it from
// `steer` (left where the step ends it); c0 and s0 the cosine and sine of r's heading, g the
// driving direction.
void drive(const Model& m, int type, double h, const Steer& cmd, double c0, double s0, double g,
           Step::At& steer, Record& r) {
  Step st = stepof(m, type, h, steer, cmd.delta, cmd.kap);
  st.g = g;
  st.th0 = r.th;
  st.c0 = c0;
  st.s0 = s0;
  steer = st.at[2];
  Record next;
  rkgfree(h, [&st](double ts, VarState& y, double* d) { stepmodel(st, ts, y, d); }, r, next);
  r = next;
}

// One step standing: the steering turns toward the command at the rate limit.
void turnstanding(const Model& m, int type, double h, const Steer& cmd, Step::At& steer,
                  Record& r) {
  const double reach = m.steerRate * h;
  steer = steering(m, type, steer.phi + std::clamp(cmd.delta - steer.phi, -reach, reach), 0.0);
  r.phi = steer.phi;
  r.kap = steer.kap;
}

// What lies ahead on a path for the controllers: pure pursuit's goal, sought from the arc the
// AGV's nearest point lies on, and the nearest point of the front axle, followed by a cursor
// of its own.
template <class R>
struct PathAhead {
  const Cursor<R>& near;
  Cursor<R> front;
  Lookahead<R> look;

  PathAhead(Segs<R>* segs, const Cursor<R>& n) : near(n), front{segs}, look{segs} {}
  void goal(double px, double py, double L, double& gx, double& gy) {
    look.goal(near.i, px, py, L, gx, gy);
  }
  Foot nearest(double px, double py) {
    bool end = false;
    return front.near(px, py, end);
  }
};

}  // namespace

Record trackstart(const Model& m, const Record& first) {
  const double c = std::cos(first.th);
  const double s = std::sin(first.th);
  Record r;
  r.t = first.t;
  r.x = first.x + m.offsetX * c - m.offsetY * s;
  r.y = first.y + m.offsetX * s + m.offsetY * c;
  r.th = first.th + m.offsetTh * (std::numbers::pi / 180.0);
  return r;
}

template <class R>
bool trackrun(const Model& m, int type, double h, const PathRecs<R>& path, const Record& start,
              long steps, std::vector<Record>& tr, std::vector<double>& xte, bool stand) {
  const Control control = controlof(m.controller);
  if (control == nullptr) return false;
  tr.reserve(tr.size() + path.n);
  xte.reserve(xte.size() + path.n);
  tr.push_back(start);
  if (path.n < 2) {  // a path of one point: the AGV is where it is
    xte.push_back(path.n == 0 ? 0.0 : std::hypot(start.x - path.rec[0].x, start.y - path.rec[0].y));
    return true;
  }
  Segs<R> segs(&path, kShortChord * m.Vmax * h);
  Cursor<R> near{&segs};
  PathAhead<R> onpath(&segs, near);
  const Ahead ahead(onpath);
  Record r = start;
  Step::At steer = steering(m, type, start.phi, 0.0);
  const double g = path.back ? -1.0 : 1.0;
  double t = 0.0;
  for (long n = 0;; ++n) {
    bool end = false;
    const Foot f = near.near(r.x, r.y, end);
    xte.push_back(f.e);
    if (end || n + 1 >= steps) return end;
    // The command from the pose at the step's start, held through the step.
    const double c0 = std::cos(r.th);
    const double s0 = std::sin(r.th);
    const Steer cmd = control(m, Vehicle{r.x, r.y, r.th, c0, s0, g * m.Vmax}, f, ahead);
    // Standing, the steering turns toward the command (the same from the same pose) first.
    stand = stand && type != M2DW1C && cmd.delta != steer.phi;
    if (stand) {
      turnstanding(m, type, h, cmd, steer, r);
    } else {
      drive(m, type, h, cmd, c0, s0, g, steer, r);
    }
    t += h;
    r.t = t + start.t;
    tr.push_back(r);
  }
}

// Whether the step from record i to record i + 1 drives backward: against record i's heading.
// A step of no length, or one that takes no time (where two legs of a route meet), keeps the
// direction `was`.
template <class R>
bool backward(const std::vector<R>& ref, size_t i, bool was) {
  if (ref[i + 1].t == ref[i].t) return was;
  const double along = (ref[i + 1].x - ref[i].x) * std::cos(ref[i].th) +
                       (ref[i + 1].y - ref[i].y) * std::sin(ref[i].th);
  return along == 0.0 ? was : along < 0.0;
}

// The stretch of one driving direction that starts at record `from`, driven backward when
// `back`: the record it ends on (a cusp, or the last record), and in `next` the direction after
// it.  Without `cusps` the whole path is one stretch.
template <class R>
size_t stretch(const std::vector<R>& ref, size_t from, bool back, bool cusps, bool& next) {
  next = back;
  if (!cusps) return ref.size() - 1;
  size_t to = from + 1;
  while (to + 1 < ref.size() && (next = backward(ref, to, back)) == back) ++to;
  return std::min(to, ref.size() - 1);
}

template <class R>
double maxcrosstrack(const std::vector<R>& ref, const std::vector<Record>& recs, bool cusps) {
  if (ref.size() < 2) return 0.0;
  // The path's step: its records' mean distance.
  double length = 0.0;
  for (size_t i = 1; i < ref.size(); ++i)
    length += std::hypot(ref[i].x - ref[i - 1].x, ref[i].y - ref[i - 1].y);
  const double shortest = kShortChord * length / static_cast<double>(ref.size() - 1);
  double most = 0.0;
  size_t from = 0;
  size_t n = 0;
  bool back = cusps && backward(ref, 0, false);
  while (true) {
    // Record n is measured against the stretch its own index falls in (recs run on the
    // reference's clock); the last stretch takes every record left.
    bool next = back;
    const size_t to = stretch(ref, from, back, cusps, next);
    const PathRecs<R> path{ref.data() + from, to + 1 - from, back};
    Segs<R> segs(&path, shortest);
    // The nearest point is sought from where the last record's lay, as the tracked run seeks
    // its own.  An AGV that strays metres off its path (beyond its radius of curvature), as the
    // open-loop one may and on a route carries on from leg to leg, can leave that search at a
    // point farther than the reference point of the same time (beyond the precision of the
    // arcs); then it is sought from the reference point too, a search that ends no farther than
    // where it starts, and the nearer counts.
    Cursor<R> near{&segs};
    Cursor<R> at{&segs};
    const size_t last = to + 1 >= ref.size() ? recs.size() : std::min(to + 1, recs.size());
    for (; n < last; ++n) {
      bool end = false;
      double e = std::fabs(near.near(recs[n].x, recs[n].y, end).e);
      if (n < ref.size() && e > std::hypot(recs[n].x - ref[n].x, recs[n].y - ref[n].y) + shortest) {
        at.move(std::min(n - from, path.n - 2));
        e = std::min(e, std::fabs(at.near(recs[n].x, recs[n].y, end).e));
      }
      most = std::max(most, e);
    }
    if (to + 1 >= ref.size() || n >= recs.size()) return most;
    from = to;
    back = next;
  }
}

namespace {

// The tracked run over the whole path, split at its cusps: each stretch of one driving
// direction is followed to its end, where the AGV stops, turns its steering to the command of
// the next stretch, and drives on the other way.
template <class R>
void trackon(const Model& m, int k, double h, long steps, const std::vector<R>& ref,
             std::vector<Record>& tr, std::vector<double>& xte) {
  tr.clear();
  xte.clear();
  if (m.controller == NoController || ref.empty()) return;
  Record start = trackstart(m, ref.front());
  // Only a path that may back up has cusps to look for.
  const bool cusps = m.reverse != 0;
  size_t from = 0;
  bool back = cusps && ref.size() > 1 && backward(ref, 0, false);
  while (true) {
    bool next = back;
    const size_t to = stretch(ref, from, back, cusps, next);
    const long left = steps - static_cast<long>(tr.size());
    const PathRecs<R> path{ref.data() + from, std::min(to + 1, ref.size()) - from, back};
    if (!trackrun(m, k + 1, h, path, start, left, tr, xte, from > 0) || to + 1 >= ref.size())
      return;
    // The cusp's record starts the next stretch.
    start = tr.back();
    tr.pop_back();
    xte.pop_back();
    from = to;
    back = next;
  }
}

}  // namespace

void trackruns(const Model& m, int k, double h, long steps, Runs& runs) {
  trackon(m, k, h, steps, runs.ref, runs.tr, runs.xte);
}

void trackruns(const Model& m, int k, double h, long steps, CpRuns& runs) {
  trackon(m, k, h, steps, runs.ref, runs.tr, runs.xte);
}

long trackbound(const Params& p, double used, int runs, long bound) {
  const double spare = p.maxMemory * kMiB - used;
  const double fit = std::floor(spare / (runs * kTrackRecord));
  return fit < static_cast<double>(bound) ? std::max(1L, static_cast<long>(fit)) : bound;
}

template bool trackrun(const Model&, int, double, const PathRecs<Record>&, const Record&, long,
                       std::vector<Record>&, std::vector<double>&, bool);
template bool trackrun(const Model&, int, double, const PathRecs<CurveRecord>&, const Record&,
                       long, std::vector<Record>&, std::vector<double>&, bool);
template double maxcrosstrack(const std::vector<Record>&, const std::vector<Record>&, bool);
template double maxcrosstrack(const std::vector<CurveRecord>&, const std::vector<Record>&, bool);

}  // namespace agv
