// The summaries of the passes.
#include <cmath>
#include <vector>

#include "agv/cp.h"
#include "agv/ptp.h"
#include "agv/route.h"

namespace agv {

namespace {

// The errors of a run's error records: the largest and the final position error, the final
// heading error.
void errors(const std::vector<Record>& err, RunSummary& s) {
  double big = 0.0;
  for (const Record& e : err) big = std::fmax(big, std::hypot(e.x, e.y));
  s.maxerr = big;
  if (err.empty()) return;
  s.enderr = std::hypot(err.back().x, err.back().y);
  s.endtherr = err.back().th;
}

}  // namespace

PtpSummary summarize(const PtpResult& r) {
  PtpSummary out;
  for (int b = 0; b < 2; ++b)
    for (int k = 0; k < 3; ++k) {
      const Runs& runs = b == 0 ? r.arc[k] : r.cl[k];
      RunSummary& s = out.run[b][k];
      s.steps = static_cast<int>(runs.ref.size()) - 1;
      s.T = b == 0 ? r.steps.Tseg[k][TOTAL] : r.steps.Tc[k][TOTAL];
      s.vsteps = static_cast<int>(runs.vv.size()) - 1;
      s.vT = runs.vv.empty() ? 0.0 : runs.vv.back().t;
      errors(runs.err, s);
    }
  return out;
}

PtpSummary summarize(const RouteResult& r) {
  PtpSummary out;
  const int legs = static_cast<int>(r.legs.size());
  for (int b = 0; b < 2; ++b)
    for (int k = 0; k < 3; ++k) {
      const RouteRuns& runs = b == 0 ? r.arc[k] : r.cl[k];
      RunSummary& s = out.run[b][k];
      // Each leg's records are whole: its first record is the last of the leg before.
      s.steps = static_cast<int>(runs.ref.size()) - legs;
      s.T = 0.0;
      for (const PtpResult& leg : r.legs) s.T += b == 0 ? leg.steps.Tseg[k][TOTAL] : leg.steps.Tc[k][TOTAL];
      s.vsteps = static_cast<int>(runs.vv.size()) - legs;
      s.vT = runs.vv.empty() ? 0.0 : runs.vv.back().t;
      errors(runs.err, s);
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
  }
  return out;
}

}  // namespace agv
