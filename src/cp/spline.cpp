// The cubic spline through a track's points: the second derivatives at the knots from one
// tridiagonal system for x and y, then each segment as a polynomial.
#include "cp/spline.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace agv {

namespace {

// The six of a cubic spline's equations (the second derivative over a segment is linear).
constexpr double kSixth = 6.0;

// The segment of s holding u: the last one whose first knot is at or below u.
size_t segment(const Spline& s, double u) {
  const auto it = std::upper_bound(s.u.begin(), s.u.end(), u);
  const size_t i = it == s.u.begin() ? 0 : static_cast<size_t>(it - s.u.begin()) - 1;
  return std::min(i, s.x.size() - 1);
}

// One coordinate of the segment from v0 to v1 over h, with the second derivatives m0 and m1 at
// its ends.
Cubic cubic(double v0, double v1, double h, double m0, double m1) {
  return Cubic{v0, (v1 - v0) / h - h * (2 * m0 + m1) / kSixth, m0 / 2, (m1 - m0) / (kSixth * h)};
}

}  // namespace

double chordlength(const Track& t) {
  double sum = 0.0;
  for (size_t i = 1; i < t.points.size(); ++i)
    sum += std::hypot(t.points[i].x - t.points[i - 1].x, t.points[i].y - t.points[i - 1].y);
  return sum;
}

void splinethrough(const Track& t, double scale, Spline& s) {
  const std::vector<TrackPoint>& p = t.points;
  const size_t n = p.size();
  s.u.assign(n, 0.0);
  for (size_t i = 1; i < n; ++i)
    s.u[i] = s.u[i - 1] + std::hypot(p[i].x - p[i - 1].x, p[i].y - p[i - 1].y) / scale;
  // The system of the second derivatives m: row i is lo[i] m[i-1] + di[i] m[i] + up[i] m[i+1]
  // = r[i] (for x and y), solved by elimination downward and substitution upward.
  std::vector<double> lo(n, 0.0), di(n, 1.0), up(n, 0.0), rx(n, 0.0), ry(n, 0.0);
  const auto h = [&](size_t i) { return s.u[i + 1] - s.u[i]; };
  const auto slope = [&](size_t i, double TrackPoint::*c) {
    return (p[i + 1].*c - p[i].*c) / h(i);
  };
  for (size_t i = 1; i + 1 < n; ++i) {
    lo[i] = h(i - 1);
    di[i] = 2 * (h(i - 1) + h(i));
    up[i] = h(i);
    rx[i] = kSixth * (slope(i, &TrackPoint::x) - slope(i - 1, &TrackPoint::x));
    ry[i] = kSixth * (slope(i, &TrackPoint::y) - slope(i - 1, &TrackPoint::y));
  }
  if (t.th0Deg) {
    const double th = *t.th0Deg * DEG2RAD;
    di[0] = 2 * h(0);
    up[0] = h(0);
    rx[0] = kSixth * (slope(0, &TrackPoint::x) - scale * std::cos(th));
    ry[0] = kSixth * (slope(0, &TrackPoint::y) - scale * std::sin(th));
  }
  if (t.thfDeg) {
    const double th = *t.thfDeg * DEG2RAD;
    lo[n - 1] = h(n - 2);
    di[n - 1] = 2 * h(n - 2);
    rx[n - 1] = kSixth * (scale * std::cos(th) - slope(n - 2, &TrackPoint::x));
    ry[n - 1] = kSixth * (scale * std::sin(th) - slope(n - 2, &TrackPoint::y));
  }
  for (size_t i = 1; i < n; ++i) {
    const double f = lo[i] / di[i - 1];
    di[i] -= f * up[i - 1];
    rx[i] -= f * rx[i - 1];
    ry[i] -= f * ry[i - 1];
  }
  std::vector<double>& mx = rx;
  std::vector<double>& my = ry;
  mx[n - 1] = rx[n - 1] / di[n - 1];
  my[n - 1] = ry[n - 1] / di[n - 1];
  for (size_t i = n - 1; i-- > 0;) {
    mx[i] = (rx[i] - up[i] * mx[i + 1]) / di[i];
    my[i] = (ry[i] - up[i] * my[i + 1]) / di[i];
  }
  s.x.resize(n - 1);
  s.y.resize(n - 1);
  for (size_t i = 0; i + 1 < n; ++i) {
    s.x[i] = cubic(p[i].x, p[i + 1].x, h(i), mx[i], mx[i + 1]);
    s.y[i] = cubic(p[i].y, p[i + 1].y, h(i), my[i], my[i + 1]);
  }
}

void splineat(const Spline& s, double u, double P[2], double D[2], double E[2]) {
  const size_t i = segment(s, u);
  const double t = u - s.u[i];
  const Cubic* c[2] = {&s.x[i], &s.y[i]};
  for (int k = 0; k < 2; ++k) {
    const Cubic& q = *c[k];
    if (P != nullptr) P[k] = q.a + t * (q.b + t * (q.c + t * q.d));
    if (D != nullptr) D[k] = q.b + t * (2 * q.c + t * (3 * q.d));
    if (E != nullptr) E[k] = 2 * q.c + t * (6 * q.d);
  }
}

double nextknot(const Spline& s, double u) {
  const auto it = std::upper_bound(s.u.begin(), s.u.end(), u);
  return it == s.u.end() ? std::numeric_limits<double>::infinity() : *it;
}

}  // namespace agv
