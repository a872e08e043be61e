// Arc-length table of the CP curves, its inverse, and the step count of
// the walk along a curve.
#include "cp/arclen.h"

#include <algorithm>
#include <boost/math/tools/toms748_solve.hpp>
#include <cmath>
#include <cstdint>

namespace agv {

namespace {

constexpr double kRow = 0.01;        // parameter step of the table
constexpr double kTol = 1e-7;        // arc-length tolerance of the inversion [m]
constexpr double kGuessBack = 0.05;  // the walk's guess lies this far below the last parameter
// Secant steps of one inversion.  A valid table brackets the answer within
// one row, where a handful of steps converge; a search that does not is
// ended by a bracketing search, which takes at most kBracketMax steps.
constexpr int kSecantMax = 100;
constexpr std::uintmax_t kBracketMax = 100;
// The parts of a step of the table: halvings at most (30 take 0.01 down
// to 1e-11), and the table's rows at most, in capacities of the table.
constexpr int kPartsDepth = 30;
constexpr size_t kPartsRows = 2;

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

// The steps of the table of curve c, at most max rows: f(u, u1) for each, from u = 0 in steps
// of 0.01, the last one ending at c.uend.  False as soon as f is.
template <class F>
bool steps(const CurveModel& c, int max, F f) {
  int kend = lastrow(c, max);
  if (kend >= max) kend = max - 1;
  double u = 0.0;
  for (int k = 1; k < kend; ++k) {
    const double u1 = u + kRow;
    if (!f(u, u1)) return false;
    u = u1;
  }
  return f(u, c.uend);
}

// The measured length of [a, b], to the relative tolerance alone.
double measure(const CurveModel& c, double a, double b, bool& ok) {
  return curvlenx(a, b, c, 0.0, kPieces, ok);
}

// The tolerance of the measured length of a part [a, b] of the table, of length g, of a curve
// of length len: its share of the table's tolerance, the mean of its shares of the length and
// of the parameter range (so that both the parts where the curve runs fast and those where it
// bends sharply but slowly get their due).
double partol(const CurveModel& c, double len, double a, double b, double g) {
  return kLenAgree * len * (g / len + (b - a) / c.uend) / 2;
}

// The building of a table: its rows at most, the length of the curve, the difference the
// table may have from the measured length, and the difference it has so far.
struct Build {
  const CurveModel& c;
  size_t rows;
  double len, tol;
  double diff = 0.0;
};

// Part [a, b] of a step, of halving depth `depth`, as rows: itself with its measured length
// where one piece of the measurement meets the part's tolerance (a row cheap to invert) or
// once it is kPartsDepth halvings deep; its halves otherwise.  False when its length cannot be
// measured or the table would reach its rows.
bool part(Build& t, double a, double b, int depth, std::vector<TabRow>& tab) {
  bool ok = true;
  const double g = measure(t.c, a, b, ok);
  if (!ok) return false;
  bool one = true;
  curvlenx(a, b, t.c, partol(t.c, t.len, a, b, g), 1, one);
  if (one || depth == kPartsDepth) {
    if (tab.size() >= t.rows) return false;
    tab.push_back(TabRow{b, tab.back().s + g, g, true});
    return true;
  }
  const double m = (a + b) / 2;
  return part(t, a, m, depth + 1, tab) && part(t, m, b, depth + 1, tab);
}

// The step from the last row of the table to u1, whose length by the panels of curvlen is d:
// one row while the table stays within its tolerance of the measured length, parts otherwise
// (cut first at the points where the curve's speed may peak).
bool step(Build& t, double u1, double d, std::vector<TabRow>& tab) {
  const double u = tab.back().u;
  bool ok = true;
  const double g = u1 - u < kZeroWidth ? d : measure(t.c, u, u1, ok);
  if (!ok) return false;
  if (std::fabs(t.diff + d - g) <= t.tol) {
    tab.push_back(TabRow{u1, tab.back().s + d, d, false});
    t.diff += d - g;
    return true;
  }
  for (double a = u, x = curvpeak(u, t.c);; a = x, x = curvpeak(x, t.c)) {
    const double b = std::min(x, u1);
    if (b - a >= kZeroWidth && !part(t, a, b, 0, tab)) return false;
    if (b == u1) return true;
  }
}

// The root of f in [lo, hi], where f(lo) = flo < 0 < fhi = f(hi), by TOMS 748 to the
// precision of u; without such a bracket, the end with the smaller residual.
template <class F>
double bracketed(F f, double lo, double flo, double hi, double fhi) {
  if (!(flo < 0 && fhi > 0)) return std::fabs(flo) <= std::fabs(fhi) ? lo : hi;
  using namespace boost::math::policies;
  std::uintmax_t it = kBracketMax;
  const auto [a, b] = boost::math::tools::toms748_solve(
      f, lo, hi, flo, fhi, boost::math::tools::eps_tolerance<double>(), it,
      policy<domain_error<ignore_error>, evaluation_error<ignore_error>>());
  return a + (b - a) / 2;
}

}  // namespace

Status chklen(const CurveModel& c, int max, double smax, double& len) {
  len = curvlen(0.0, c.uend, c);
  double g = 0.0;
  const bool ok = steps(c, max, [&](double u, double u1) {
    bool measured = true;
    g += measure(c, u, u1, measured);
    return measured;
  });
  if (!std::isfinite(g)) return len <= smax ? Status::Done : Status::CurveTooLong;
  if (!ok) return len > smax ? Status::CurveTooLong : Status::CurveTooSharp;
  // Where the panels are too coarse for the curve, the measured length counts.
  if (!(std::fabs(len - g) <= kLenAgree * g)) len = g;
  // A length that is not a number cannot be run either.
  return len <= smax ? Status::Done : Status::CurveTooLong;
}

double rangefit(int max) { return max < 2 ? 0.0 : (max - 2) * kRow; }

int chkrange(const CurveModel& c, int max, Refusal& refusal) {
  if (lastrow(c, max) < max) return 1;
  refusal.status = Status::RangeTooLong;
  refusal.value = c.uend;
  refusal.limit = (max - 1) * kRow;
  return 0;
}

bool caltab(const CurveModel& c, int max, double len, std::vector<TabRow>& tab) {
  // A range too long for the table (refused by chkrange beforehand) still
  // ends with its true end row; only the last step is then longer.
  Build t{c, kPartsRows * static_cast<size_t>(max), len, kLenAgree * len};
  tab.clear();
  tab.push_back(TabRow{0.0, 0.0, 0.0, false});
  return steps(c, max, [&](double u, double u1) { return step(t, u1, curvlen(u, u1, c), tab); });
}

double s2u(double ug, double s, const CurveTable& t) {
  const CurveModel& c = t.c;
  if (std::isnan(s)) return s;
  if (s <= 0.0) return 0.0;
  if (s >= t.length - kTol) return c.uend;

  // Row j: the first row whose length reaches s, found by walking the
  // table from the guess, back if the guess was past the answer and
  // forward otherwise; in a table with parts, by bisection.
  const std::vector<TabRow>& tab = t.tab;
  const int last = static_cast<int>(tab.size()) - 1;
  int j = 1;
  if (t.whole) {
    const double g = std::trunc(ug / kRow);
    if (g >= 1) j = g < last ? static_cast<int>(g) : last;
    if (j < 1) j = 1;
    if (s <= tab[j - 1].s) {
      while (j > 1 && s <= tab[j - 1].s) --j;
    } else {
      while (j < last && s > tab[j].s) ++j;
      if (s > tab[j].s) return c.uend;
    }
  } else {
    const auto at = std::lower_bound(tab.begin() + 1, tab.end(), s,
                                     [](const TabRow& r, double v) { return r.s < v; });
    if (at == tab.end()) return c.uend;
    j = static_cast<int>(at - tab.begin());
  }

  double ua = tab[j - 1].u;
  const double sa = tab[j - 1].s;
  if (std::fabs(s - sa) < kTol) return ua;

  // The rows j - 1 and j bracket s.  The residual f(u) = s(u) - s is
  // always the length from the current ua plus fa.
  double fa = sa - s;
  if (tab[j].part) {
    // A part: its lengths measured to the part's tolerance.
    const double lo = ua, flo = fa;
    const double tol = partol(c, t.length, lo, tab[j].u, tab[j].d);
    return bracketed(
        [&](double u) {
          bool ok = true;
          return curvlenx(lo, u, c, tol, kPieces, ok) + flo;
        },
        lo, flo, tab[j].u, tab[j].d + fa);
  }
  // One table step: an inner row holds exactly this step; the last one ends
  // at uend, short of it, and the step is integrated.
  double ub = ua + kRow;
  double fb = (j < last ? tab[j].d : curvlen(ua, ub, c)) + fa;
  if (std::fabs(fb) < kTol) return ub;
  // The bracket: the step, or the last row where it is longer (a range
  // past the table).
  const double lo = ua, flo = fa;
  const double hi = std::max(ub, tab[j].u), fhi = hi == ub ? fb : tab[j].d + fa;

  // Secant steps, replacing the end with the larger residual, as long as
  // they stay inside the step; then TOMS 748 in the step.
  for (int it = 0; it < kSecantMax; ++it) {
    const double uc = ua - fa * (ub - ua) / (fb - fa);
    if (!(uc > lo && uc < hi)) break;
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
  return bracketed([&](double u) { return curvlen(lo, u, c) + flo; }, lo, flo, hi, fhi);
}

double u2s(double u, const CurveTable& t) {
  if (!(u > 0.0)) return 0.0;
  if (u >= t.c.uend) return t.length;
  const std::vector<TabRow>& tab = t.tab;
  const size_t j = static_cast<size_t>(
      std::upper_bound(tab.begin(), tab.end(), u,
                       [](double v, const TabRow& r) { return v < r.u; }) -
      tab.begin()) - 1;
  const TabRow& next = tab[j + 1];
  if (!next.part) return tab[j].s + curvlen(tab[j].u, u, t.c);
  bool ok = true;
  return tab[j].s +
         curvlenx(tab[j].u, u, t.c, partol(t.c, t.length, tab[j].u, next.u, next.d), kPieces, ok);
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
