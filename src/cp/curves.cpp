// CP curve catalogue: evaluation of the nine curves, their derived
// constants, ranges, start and end poses, and the arc length.
#include "cp/curves.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "cp/spline.h"
#include "ptp/clothoid.h"

namespace agv {

namespace {

constexpr double kPanel = 0.002;      // nominal Simpson panel of the arc length [parameter]
constexpr double kCuspN = 1e-8;       // r^2 + r'^2 at or below this: the curve stops at the origin
constexpr double kCuspShift = 0.001;  // where the curvature of such a point is taken instead
constexpr double kCurvCap = 50.0;     // largest curvature given at such a point [1/m]
constexpr double kRoseTol = 0.001;    // tolerance of the even-integer test of the rose
constexpr double kRoseInv = 1.01;     // numerator of the lobe count of a rose with n < 1
// The relative error the measured length aims at.
constexpr double kLenTol = 1e-9;

bool isgraph(int I) { return I >= 1 && I <= 4; }

// Graph curves y = f(x): y, dy/dx and d2y/dx2.
double gy(double x, const CurveModel& c) {
  switch (c.I) {
    case 1:
      return c.A * (1 - std::cos(c.w * x));
    case 2:
      return c.A * (x / c.L - std::sin(c.w * x) / PI2);
    case 3:
      return c.A * ((x / c.L) * (x / c.L));
    case 4:
      return c.A * ((x / c.L) * (x / c.L) * (x / c.L));
  }
  return 0.0;
}

double gy1(double x, const CurveModel& c) {
  switch (c.I) {
    case 1:
      return c.A * c.w * std::sin(c.w * x);
    case 2:
      return c.A * (1 - std::cos(c.w * x)) / c.L;
    case 3:
      return (2 * c.A / c.L) * (x / c.L);
    case 4:
      return (3 * c.A / c.L) * ((x / c.L) * (x / c.L));
  }
  return 0.0;
}

double gy2(double x, const CurveModel& c) {
  switch (c.I) {
    case 1:
      return c.A * (c.w * c.w) * std::cos(c.w * x);
    case 2:
      return (c.A * c.w / c.L) * std::sin(c.w * x);
    case 3:
      return 2 * c.A / (c.L * c.L);
    case 4:
      return (6 * c.A / (c.L * c.L)) * (x / c.L);
  }
  return 0.0;
}

// Polar curves r = f(beta): r, dr/dbeta and d2r/dbeta2, each by its own formula; the
// sines and cosines they share are taken once.
struct Polar {
  double r, r1, r2;
};

Polar polar(double b, const CurveModel& c) {
  switch (c.I) {
    case 11: {
      const double sn = std::sin(b), cs = std::cos(b);
      const double D = c.AA * (sn * sn) + c.BB * (cs * cs);
      return {c.AB / std::sqrt(D), -c.AB * c.dAB * cs * sn / (D * std::sqrt(D)),
              c.AB * c.dAB * ((sn * sn - cs * cs) + 3 * c.dAB * (cs * cs) * (sn * sn) / D) /
                  (D * std::sqrt(D))};
    }
    case 12:
      return {c.c12 * b, c.c12, 0.0};
    case 13: {
      const double cs = std::cos(b);
      return {c.A * (c.B - cs), c.A * std::sin(b), c.A * cs};
    }
    case 14: {
      const double nb = c.n * b;
      const double sn = std::sin(nb);
      return {c.A * sn, c.A * c.n * std::cos(nb), -(c.n * c.n) * c.A * sn};
    }
    case 16: {
      const double nb = c.n * b;
      const double cs = std::cos(nb);
      return {c.R + c.A * cs, -c.A * c.n * std::sin(nb), -c.A * (c.n * c.n) * cs};
    }
  }
  return {0.0, 0.0, 0.0};
}

// Range of the rose r = A sin(n beta).
double roserange(double n) {
  if (n >= 1) {
    if (n == 1.0 || 2 * std::trunc(n / 2 + kRoseTol) == n) return PI2;
    return PI;
  }
  const double k = std::trunc(kRoseInv / n);
  if (std::fmod(k, 2.0) == 0.0) return PI2 / n;
  return PI / n;
}

// End of the parameter range of curve c from its constants.
double rangeof(const CurveModel& c) {
  switch (c.I) {
    case 1:
      return c.L;
    case 2:
      return c.L;
    case 3:
      return c.L;
    case 4:
      return c.L;
    case 12:
      return PI2 * c.n;
    case 14:
      return roserange(c.n);
  }
  return PI2;
}

// Tangent heading of a polar curve at beta from r and r'.
double polarheading(double be, double re, double r1e) {
  return std::atan2(r1e * std::sin(be) + re * std::cos(be), r1e * std::cos(be) - re * std::sin(be));
}

// The derived constants of curve c.
void derive(CurveModel& c) {
  switch (c.I) {
    case 1:
      c.w = PI2 / c.L;
      break;
    case 2:
      c.w = PI2 / c.L;
      break;
    case 11:
      c.AA = c.A * c.A;
      c.BB = c.B * c.B;
      c.AB = c.A * c.B;
      c.dAB = c.A * c.A - c.B * c.B;
      break;
    case 12:
      c.c12 = c.A / PI2;
      break;
  }
}

void setpose(double* P, double x, double y, double th) {
  P[0] = x;
  P[1] = y;
  P[2] = th;
}

// The start and end poses of curve c (its derived constants set).
void poses(CurveModel& c) {
  setpose(c.P0, 0.0, 0.0, 0.0);
  switch (c.I) {
    case 1:
      setpose(c.Pf, c.L, 0.0, 0.0);
      break;
    case 2:
      setpose(c.Pf, c.L, c.A, 0.0);
      break;
    case 3:
      setpose(c.Pf, c.L, c.A, std::atan(2 * c.A / c.L));
      break;
    case 4:
      setpose(c.Pf, c.L, c.A, std::atan(3 * c.A / c.L));
      break;
    case 11:
      setpose(c.P0, c.A, 0.0, PI_2);
      setpose(c.Pf, c.A, 0.0, PI_2);
      break;
    case 12: {
      const double be = PI2 * c.n;
      const double re = c.c12 * be;
      const double r1e = c.c12;
      setpose(c.Pf, re * std::cos(be), re * std::sin(be), polarheading(be, re, r1e));
      break;
    }
    case 13:
      setpose(c.P0, (c.B - 1) * c.A, 0.0, PI_2);
      setpose(c.Pf, (c.B - 1) * c.A, 0.0, PI_2);
      break;
    case 14: {
      // The end point is the curve's own point at the end of the range:
      // the origin for the integer and reciprocal-integer n the menu
      // offers, elsewhere for other n >= 1.
      const double be = roserange(c.n);
      const double re = c.A * std::sin(c.n * be);
      const double r1e = c.A * c.n * std::cos(c.n * be);
      setpose(c.Pf, re * std::cos(be), re * std::sin(be), polarheading(be, re, r1e));
      break;
    }
    case 16: {
      const double be = PI2;
      const double re = c.R + c.A * std::cos(PI2 * c.n);
      const double r1e = -c.A * c.n * std::sin(PI2 * c.n);
      setpose(c.P0, c.R + c.A, 0.0, PI_2);
      setpose(c.Pf, re, 0.0, polarheading(be, re, r1e));
      break;
    }
  }
}

}  // namespace

bool iscurve(int I) { return nconsts(I) > 0; }

int nconsts(int I) {
  switch (I) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 11:
    case 12:
    case 14:
    case 16:
      return 2;
    case 13:
      return 1;
  }
  return 0;
}

CurveModel curvemodel(const Curve& k) {
  CurveModel c;
  c.I = k.I;
  switch (k.I) {
    case 1:
    case 2:
    case 3:
    case 4:
      c.A = k.a;
      c.L = k.b;
      break;
    case 11:
      c.A = k.a;
      c.B = k.b;
      break;
    case 13:
      c.A = k.a;
      c.B = cardioidB;
      break;
    case 12:
    case 14:
      c.A = k.a;
      c.n = k.b;
      break;
    case 16:
      c.R = wavyR;
      c.A = k.a;
      c.n = k.b;
      break;
  }
  return c;
}

CurveModel splinemodel(const Spline& sp) {
  CurveModel c;
  c.spline = &sp;
  c.uend = sp.u.back();
  const auto pose = [&sp](double u, double* P) {
    double D[2];
    splineat(sp, u, P, D, nullptr);
    P[2] = std::atan2(D[1], D[0]);
  };
  pose(0.0, c.P0);
  pose(c.uend, c.Pf);
  return c;
}

bool curvedefined(const Curve& k) { return curvdefined(curvemodel(k)); }

bool curvdefined(const CurveModel& c) {
  if (!iscurve(c.I)) return false;
  // Every divisor must be nonzero and every coefficient that the
  // evaluation forms finite; a polar curve must not shrink to the origin,
  // where it has neither tangent nor curvature (0/0).
  bool ok = true;
  switch (c.I) {
    case 1: {
      const double w = PI2 / c.L;
      ok = c.L != 0 && std::isfinite(c.A * (w * w));
      break;
    }
    case 2: {
      const double w = PI2 / c.L;
      ok = c.L != 0 && std::isfinite(c.A * w / c.L);
      break;
    }
    case 3:
      ok = c.L * c.L != 0 && std::isfinite(2 * c.A / (c.L * c.L));
      break;
    case 4:
      ok = c.L * c.L != 0 && std::isfinite(6 * c.A / (c.L * c.L));
      break;
    case 11:
      // D lies between A^2 and B^2; r is 0/0 where it vanishes.
      ok = c.A * c.A != 0 && c.B * c.B != 0 && std::isfinite(c.A * c.B * (c.A * c.A - c.B * c.B));
      break;
    case 12:
      ok = c.A / PI2 != 0;
      break;
    case 13:
      ok = c.A != 0;
      break;
    case 14:
      ok = c.A != 0 && c.n != 0 && std::isfinite((c.n * c.n) * c.A);
      break;
    case 16:
      ok = std::isfinite(c.A * (c.n * c.n));
      break;
  }
  // The range must be finite and countable in Simpson panels.
  const double ue = rangeof(c);
  return ok && std::isfinite(ue) &&
         ue / kPanel < static_cast<double>(std::numeric_limits<int>::max());
}

void curvsetup(CurveModel& c) {
  derive(c);
  poses(c);
  c.uend = rangeof(c);
}

double curvpt(double u, const CurveModel& c, double P[2]) {
  if (c.spline != nullptr) {
    splineat(*c.spline, u, P, nullptr, nullptr);
    return P[1];
  }
  if (isgraph(c.I)) {
    const double y = gy(u, c);
    P[0] = u;
    P[1] = y;
    return y;
  }
  const double r = polar(u, c).r;
  P[0] = r * std::cos(u);
  P[1] = r * std::sin(u);
  return r;
}

double curvd1(double u, const CurveModel& c, double D[3]) {
  if (c.spline != nullptr) {
    splineat(*c.spline, u, nullptr, D, nullptr);
    D[2] = std::atan2(D[1], D[0]);
    return D[1];
  }
  if (isgraph(c.I)) {
    const double y1 = gy1(u, c);
    D[0] = 1.0;
    D[1] = y1;
    D[2] = std::atan2(D[1], D[0]);
    return y1;
  }
  [[maybe_unused]] const auto [r, r1, r2] = polar(u, c);
  D[0] = r1 * std::cos(u) - r * std::sin(u);
  D[1] = r1 * std::sin(u) + r * std::cos(u);
  D[2] = std::atan2(D[1], D[0]);
  return r1;
}

double curvd2(double u, const CurveModel& c, double E[2]) {
  if (c.spline != nullptr) {
    splineat(*c.spline, u, nullptr, nullptr, E);
    return E[1];
  }
  if (isgraph(c.I)) {
    const double y2 = gy2(u, c);
    E[0] = 0.0;
    E[1] = y2;
    return y2;
  }
  const auto [r, r1, r2] = polar(u, c);
  E[0] = (r2 - r) * std::cos(u) - 2 * r1 * std::sin(u);
  E[1] = (r2 - r) * std::sin(u) + 2 * r1 * std::cos(u);
  return r2;
}

double curvk(double u, const CurveModel& c) {
  if (c.spline != nullptr) {
    double D[2], E[2];
    splineat(*c.spline, u, nullptr, D, E);
    const double N = D[0] * D[0] + D[1] * D[1];
    return (D[0] * E[1] - D[1] * E[0]) / (N * std::sqrt(N));
  }
  if (isgraph(c.I)) {
    const double y1 = gy1(u, c);
    const double y2 = gy2(u, c);
    return y2 / ((1 + y1 * y1) * std::sqrt(1 + y1 * y1));
  }
  // N = r^2 + r'^2 and M = r^2 + 2 r'^2 - r r'' at b.
  double N, M;
  const auto terms = [&](double b) {
    const auto [r, r1, r2] = polar(b, c);
    N = r * r + r1 * r1;
    M = r * r + 2 * (r1 * r1) - r * r2;
  };
  terms(u);
  if (std::fabs(N) > kCuspN) return M / (N * std::sqrt(N));
  // The curve passes the origin without speed: take the curvature just
  // after the point, capped from above.
  terms(u + kCuspShift);
  double kap = M / (N * std::sqrt(N));
  if (kap > kCurvCap) kap = kCurvCap * M / std::fabs(M);
  return kap;
}

double curvds(double u, const CurveModel& c) {
  if (c.spline != nullptr) {
    double D[2];
    splineat(*c.spline, u, nullptr, D, nullptr);
    return std::sqrt(D[0] * D[0] + D[1] * D[1]);
  }
  if (isgraph(c.I)) {
    const double y1 = gy1(u, c);
    return std::sqrt(1 + y1 * y1);
  }
  const Polar q = polar(u, c);
  return std::sqrt(q.r * q.r + q.r1 * q.r1);
}

double curvlen(double u0, double u1, const CurveModel& c) {
  const double d = u1 - u0;
  if (std::fabs(d) < kZeroWidth) return 0.0;
  double w;
  int n;
  calstep(d, kPanel, w, n);
  if (n == 0) {
    n = 1;
    w = d;
  }
  const double h = w / 2;
  double sum = 0.0;
  double a = u0;
  // The end of a panel is the start of the next: its rate is evaluated once.
  double fa = curvds(a, c);
  for (int i = 0; i < n; ++i) {
    const double fb = curvds(a + 2 * h, c);
    sum += fa + 4 * curvds(a + h, c) + fb;
    a = a + 2 * h;
    fa = fb;
  }
  return sum * h / 3;
}

namespace {

// A piece [a, b] of the measured length, with the speeds at its ends, quarters and middle:
// two Simpson panels, improved by Richardson's extrapolation against one, and the
// difference of the two as the estimate of its error.
struct Piece {
  double a, b;
  double f[5];
  double len, err;
};

Piece piece(double a, double b, double fa, double fm, double fb, const CurveModel& c) {
  const double m = (a + b) / 2;
  Piece p{a, b, {fa, curvds((a + m) / 2, c), fm, curvds((m + b) / 2, c), fb}, 0.0, 0.0};
  const double one = (b - a) / 6 * (fa + 4 * fm + fb);
  const double two = (b - a) / 12 * (p.f[0] + 4 * p.f[1] + 2 * p.f[2] + 4 * p.f[3] + p.f[4]);
  p.len = two + (two - one) / 15;
  p.err = std::fabs(two - one) / 15;
  return p;
}

}  // namespace

double curvpeak(double u, const CurveModel& c) {
  if (c.spline != nullptr) return nextknot(*c.spline, u);
  const double q = c.I == 11 ? std::numbers::pi / 2 : c.I == 1 ? c.L / 2 : 0.0;
  if (!(q > 0)) return std::numeric_limits<double>::infinity();
  double x = (std::floor(u / q) + 1) * q;
  if (x <= u) x += q;
  return x;
}

double curvlenx(double u0, double u1, const CurveModel& c, double abstol, int pieces, bool& ok) {
  ok = true;
  const double d = u1 - u0;
  if (std::fabs(d) < kZeroWidth) return 0.0;
  if (d < 0) return -curvlenx(u1, u0, c, abstol, pieces, ok);
  pieces = std::min(pieces, kPieces);
  Piece p[kPieces];
  int n = 0;
  double a = u0;
  for (double x = curvpeak(a, c); x < u1 && n < pieces - 1; x = curvpeak(x, c)) {
    if (x - a < kZeroWidth) continue;
    p[n++] = piece(a, x, curvds(a, c), curvds((a + x) / 2, c), curvds(x, c), c);
    a = x;
  }
  p[n++] = piece(a, u1, curvds(a, c), curvds((a + u1) / 2, c), curvds(u1, c), c);
  // The piece with the largest error estimate is halved until the estimates add up to less
  // than the tolerance.
  for (;;) {
    double len = 0.0, err = 0.0;
    int worst = 0;
    for (int i = 0; i < n; ++i) {
      len += p[i].len;
      err += p[i].err;
      if (p[i].err > p[worst].err) worst = i;
    }
    if (err <= std::max(kLenTol * len, abstol)) return len;
    if (n == pieces || !std::isfinite(err)) {
      ok = false;
      return len;
    }
    const Piece w = p[worst];
    const double m = (w.a + w.b) / 2;
    p[worst] = piece(w.a, m, w.f[0], w.f[1], w.f[2], c);
    p[n++] = piece(m, w.b, w.f[2], w.f[3], w.f[4], c);
  }
}

}  // namespace agv
