// Collisions of the body with a map: a look-up of the circle round the body, and where that
// does not clear it, the exact test of the rectangle against the cells, row by row.
#include "map/collide.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace agv {

namespace {

// The body in the map's frame, in cells: its centre, the direction it faces, and half its length
// and width.
struct Body {
  double cx = 0.0;
  double cy = 0.0;
  double c = 1.0;
  double s = 0.0;
  double a = 0.0;
  double b = 0.0;
};

// The body at world pose (x, y, th).
Body place(const MapIndex& ix, double x, double y, double th) {
  const double dx = x - ix.x, dy = y - ix.y;
  const double u = (ix.cosYaw * dx + ix.sinYaw * dy) / ix.resolution;
  const double v = (ix.cosYaw * dy - ix.sinYaw * dx) / ix.resolution;
  Body b;
  b.c = std::cos(th - ix.yaw);
  b.s = std::sin(th - ix.yaw);
  b.cx = u + ix.ahead * b.c;
  b.cy = v + ix.ahead * b.s;
  b.a = ix.halfLength;
  b.b = ix.halfWidth;
  return b;
}

// Whether the body's centre lies inside the map (false for a centre that is not finite): a
// body whose centre lies outside reaches out of the map.
bool inside(const MapIndex& ix, const Body& b) {
  return b.cx > 0 && b.cx < ix.width && b.cy > 0 && b.cy < ix.height;
}

std::size_t cellindex(const MapIndex& ix, int c, int r) {
  return static_cast<std::size_t>(r + 1) * static_cast<std::size_t>(ix.width + 2) +
         static_cast<std::size_t>(c + 1);
}

Contact outside() {
  Contact k;
  k.touch = Touch::Outside;
  return k;
}

// The span [lo, hi] of x over the part of the polygon p (n corners) with y in [y0, y1]: the
// ends of its edges clipped to the strip.
void span(const double (*p)[2], int n, double y0, double y1, double& lo, double& hi) {
  lo = HUGE_VAL;
  hi = -HUGE_VAL;
  auto take = [&](double x) {
    lo = std::min(lo, x);
    hi = std::max(hi, x);
  };
  for (int i = 0; i < n; ++i) {
    const double* e = p[i];
    const double* f = p[(i + 1) % n];
    const double dy = f[1] - e[1];
    if (dy == 0) {
      if (e[1] >= y0 && e[1] <= y1) {
        take(e[0]);
        take(f[0]);
      }
      continue;
    }
    const double ta = (y0 - e[1]) / dy, tb = (y1 - e[1]) / dy;
    const double t0 = std::max(0.0, std::min(ta, tb)), t1 = std::min(1.0, std::max(ta, tb));
    if (t0 > t1) continue;
    take(e[0] + t0 * (f[0] - e[0]));
    take(e[0] + t1 * (f[0] - e[0]));
  }
}

// The exact test: the body, shrunk by kTouch on every side, against the map's edges, then
// against the interior of every cell it spans, row by row; a free cell's distance skips the
// cells of its row that cannot be blocked.
Contact exact(const MapIndex& ix, const Body& b) {
  const double touch = kTouch / ix.resolution;
  const double ea = b.a - touch, eb = b.b - touch;
  const double ax = ea * b.c, ay = ea * b.s;    // half the length, along the heading
  const double bx = -eb * b.s, by = eb * b.c;  // half the width, to the left
  const double p[4][2] = {{b.cx + ax + bx, b.cy + ay + by},
                          {b.cx - ax + bx, b.cy - ay + by},
                          {b.cx - ax - bx, b.cy - ay - by},
                          {b.cx + ax - bx, b.cy + ay - by}};
  double xlo = p[0][0], xhi = p[0][0], ylo = p[0][1], yhi = p[0][1];
  for (const auto& q : p) {
    xlo = std::min(xlo, q[0]);
    xhi = std::max(xhi, q[0]);
    ylo = std::min(ylo, q[1]);
    yhi = std::max(yhi, q[1]);
  }
  // Out of the map before anything in it.
  if (xlo < 0 || xhi > ix.width || ylo < 0 || yhi > ix.height) return outside();
  // A cell [c, c + 1] x [r, r + 1] has interior points in common with the body when the body
  // spans more than its edges: r from floor(ylo) to ceil(yhi) - 1, and so along the row.
  const int r0 = static_cast<int>(std::floor(ylo)), r1 = static_cast<int>(std::ceil(yhi)) - 1;
  for (int r = r0; r <= r1; ++r) {
    double lo = 0, hi = 0;
    span(p, 4, std::max(ylo, static_cast<double>(r)), std::min(yhi, r + 1.0), lo, hi);
    if (!(lo <= hi)) continue;
    // Within the map (a clipped edge may round a hair past the body's corners).
    const int c0 = std::max(0, static_cast<int>(std::floor(lo)));
    const int c1 = std::min(ix.width - 1, static_cast<int>(std::ceil(hi)) - 1);
    const std::uint16_t* d = &ix.dist[cellindex(ix, 0, r)];
    for (int c = c0; c <= c1;) {
      const int k = d[c];
      if (k != 0) {
        c += k;
        continue;
      }
      Contact h;
      h.touch = Touch::Occupied;
      h.col = c;
      h.row = ix.height - 1 - r;
      return h;
    }
  }
  return Contact{};
}

// One check: outside when the centre is, clear when the circle round the body is, else exact.
Contact check(const MapIndex& ix, double x, double y, double th) {
  const Body b = place(ix, x, y, th);
  if (!inside(ix, b)) return outside();
  const int c = static_cast<int>(b.cx), r = static_cast<int>(b.cy);
  if (ix.dist[cellindex(ix, c, r)] >= ix.clearDistance) return Contact{};
  return exact(ix, b);
}

// Contact k at sample i of pose (x, y, th), distance s and time t.
Contact at(Contact k, long i, double t, double s, double x, double y, double th) {
  k.index = i;
  k.t = t;
  k.s = s;
  k.x = x;
  k.y = y;
  k.th = th;
  return k;
}

// The number of even steps at most `spacing` long over len; -1 for a segment that is not finite
// (or of more than kMaxSteps steps).
long steps(double len, double spacing) {
  const double n = std::ceil(len / spacing);
  if (!(len >= 0 && n <= kMaxSteps)) return -1;
  return std::max(1L, static_cast<long>(n));
}

}  // namespace

Pose along(const Pose& a, double kap, double sd) {
  Pose q = a;
  if (kap == 0) {
    q.x += sd * std::cos(a.th);
    q.y += sd * std::sin(a.th);
  } else {
    q.th = a.th + kap * sd;
    q.x += (std::sin(q.th) - std::sin(a.th)) / kap;
    q.y += (std::cos(a.th) - std::cos(q.th)) / kap;
  }
  return q;
}

Contact exactcontact(const MapIndex& ix, double x, double y, double th) {
  const Body b = place(ix, x, y, th);
  return inside(ix, b) ? exact(ix, b) : outside();
}

Contact collides(const MapIndex& ix, double x, double y, double th) { return check(ix, x, y, th); }

Contact firstcontact(const MapIndex& ix, std::span<const Record> run) {
  for (std::size_t i = 0; i < run.size(); ++i) {
    const Record& q = run[i];
    if (const Contact k = check(ix, q.x, q.y, q.th))
      return at(k, static_cast<long>(i), q.t, q.s, q.x, q.y, q.th);
  }
  return Contact{};
}

Contact firstcontact(const MapIndex& ix, std::span<const Pose> path) {
  for (std::size_t i = 0; i < path.size(); ++i) {
    const Pose& q = path[i];
    if (const Contact k = check(ix, q.x, q.y, q.th))
      return at(k, static_cast<long>(i), 0.0, q.s, q.x, q.y, q.th);
  }
  return Contact{};
}

double samplespacing(const MapIndex& ix) { return ix.resolution / 2; }

Contact segmentcontact(const MapIndex& ix, const Pose& a, double kap, double len, int drive) {
  const long n = std::isfinite(kap) ? steps(len, samplespacing(ix)) : -1;
  if (n < 0) return at(outside(), 0, 0.0, a.s, a.x, a.y, a.th);
  for (long i = 0; i <= n; ++i) {
    const double d = len * static_cast<double>(i) / static_cast<double>(n);
    const Pose q = along(a, kap, drive * d);
    if (const Contact k = check(ix, q.x, q.y, q.th)) return at(k, i, 0.0, a.s + d, q.x, q.y, q.th);
  }
  return Contact{};
}

void samplesegment(const Pose& a, double kap, double len, int drive, double spacing,
                   std::vector<Pose>& out) {
  const long n = std::isfinite(kap) && spacing > 0 ? steps(len, spacing) : -1;
  for (long i = 0; i <= n; ++i) {
    const double d = len * static_cast<double>(i) / static_cast<double>(n);
    Pose q = along(a, kap, drive * d);
    q.s = a.s + d;
    out.push_back(q);
  }
}

}  // namespace agv
