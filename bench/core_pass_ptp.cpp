// A whole PTP pass as the dialogue computes it: the plan, the six
// constant-velocity runs, the variable-velocity runs and the extents.
#include <benchmark/benchmark.h>

#include <string>

#include "control/base/console.h"
#include "control/base/params.h"
#include "control/pass.h"
#include "motion/runs.h"
#include "motion/shown.h"
#include "motion/varruns.h"
#include "ptp/steps.h"

namespace {

using namespace agv;

void ptppass(benchmark::State& state, double x, double y, double thDeg) {
  std::string out;
  out.reserve(1 << 16);  // the planner's report, kept off the terminal
  xf = x;
  yf = y;
  thf = thDeg * DEG2RAD;
  for (auto _ : state) {
    out.clear();
    con::script("", &out);
    const PassResult r = passPTP();
    con::scriptEnd();
    if (r.status != PassStatus::Done) {
      state.SkipWithError("the pose does not pass");
      break;
    }
    benchmark::DoNotOptimize(bndPTP);
  }
  state.counters["steps"] = nSeg[1][TOTAL] + nc[1][TOTAL] + nvSeg[1][TOTAL] + nvc[1][TOTAL];
}

// The two run routines alone, on a plan made once.
void ptpruns(benchmark::State& state, double x, double y, double thDeg) {
  std::string out;
  con::script("", &out);
  setsteer('p');
  Pose P0{agv::x0, agv::y0, agv::th0, 0.0};
  Pose PF{x, y, thDeg * DEG2RAD, 0.0};
  const int ok = planPTP(P0, PF);
  con::scriptEnd();
  if (ok != 1) state.SkipWithError("the pose does not pass");
  for (auto _ : state) {
    benchmark::DoNotOptimize(caltrajPTP());
    benchmark::DoNotOptimize(caltrajVV());
  }
}

// The default end pose.
BENCHMARK_CAPTURE(ptppass, default_2_3_0, 2.0, 3.0, 0.0)->Unit(benchmark::kMicrosecond);
// Just under the step limit: the variable-velocity clothoid-line runs of
// this pose take 2999 steps.
BENCHMARK_CAPTURE(ptppass, longest_57_86_3_0, 57.86, 3.0, 0.0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ptpruns, default_2_3_0, 2.0, 3.0, 0.0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ptpruns, longest_57_86_3_0, 57.86, 3.0, 0.0)->Unit(benchmark::kMicrosecond);

}  // namespace
