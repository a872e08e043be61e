// Arc-length table of the CP curves, its inverse, and the step count of
// the walk along a curve.
#include "cp/arclen.h"

#include <cmath>

namespace agv {

namespace {

constexpr double kRow = 0.01;        // parameter step of the table
constexpr double kTol = 1e-7;        // arc-length tolerance of the inversion [m]
constexpr double kGuessBack = 0.05;  // the walk's guess lies this far below the last parameter
// Secant steps of one inversion.  A valid table brackets the answer within
// one row, where a handful of steps converge; the bound only ends a search
// that cannot converge.
constexpr int kSecantMax = 100;

// Index of the row at c.uend, counted with the same accumulation of the
// parameter as caltab; max when the range needs more rows than there are.
int lastrow(const CurveModel& c, int max) {
  double u = 0.0;
  for (int k = 1; k < max; ++k) {
    const double u1 = u + kRow;
    if (u1 > c.uend) return k;
    u = u1;
  }
  return max;
}

}  // namespace

int chkrange(const CurveModel& c, int max, Refusal& refusal) {
  if (lastrow(c, max) < max) return 1;
  refusal.status = Status::RangeTooLong;
  refusal.value = c.uend;
  refusal.limit = (max - 1) * kRow;
  return 0;
}

void caltab(const CurveModel& c, int max, std::vector<TabRow>& tab) {
  // A range too long for the table (refused by chkrange beforehand) still
  // ends with its true end row; only the last step is then longer.
  int kend = lastrow(c, max);
  if (kend >= max) kend = max - 1;
  tab.resize(static_cast<size_t>(kend) + 1);
  tab[0] = TabRow{0.0, 0.0, 0.0};
  double u = 0.0;
  double s = 0.0;
  for (int k = 1; k < kend; ++k) {
    const double u1 = u + kRow;
    const double d = curvlen(u, u1, c);
    s = s + d;
    tab[k] = TabRow{u1, s, d};
    u = u1;
  }
  const double d = curvlen(u, c.uend, c);
  tab[kend] = TabRow{c.uend, s + d, d};
}

double s2u(double ug, double s, const CurveTable& t) {
  const CurveModel& c = t.c;
  if (std::isnan(s)) return s;
  if (s <= 0.0) return 0.0;
  if (s >= t.length - kTol) return c.uend;

  // Row j: the first row whose length reaches s, found by walking the
  // table forward from the guess (and back only if the guess was above
  // the answer).
  const std::vector<TabRow>& tab = t.tab;
  const int last = static_cast<int>(tab.size()) - 1;
  const double g = std::trunc(ug / kRow);
  int j = 1;
  if (g >= 1) j = g < last ? static_cast<int>(g) : last;
  if (j < 1) j = 1;
  while (j < last && s > tab[j].s) ++j;
  if (s > tab[j].s) return c.uend;
  while (j > 1 && s <= tab[j - 1].s) --j;

  double ua = tab[j - 1].u;
  const double sa = tab[j - 1].s;
  if (std::fabs(s - sa) < kTol) return ua;

  // The rows j - 1 and j bracket s.  The residual f(u) = s(u) - s is
  // always the length from the current ua plus fa, over one table step.
  double fa = sa - s;
  double ub = ua + kRow;
  // An inner row holds exactly this step; the last one ends at uend, short
  // of it, and the step is integrated.
  double fb = (j < last ? tab[j].d : curvlen(ua, ub, c)) + fa;
  if (std::fabs(fb) < kTol) return ub;

  // Secant steps, replacing the end with the larger residual.
  for (int it = 0; it < kSecantMax; ++it) {
    const double uc = ua - fa * (ub - ua) / (fb - fa);
    if (!std::isfinite(uc)) break;
    const double fc = curvlen(ua, uc, c) + fa;
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

int calpath(const Model& m, const CurveTable& t, int NN[3], double TCP[3], Refusal& refusal) {
  const double sf = t.length;
  for (int k = 0; k < 3; ++k) {
    double u = 0.0;
    double phi = std::atan(curvk(0.0, t.c) * m.Lw);
    double s = 0.0;
    double sprev = 0.0;
    double ds = m.dsCP;
    int j = 0;
    for (;;) {
      j = j + 1;
      if (j >= m.maxSteps) {
        refusal.status = Status::CurveSteps;
        refusal.stage = 0;
        refusal.mechanism = k + 1;
        refusal.count = j;
        return m.maxSteps;
      }
      ds = refspeed(k + 1, m.dsCP, phi);
      sprev = s;
      s = s + ds;
      u = s2u(u - kGuessBack, s, t);
      phi = std::atan(curvk(u, t.c) * m.Lw);
      if (s > sf) break;
    }
    // The run (caltraj) writes its own counts over these.
    NN[k] = j;
    TCP[k] = ((j - 1) + (sf - sprev) / ds) * m.dtCP;
  }
  return 0;
}

}  // namespace agv
