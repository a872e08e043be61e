// Step division, the integrals of cos(t^2) and sin(t^2), and the fit of a
// symmetric clothoid-arc-clothoid curve into the place of a circular arc.
#include "ptp/clothoid.h"

#include <cmath>
#include <limits>


namespace agv {

namespace {

constexpr double kStepMin = 1e-4;   // quantities below this get no step
constexpr int kSimpsonHalf = 200;   // Simpson panels (400 subintervals)
constexpr double kSubdiv = 400.0;   // subintervals of the Simpson rule
constexpr double kScanStep = 0.01;  // scan step of the fit [rad]
constexpr double kRatioTol = 1e-6;  // tolerance on a ratio of residuals
// Regula falsi steps before the fit gives up and takes the clothoid pair.
// Most fits converge within a few dozen steps; the slowest found (a root
// just below the first scan point, where the residual bends sharply) take
// under 2,000.  The bound only stops a run that cannot converge.
constexpr int kFalsiMax = 100000;

// Both integrals in one pass: each sum is accumulated exactly as in its
// own rule, so the results equal intcos2(u) and intsin2(u) bit for bit,
// but the squares and the sine/cosine pairs are computed once.
void intcs2(double u, double& ic, double& is) {
  const double h = u / kSubdiv;
  double sumc = 0.0;
  double sums = 0.0;
  for (int i = 1; i <= kSimpsonHalf; ++i) {
    const double x = 2 * i * h;
    const double a = (x - 2 * h) * (x - 2 * h);
    const double b = (x - h) * (x - h);
    const double c = x * x;
    sumc += std::cos(a) + 4 * std::cos(b) + std::cos(c);
    sums += std::sin(a) + 4 * std::sin(b) + std::sin(c);
  }
  ic = sumc * h / 3;
  is = sums * h / 3;
}

// The pure clothoid pair: two clothoids each turning Th/2, no arc.
int clpair(double Th, double Karc, double& phi, double& kap) {
  phi = Th / 2;
  kap = kpair(Karc, Th, Th / 2);
  return 0;
}

}  // namespace

void calstep(double T, double D, double& step, int& n) {
  // A quantity that is not a number gets no step either.
  if (!(std::fabs(T) >= kStepMin)) {
    n = 0;
    step = 0.0;
    return;
  }
  const double q = (std::fabs(T) + kStepMin) / D;
  // A count beyond the range of int is held at its largest value (every
  // caller refuses such a division) instead of overflowing the conversion.
  constexpr int kCountMax = std::numeric_limits<int>::max();
  n = q < kCountMax ? static_cast<int>(q) : kCountMax;
  if (n == 0) {
    n = 1;
    step = T;
  } else {
    step = T / n;
  }
}

double intcos2(double u) {
  double ic = 0.0;
  double is = 0.0;
  intcs2(u, ic, is);
  return ic;
}

double intsin2(double u) {
  double ic = 0.0;
  double is = 0.0;
  intcs2(u, ic, is);
  return is;
}

double kpair(double K, double Th, double phi) {
  const double sq = std::sqrt(phi);
  double ic = 0.0;
  double is = 0.0;
  intcs2(sq, ic, is);
  return K * (2 * sq * (ic * std::cos(Th / 2) + is * std::sin(Th / 2)) + std::sin(Th / 2 - phi)) /
         std::sin(Th / 2);
}

double clresid(double Th, double phi, double Karc, double dKds, double& kap) {
  kap = std::sqrt(2 * phi * dKds);
  const double sq = std::sqrt(phi);
  double ic = 0.0;
  double is = 0.0;
  intcs2(sq, ic, is);
  return (kap / Karc) * std::sin(Th / 2) - std::sin(Th / 2 - phi) -
         2 * sq * (ic * std::cos(Th / 2) + is * std::sin(Th / 2));
}

int clsolve(double Th, double Karc, double dKds, double& phi, double& kap) {
  double kr = 0.0;  // the curvature written by the latest residual
  double pa = 0.0;
  double fa = clresid(Th, 0.0, Karc, dKds, kr);
  if (std::fabs(fa) < kRatioTol) {
    pa = kScanStep;
    fa = clresid(Th, kScanStep, Karc, dKds, kr);
  }

  // Scan for a sign change.
  double pb = 0.0;
  double fb = 0.0;
  for (;;) {
    pb = pa + kScanStep;
    // Also ends the scan for a turn that is not a number.
    if (!(pb <= Th / 2)) return clpair(Th, Karc, phi, kap);
    fb = clresid(Th, pb, Karc, dKds, kr);
    if (std::fabs(fb / fa) < kRatioTol) {
      phi = pb;
      kap = kr;
      return 1;
    }
    if (fa * fb < 0) break;
    pa = pb;
    fa = fb;
  }

  // Regula falsi inside the bracket [pa, pb].
  const double f0 = fb;
  for (int it = 0; it < kFalsiMax; ++it) {
    const double pm = pa - (pb - pa) / (fb - fa) * fa;
    const double fm = clresid(Th, pm, Karc, dKds, kr);
    if (std::fabs(fm / f0) < kRatioTol) {
      phi = pm;
      kap = kr;
      return 1;
    }
    if (fm * fa < 0) {
      pb = pm;
      fb = fm;
    } else if (fm * fb < 0) {
      pa = pm;
      fa = fm;
    } else {
      phi = pm;
      kap = kr;
      return 1;
    }
  }
  return clpair(Th, Karc, phi, kap);
}

}  // namespace agv
