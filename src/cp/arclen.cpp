// Arc-length table of the CP curves, its inverse, and the step count of
// the walk along a curve.
#include "cp/arclen.h"

#include <cmath>

#include "control/base/console.h"
#include "motion/records.h"

namespace agv {

double utab[NCURVE][MAX][2];
double utabd[NCURVE][MAX];
int ntab[NCURVE];

namespace {

constexpr double kRow = 0.01;        // parameter step of the table
constexpr double kTol = 1e-7;        // arc-length tolerance of the inversion [m]
constexpr double kGuessBack = 0.05;  // the walk's guess lies this far below the last parameter
// Secant steps of one inversion.  A valid table brackets the answer within
// one row, where a handful of steps converge; the bound only ends a search
// that cannot converge.
constexpr int kSecantMax = 100;

// Index of the row at uend[I], counted with the same accumulation of the
// parameter as caltab; MAX when the range needs more rows than there are.
int lastrow(int I) {
  double u = 0.0;
  for (int k = 1; k < MAX; ++k) {
    const double u1 = u + kRow;
    if (u1 > uend[I]) return k;
    u = u1;
  }
  return MAX;
}

}  // namespace

int chkrange(int I) {
  if (lastrow(I) < MAX) return 1;
  con::out(
      "\nchkrange() I=%d 曲線範囲uend=%7.4f>=%5.2f 弧長表の行数が%d=MAXを超える(範囲長過ぎる)．", I,
      uend[I], (MAX - 1) * kRow, MAX);
  return 0;
}

void caltab(int I) {
  // A range too long for the table (refused by chkrange beforehand) still
  // ends with its true end row; only the last step is then longer.
  int kend = lastrow(I);
  if (kend >= MAX) kend = MAX - 1;
  utab[I][0][0] = 0.0;
  utab[I][0][1] = 0.0;
  utabd[I][0] = 0.0;
  double u = 0.0;
  double s = 0.0;
  for (int k = 1; k < kend; ++k) {
    const double u1 = u + kRow;
    const double d = curvlen(u, u1, I);
    s = s + d;
    utab[I][k][0] = u1;
    utab[I][k][1] = s;
    utabd[I][k] = d;
    u = u1;
  }
  const double d = curvlen(u, uend[I], I);
  utab[I][kend][0] = uend[I];
  utab[I][kend][1] = s + d;
  utabd[I][kend] = d;
  ntab[I] = kend;
}

double s2u(double ug, double s, int I) {
  if (std::isnan(s)) return s;
  if (s <= 0.0) return 0.0;
  if (s >= Pfcp[I][LENGTH] - kTol) return uend[I];

  // Row j: the first row whose length reaches s, found by walking the
  // table forward from the guess (and back only if the guess was above
  // the answer).
  const double(*tab)[2] = utab[I];
  const int last = ntab[I];
  const double g = std::trunc(ug / kRow);
  int j = 1;
  if (g >= 1) j = g < last ? static_cast<int>(g) : last;
  if (j < 1) j = 1;
  while (j < last && s > tab[j][1]) ++j;
  if (s > tab[j][1]) return uend[I];
  while (j > 1 && s <= tab[j - 1][1]) --j;

  double ua = tab[j - 1][0];
  const double sa = tab[j - 1][1];
  if (std::fabs(s - sa) < kTol) return ua;

  // The rows j - 1 and j bracket s.  The residual f(u) = s(u) - s is
  // always the length from the current ua plus fa, over one table step.
  double fa = sa - s;
  double ub = ua + kRow;
  // An inner row holds exactly this step; the last one ends at uend, short
  // of it, and the step is integrated.
  double fb = (j < last ? utabd[I][j] : curvlen(ua, ub, I)) + fa;
  if (std::fabs(fb) < kTol) return ub;

  // Secant steps, replacing the end with the larger residual.
  for (int it = 0; it < kSecantMax; ++it) {
    const double uc = ua - fa * (ub - ua) / (fb - fa);
    if (!std::isfinite(uc)) break;
    const double fc = curvlen(ua, uc, I) + fa;
    if (std::fabs(fc) < kTol) return uc;
    if (std::fabs(uc - ua) < kTol || std::fabs(uc - ub) < kTol) return uc;
    if (std::fabs(fb) > std::fabs(fa)) {
      ub = uc;
      fb = fc;
    } else {
      ua = uc;
      fa = fc;
    }
  }
  return std::fabs(fa) <= std::fabs(fb) ? ua : ub;
}

int calpath(int I) {
  const double sf = Pfcp[I][LENGTH];
  for (int k = 0; k < 3; ++k) {
    double u = 0.0;
    double phi = std::atan(curvk(0.0, I) * Lw);
    double s = 0.0;
    double sprev = 0.0;
    double ds = dsCP;
    int j = 0;
    for (;;) {
      j = j + 1;
      if (j >= MAX) {
        con::out("\ncalpath() I=%d AGV=%d 時系列刻み数k=%d>=%d=MAX 多すぎる(経路長長過ぎる)．", I,
                 k + 1, j, MAX);
        return MAX;
      }
      ds = refspeed(k + 1, dsCP, phi);
      sprev = s;
      s = s + ds;
      u = s2u(u - kGuessBack, s, I);
      phi = std::atan(curvk(u, I) * Lw);
      if (s > sf) break;
    }
    // The run (caltraj) writes its own counts over these.
    NN[k] = j;
    TCP[k] = ((j - 1) + (sf - sprev) / ds) * dtCP;
  }
  return 0;
}

}  // namespace agv
