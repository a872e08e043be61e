// CP curve catalogue: evaluation of the nine curves, their derived
// constants, ranges, start and end poses, and the arc length.
#include "cp/curves.h"

#include <cmath>
#include <limits>

#include "control/base/console.h"
#include "control/base/params.h"
#include "ptp/clothoid.h"

namespace agv {

double w1, w2, c12;
double AA11 = 4.0, BB11 = 1.0, AB11, dAB11;

double uend[NCURVE];
double P0cp[NCURVE][3];
double Pfcp[NCURVE][4];

namespace {

constexpr double kZeroWidth = 1e-8;   // an interval narrower than this has no length
constexpr double kPanel = 0.002;      // nominal Simpson panel of the arc length [parameter]
constexpr double kCuspN = 1e-8;       // r^2 + r'^2 at or below this: the curve stops at the origin
constexpr double kCuspShift = 0.001;  // where the curvature of such a point is taken instead
constexpr double kCurvCap = 50.0;     // largest curvature given at such a point [1/m]
constexpr double kRoseTol = 0.001;    // tolerance of the even-integer test of the rose
constexpr double kRoseInv = 1.01;     // numerator of the lobe count of a rose with n < 1

bool isgraph(int I) { return I >= 1 && I <= 4; }

// Graph curves y = f(x): y, dy/dx and d2y/dx2.
double gy(double x, int I) {
  switch (I) {
    case 1:
      return A1 * (1 - std::cos(w1 * x));
    case 2:
      return A2 * (x / L2 - std::sin(w2 * x) / PI2);
    case 3:
      return A3 * ((x / L3) * (x / L3));
    case 4:
      return A4 * ((x / L4) * (x / L4) * (x / L4));
  }
  return 0.0;
}

double gy1(double x, int I) {
  switch (I) {
    case 1:
      return A1 * w1 * std::sin(w1 * x);
    case 2:
      return A2 * (1 - std::cos(w2 * x)) / L2;
    case 3:
      return (2 * A3 / L3) * (x / L3);
    case 4:
      return (3 * A4 / L4) * ((x / L4) * (x / L4));
  }
  return 0.0;
}

double gy2(double x, int I) {
  switch (I) {
    case 1:
      return A1 * (w1 * w1) * std::cos(w1 * x);
    case 2:
      return (A2 * w2 / L2) * std::sin(w2 * x);
    case 3:
      return 2 * A3 / (L3 * L3);
    case 4:
      return (6 * A4 / (L4 * L4)) * (x / L4);
  }
  return 0.0;
}

// Polar curves r = f(beta): r, dr/dbeta and d2r/dbeta2.
double pr(double b, int I) {
  switch (I) {
    case 11: {
      const double sn = std::sin(b), cs = std::cos(b);
      const double D = AA11 * (sn * sn) + BB11 * (cs * cs);
      return AB11 / std::sqrt(D);
    }
    case 12:
      return c12 * b;
    case 13:
      return A13 * (B13 - std::cos(b));
    case 14:
      return A14 * std::sin(nr14 * b);
    case 16:
      return R16 + A16 * std::cos(nw16 * b);
  }
  return 0.0;
}

double pr1(double b, int I) {
  switch (I) {
    case 11: {
      const double sn = std::sin(b), cs = std::cos(b);
      const double D = AA11 * (sn * sn) + BB11 * (cs * cs);
      return -AB11 * dAB11 * cs * sn / (D * std::sqrt(D));
    }
    case 12:
      return c12;
    case 13:
      return A13 * std::sin(b);
    case 14:
      return A14 * nr14 * std::cos(nr14 * b);
    case 16:
      return -A16 * nw16 * std::sin(nw16 * b);
  }
  return 0.0;
}

double pr2(double b, int I) {
  switch (I) {
    case 11: {
      const double sn = std::sin(b), cs = std::cos(b);
      const double D = AA11 * (sn * sn) + BB11 * (cs * cs);
      return AB11 * dAB11 * ((sn * sn - cs * cs) + 3 * dAB11 * (cs * cs) * (sn * sn) / D) /
             (D * std::sqrt(D));
    }
    case 12:
      return 0.0;
    case 13:
      return A13 * std::cos(b);
    case 14:
      return -(nr14 * nr14) * A14 * std::sin(nr14 * b);
    case 16:
      return -A16 * (nw16 * nw16) * std::cos(nw16 * b);
  }
  return 0.0;
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

// End of the parameter range of curve I from its constants.
double rangeof(int I) {
  switch (I) {
    case 1:
      return L1;
    case 2:
      return L2;
    case 3:
      return L3;
    case 4:
      return L4;
    case 12:
      return PI2 * nt12;
    case 14:
      return roserange(nr14);
  }
  return PI2;
}

// Tangent heading of a polar curve at beta from r and r'.
double polarheading(double be, double re, double r1e) {
  return std::atan2(r1e * std::sin(be) + re * std::cos(be), r1e * std::cos(be) - re * std::sin(be));
}

// The derived constants of curve I.
void derive(int I) {
  switch (I) {
    case 1:
      w1 = PI2 / L1;
      break;
    case 2:
      w2 = PI2 / L2;
      break;
    case 11:
      AA11 = A11 * A11;
      BB11 = B11 * B11;
      AB11 = A11 * B11;
      dAB11 = A11 * A11 - B11 * B11;
      break;
    case 12:
      c12 = A12 / PI2;
      break;
  }
}

void setpose(double* P, double x, double y, double th) {
  P[0] = x;
  P[1] = y;
  P[2] = th;
}

// The start and end poses of curve I (its derived constants set).
void poses(int I) {
  setpose(P0cp[I], 0.0, 0.0, 0.0);
  switch (I) {
    case 1:
      setpose(Pfcp[I], L1, 0.0, 0.0);
      break;
    case 2:
      setpose(Pfcp[I], L2, A2, 0.0);
      break;
    case 3:
      setpose(Pfcp[I], L3, A3, std::atan(2 * A3 / L3));
      break;
    case 4:
      setpose(Pfcp[I], L4, A4, std::atan(3 * A4 / L4));
      break;
    case 11:
      setpose(P0cp[I], A11, 0.0, PI_2);
      setpose(Pfcp[I], A11, 0.0, PI_2);
      break;
    case 12: {
      const double be = PI2 * nt12;
      const double re = c12 * be;
      const double r1e = c12;
      setpose(Pfcp[I], re * std::cos(be), re * std::sin(be), polarheading(be, re, r1e));
      break;
    }
    case 13:
      setpose(P0cp[I], (B13 - 1) * A13, 0.0, PI_2);
      setpose(Pfcp[I], (B13 - 1) * A13, 0.0, PI_2);
      break;
    case 14: {
      // The end point is the curve's own point at the end of the range:
      // the origin for the integer and reciprocal-integer n the menu
      // offers, elsewhere for other n >= 1.
      const double be = roserange(nr14);
      const double re = A14 * std::sin(nr14 * be);
      const double r1e = A14 * nr14 * std::cos(nr14 * be);
      setpose(Pfcp[I], re * std::cos(be), re * std::sin(be), polarheading(be, re, r1e));
      break;
    }
    case 16: {
      const double be = PI2;
      const double re = R16 + A16 * std::cos(PI2 * nw16);
      const double r1e = -A16 * nw16 * std::sin(PI2 * nw16);
      setpose(P0cp[I], R16 + A16, 0.0, PI_2);
      setpose(Pfcp[I], re, 0.0, polarheading(be, re, r1e));
      break;
    }
  }
}

}  // namespace

bool iscurve(int I) {
  switch (I) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 11:
    case 12:
    case 13:
    case 14:
    case 16:
      return true;
  }
  return false;
}

int curveconsts(int I, double* v[2]) {
  switch (I) {
    case 1:
      v[0] = &A1, v[1] = &L1;
      return 2;
    case 2:
      v[0] = &A2, v[1] = &L2;
      return 2;
    case 3:
      v[0] = &A3, v[1] = &L3;
      return 2;
    case 4:
      v[0] = &A4, v[1] = &L4;
      return 2;
    case 11:
      v[0] = &A11, v[1] = &B11;
      return 2;
    case 12:
      v[0] = &A12, v[1] = &nt12;
      return 2;
    case 13:
      v[0] = &A13;
      return 1;
    case 14:
      v[0] = &A14, v[1] = &nr14;
      return 2;
    case 16:
      v[0] = &A16, v[1] = &nw16;
      return 2;
  }
  return 0;
}

bool curvdefined(int I) {
  if (!iscurve(I)) return false;
  // Every divisor must be nonzero and every coefficient that the
  // evaluation forms finite; a polar curve must not shrink to the origin,
  // where it has neither tangent nor curvature (0/0).
  bool ok = true;
  switch (I) {
    case 1: {
      const double w = PI2 / L1;
      ok = L1 != 0 && std::isfinite(A1 * (w * w));
      break;
    }
    case 2: {
      const double w = PI2 / L2;
      ok = L2 != 0 && std::isfinite(A2 * w / L2);
      break;
    }
    case 3:
      ok = L3 * L3 != 0 && std::isfinite(2 * A3 / (L3 * L3));
      break;
    case 4:
      ok = L4 * L4 != 0 && std::isfinite(6 * A4 / (L4 * L4));
      break;
    case 11:
      // D lies between A^2 and B^2; r is 0/0 where it vanishes.
      ok = A11 * A11 != 0 && B11 * B11 != 0 && std::isfinite(A11 * B11 * (A11 * A11 - B11 * B11));
      break;
    case 12:
      ok = A12 / PI2 != 0;
      break;
    case 13:
      ok = A13 != 0;
      break;
    case 14:
      ok = A14 != 0 && nr14 != 0 && std::isfinite((nr14 * nr14) * A14);
      break;
    case 16:
      ok = std::isfinite(A16 * (nw16 * nw16));
      break;
  }
  // The range must be finite and countable in Simpson panels.
  const double ue = rangeof(I);
  return ok && std::isfinite(ue) &&
         ue / kPanel < static_cast<double>(std::numeric_limits<int>::max());
}

void curvsetup(int I) {
  derive(I);
  poses(I);
  uend[I] = rangeof(I);
}

double curvpt(double u, int I, double P[2]) {
  if (isgraph(I)) {
    const double y = gy(u, I);
    P[0] = u;
    P[1] = y;
    return y;
  }
  const double r = pr(u, I);
  P[0] = r * std::cos(u);
  P[1] = r * std::sin(u);
  return r;
}

double curvd1(double u, int I, double D[3]) {
  if (isgraph(I)) {
    const double y1 = gy1(u, I);
    D[0] = 1.0;
    D[1] = y1;
    D[2] = std::atan2(D[1], D[0]);
    return y1;
  }
  const double r = pr(u, I);
  const double r1 = pr1(u, I);
  D[0] = r1 * std::cos(u) - r * std::sin(u);
  D[1] = r1 * std::sin(u) + r * std::cos(u);
  D[2] = std::atan2(D[1], D[0]);
  return r1;
}

double curvd2(double u, int I, double E[2]) {
  if (isgraph(I)) {
    const double y2 = gy2(u, I);
    E[0] = 0.0;
    E[1] = y2;
    return y2;
  }
  const double r = pr(u, I);
  const double r1 = pr1(u, I);
  const double r2 = pr2(u, I);
  E[0] = (r2 - r) * std::cos(u) - 2 * r1 * std::sin(u);
  E[1] = (r2 - r) * std::sin(u) + 2 * r1 * std::cos(u);
  return r2;
}

double curvk(double u, int I) {
  if (isgraph(I)) {
    const double y1 = gy1(u, I);
    const double y2 = gy2(u, I);
    return y2 / ((1 + y1 * y1) * std::sqrt(1 + y1 * y1));
  }
  double r = pr(u, I);
  double r1 = pr1(u, I);
  double r2 = pr2(u, I);
  double N = r * r + r1 * r1;
  double M = r * r + 2 * (r1 * r1) - r * r2;
  if (std::fabs(N) > kCuspN) return M / (N * std::sqrt(N));
  // The curve passes the origin without speed: take the curvature just
  // after the point, capped from above.
  const double v = u + kCuspShift;
  r = pr(v, I);
  r1 = pr1(v, I);
  r2 = pr2(v, I);
  N = r * r + r1 * r1;
  M = r * r + 2 * (r1 * r1) - r * r2;
  double kap = M / (N * std::sqrt(N));
  if (kap > kCurvCap) kap = kCurvCap * M / std::fabs(M);
  return kap;
}

double curvds(double u, int I) {
  if (isgraph(I)) {
    const double y1 = gy1(u, I);
    return std::sqrt(1 + y1 * y1);
  }
  const double r = pr(u, I);
  const double r1 = pr1(u, I);
  return std::sqrt(r * r + r1 * r1);
}

double curvlen(double u0, double u1, int I) {
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
  double fa = curvds(a, I);
  for (int i = 0; i < n; ++i) {
    const double fb = curvds(a + 2 * h, I);
    sum += fa + 4 * curvds(a + h, I) + fb;
    a = a + 2 * h;
    fa = fb;
  }
  return sum * h / 3;
}

int chklen(int I) {
  const double len = curvlen(0.0, uend[I], I);
  Pfcp[I][LENGTH] = len;
  const double smax = MAX * dsCP;
  // A length that is not a number cannot be run either.
  if (!(len <= smax)) {
    con::out("\n経路番号I=%d 経路長sf=%7.4f>%7.4f=smax限界を超えている．経路設定し直し", I, len,
             smax);
    return 0;
  }
  return 1;
}

}  // namespace agv
