// A whole PTP pass: the plan, the six constant-velocity runs, the
// variable-velocity runs and the extents, into a result that is reused.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "agv/ptp.h"
#include "base/model.h"
#include "motion/runs.h"
#include "motion/varruns.h"

namespace {

void ptppass(benchmark::State& state, double x, double y, double thDeg, int controller = 0) {
  agv::Params p;
  p.controller = controller;
  auto r = std::make_unique<agv::PtpResult>();
  for (auto _ : state) {
    if (agv::passPTP(p, x, y, thDeg, *r) != agv::Status::Done) {
      state.SkipWithError("the pose does not pass");
      break;
    }
    benchmark::DoNotOptimize(r->bndPTP);
  }
  const agv::Steps& st = r->steps;
  const agv::Schedule& v = r->schedule;
  state.counters["steps"] = st.nSeg[1].total + st.nc[1].total + v.nvSeg[1].total + v.nvc[1].total;
}

// The same pass into a new result every time, as a call from Python makes it.
void ptppassfresh(benchmark::State& state, double x, double y, double thDeg) {
  const agv::Params p;
  for (auto _ : state) {
    auto r = std::make_unique<agv::PtpResult>();
    if (agv::passPTP(p, x, y, thDeg, *r) != agv::Status::Done) {
      state.SkipWithError("the pose does not pass");
      break;
    }
    benchmark::DoNotOptimize(r->bndPTP);
  }
}

// The two run routines alone, on a plan made once.
void ptpruns(benchmark::State& state, double x, double y, double thDeg) {
  const agv::Params p;
  auto r = std::make_unique<agv::PtpResult>();
  if (agv::planPTP(p, x, y, thDeg, *r) != agv::Status::Done)
    state.SkipWithError("the pose does not pass");
  const agv::Model m = agv::makemodel(p, agv::Kind::PTP);
  for (auto _ : state) {
    benchmark::DoNotOptimize(agv::caltrajPTP(m, *r));
    benchmark::DoNotOptimize(agv::caltrajVV(m, *r));
  }
}

// Plans (the clothoid-line path, step tables and schedules) or whole passes to 100 random end
// poses within 5 m, forward (three-arc joins) or backing up: what a path that backs up costs
// against a forward one.  Counters: the paths' mean length and the runs' time steps a pass.
void ptpmany(benchmark::State& state, int reverse, bool runs) {
  agv::Params p;
  p.threeArcs = 1;
  p.reverse = reverse;
  std::mt19937_64 rng(20261209);
  std::uniform_real_distribution<double> xy(-5.0, 5.0), th(-180.0, 180.0);
  std::vector<agv::Waypoint> ends(100);
  for (agv::Waypoint& e : ends) e = {xy(rng), xy(rng), th(rng)};
  auto r = std::make_unique<agv::PtpResult>();
  double length = 0.0, steps = 0.0;
  for (auto _ : state) {
    length = steps = 0.0;
    for (const agv::Waypoint& e : ends) {
      const agv::Status s = runs ? agv::passPTP(p, {}, e, *r) : agv::planPTP(p, {}, e, *r);
      if (s != agv::Status::Done) {
        state.SkipWithError("a pose does not pass");
        return;
      }
      length += r->path.sf;
      for (int k = 0; k < 3; ++k) steps += r->steps.nSeg[k].total + r->steps.nc[k].total;
    }
  }
  state.SetItemsProcessed(state.iterations() * 100);
  state.counters["length"] = length / 100;
  state.counters["steps"] = steps / 100;
}
BENCHMARK_CAPTURE(ptpmany, plan_forward, 0, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ptpmany, plan_reverse, 1, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ptpmany, pass_forward, 0, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ptpmany, pass_reverse, 1, true)->Unit(benchmark::kMicrosecond);

// The default end pose.
BENCHMARK_CAPTURE(ptppass, default_2_3_0, 2.0, 3.0, 0.0)->Unit(benchmark::kMicrosecond);
// Just under the step limit: the variable-velocity clothoid-line runs of
// this pose take 2999 steps.
BENCHMARK_CAPTURE(ptppass, longest_57_86_3_0, 57.86, 3.0, 0.0)->Unit(benchmark::kMicrosecond);
// With the tracked AGV of each controller: six runs more.
BENCHMARK_CAPTURE(ptppass, default_purepursuit, 2.0, 3.0, 0.0, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ptppass, default_stanley, 2.0, 3.0, 0.0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ptppass, default_rearwheel, 2.0, 3.0, 0.0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ptppass, longest_purepursuit, 57.86, 3.0, 0.0, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ptppass, longest_stanley, 57.86, 3.0, 0.0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ptppass, longest_rearwheel, 57.86, 3.0, 0.0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ptppassfresh, default_2_3_0, 2.0, 3.0, 0.0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ptppassfresh, longest_57_86_3_0, 57.86, 3.0, 0.0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ptpruns, default_2_3_0, 2.0, 3.0, 0.0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ptpruns, longest_57_86_3_0, 57.86, 3.0, 0.0)->Unit(benchmark::kMicrosecond);

}  // namespace
