// The summaries of the passes.
#include <algorithm>
#include <cmath>
#include <vector>

#include "agv/cp.h"
#include "agv/ptp.h"
#include "agv/route.h"
#include "motion/tracked.h"
#include "motion/vehicle.h"

namespace agv {

namespace {

// The errors of the error records [first, last): the largest and the final position error,
// the final heading error.
void errors(const std::vector<Record>& err, RunSummary& s, size_t first = 0,
            size_t last = static_cast<size_t>(-1)) {
  last = std::min(last, err.size());
  double big = 0.0;
  for (size_t n = first; n < last; ++n) big = std::fmax(big, std::hypot(err[n].x, err[n].y));
  s.maxerr = big;
  if (last <= first) return;
  s.enderr = std::hypot(err[last - 1].x, err[last - 1].y);
  s.endtherr = err[last - 1].th;
}

// The records [first, last) of leg `leg` of a route's runs (all of them for -1).
void span(const std::vector<int>& legs, int leg, size_t& first, size_t& last) {
  if (leg < 0) {
    first = 0;
    last = legs.size();
    return;
  }
  first = static_cast<size_t>(std::lower_bound(legs.begin(), legs.end(), leg) - legs.begin());
  last = static_cast<size_t>(std::upper_bound(legs.begin(), legs.end(), leg) - legs.begin());
}

// The tracked run's numbers against the reference run `ref`, its path.
template <class R>
void tracked(const std::vector<R>& ref, const std::vector<Record>& cv,
             const std::vector<Record>& tr, const std::vector<double>& xte, bool cusps,
             RunSummary& s) {
  if (tr.empty() || ref.empty()) return;
  s.tracked = true;
  s.trsteps = static_cast<long>(tr.size()) - 1;
  s.trT = tr.back().t - tr.front().t;
  double sum = 0.0;
  for (double e : xte) {
    s.trmaxxte = std::fmax(s.trmaxxte, std::fabs(e));
    sum += e * e;
  }
  s.trrmsxte = std::sqrt(sum / static_cast<double>(xte.size()));
  s.trendxte = std::fabs(xte.back());
  s.trenderr = std::hypot(tr.back().x - ref.back().x, tr.back().y - ref.back().y);
  s.trendtherr = reduceangle(tr.back().th - ref.back().th);
  s.cvmaxxte = maxcrosstrack(ref, cv, cusps);
}

// The first contacts of the runs of path b and mechanism k with a map.
void contacts(const Contacts& c, int b, int k, RunSummary& s) {
  s.cvcontact = c.cv[b][k];
  s.vvcontact = c.vv[b][k];
  s.trcontact = c.tr[b][k];
}

}  // namespace

PtpSummary summarize(const PtpResult& r) {
  PtpSummary out;
  for (int b = 0; b < 2; ++b)
    for (int k = 0; k < 3; ++k) {
      const Runs& runs = b == 0 ? r.arc[k] : r.cl[k];
      RunSummary& s = out.run[b][k];
      s.steps = static_cast<int>(runs.ref.size()) - 1;
      s.T = b == 0 ? r.steps.Tseg[k].total : r.steps.Tc[k].total;
      s.vsteps = static_cast<int>(runs.vv.size()) - 1;
      s.vT = runs.vv.empty() ? 0.0 : runs.vv.back().t;
      errors(runs.err, s);
      tracked(runs.ref, runs.cv, runs.tr, runs.xte, r.params.reverse != 0, s);
      contacts(r.contacts, b, k, s);
    }
  return out;
}

PtpSummary summarize(const RouteResult& r, int leg) {
  PtpSummary out;
  const int legs = leg < 0 ? static_cast<int>(r.legs.size()) : 1;
  for (int b = 0; b < 2; ++b)
    for (int k = 0; k < 3; ++k) {
      const RouteRuns& runs = b == 0 ? r.arc[k] : r.cl[k];
      RunSummary& s = out.run[b][k];
      size_t first, last, vfirst, vlast;
      span(runs.leg, leg, first, last);
      span(runs.vleg, leg, vfirst, vlast);
      // Each leg's records are whole: its first record is the last of the leg before.
      s.steps = static_cast<int>(last - first) - legs;
      s.T = 0.0;
      for (int i = std::max(leg, 0); i < (leg < 0 ? static_cast<int>(r.legs.size()) : leg + 1); ++i) {
        const Steps& st = r.legs[static_cast<size_t>(i)].steps;
        s.T += b == 0 ? st.Tseg[k].total : st.Tc[k].total;
      }
      s.vsteps = static_cast<int>(vlast - vfirst) - legs;
      s.vT = vlast > vfirst ? runs.vv[vlast - 1].t - runs.vv[vfirst].t : 0.0;
      errors(runs.err, s, first, last);
      // The tracked AGV drives the route as one path: its numbers are the whole route's.
      if (leg < 0) tracked(runs.ref, runs.cv, runs.tr, runs.xte, r.params.reverse != 0, s);
      contacts(leg < 0 ? r.contacts : r.legs[static_cast<size_t>(leg)].contacts, b, k, s);
    }
  return out;
}

CpSummary summarize(const CpResult& r) {
  CpSummary out;
  for (int k = 0; k < 3; ++k) {
    RunSummary& s = out.run[k];
    s.steps = r.NN[k];
    s.T = r.TCP[k];
    errors(r.run[k].err, s);
    tracked(r.run[k].ref, r.run[k].cv, r.run[k].tr, r.run[k].xte, false, s);
    contacts(r.contacts, 0, k, s);
  }
  return out;
}

}  // namespace agv
