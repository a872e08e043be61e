// A whole PTP pass: the plan, the six constant-velocity runs, the
// variable-velocity runs and the extents, into a result that is reused.
#include <benchmark/benchmark.h>

#include <memory>

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
  state.counters["steps"] = st.nSeg[1][agv::TOTAL] + st.nc[1][agv::TOTAL] + v.nvSeg[1][agv::TOTAL] + v.nvc[1][agv::TOTAL];
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
