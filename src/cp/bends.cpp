// The bends of a curve: its curvature sampled along it, the largest refined by Brent's method
// and the crossings of the limit by TOMS 748, both from Boost.
#include "cp/bends.h"

#include <boost/math/tools/minima.hpp>
#include <boost/math/tools/toms748_solve.hpp>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

namespace agv {

namespace {

// Iterations of one refinement, each a few evaluations of the curvature.
constexpr std::uintmax_t kIterMax = 100;
// Brent's method reaches about half the digits of a double at a maximum.
constexpr int kBrentBits = std::numeric_limits<double>::digits / 2;

// Where |kappa| crosses the limit between the samples a and b (ga and gb: |kappa| - limit there,
// of opposite signs, or zero at a).
double crossing(const CurveModel& c, double limit, double a, double ga, double b, double gb) {
  using namespace boost::math::policies;
  std::uintmax_t it = kIterMax;
  const auto [lo, hi] = boost::math::tools::toms748_solve(
      [&](double u) { return std::fabs(curvk(u, c)) - limit; }, a, b, ga, gb,
      boost::math::tools::eps_tolerance<double>(), it,
      policy<domain_error<ignore_error>, evaluation_error<ignore_error>>());
  return lo + (hi - lo) / 2;
}

}  // namespace

bool bends(const CurveTable& t, double limit, Bends& out, double& at) {
  const CurveModel& c = t.c;
  out = Bends{};
  const auto kap = [&c](double u) { return std::fabs(curvk(u, c)); };
  // The largest sample, and the samples before and after it.
  double best = kap(0.0), ubest = 0.0, ulo = 0.0, uhi = 0.0;
  bool after = true;  // the sample after the largest is still to come
  if (!std::isfinite(best)) {
    at = 0.0;
    return false;
  }
  // The stretches in u: the one open begins at `open` (NaN while none is).
  std::vector<std::pair<double, double>> tight;
  double open = best > limit ? 0.0 : std::numeric_limits<double>::quiet_NaN();
  double pu = 0.0, pk = best;
  for (double a = 0.0; a < c.uend;) {
    const double b = std::fmin(curvpeak(a, c), c.uend);
    for (int i = 1; i <= kBendSamples; ++i) {
      const double u = i == kBendSamples ? b : a + (b - a) * i / kBendSamples;
      const double k = kap(u);
      if (!std::isfinite(k)) {
        at = u;
        return false;
      }
      if (after) uhi = u;
      after = k > best;
      if (after) {
        best = k;
        ubest = u;
        ulo = pu;
        uhi = u;
      }
      if ((k > limit) != (pk > limit)) {
        const double x = crossing(c, limit, pu, pk - limit, u, k - limit);
        if (k > limit) {
          open = x;
        } else {
          tight.emplace_back(open, x);
        }
      }
      pu = u;
      pk = k;
    }
    a = b;
  }
  if (pk > limit) tight.emplace_back(open, c.uend);
  if (uhi > ulo) {
    std::uintmax_t it = kIterMax;
    const auto [u, f] = boost::math::tools::brent_find_minima([&kap](double v) { return -kap(v); },
                                                              ulo, uhi, kBrentBits, it);
    if (-f > best) {
      best = -f;
      ubest = u;
    }
  }
  double P[2];
  out.kapmax = best;
  out.s = u2s(ubest, t);
  curvpt(ubest, c, P);
  out.x = P[0];
  out.y = P[1];
  for (const auto& [u0, u1] : tight) {
    curvpt(u0, c, P);
    out.tight.push_back(Bend{u2s(u0, t), u2s(u1, t), P[0], P[1]});
  }
  return true;
}

}  // namespace agv
