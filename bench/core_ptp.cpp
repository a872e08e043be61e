// A whole PTP plan: the arc-line planner, the clothoid fits and step
// tables, and the variable-velocity schedule.
#include <benchmark/benchmark.h>

#include <memory>

#include "agv/ptp.h"
#include "ptp/clothoid.h"

namespace {

void ptpplan(benchmark::State& state, double x, double y, double thDeg) {
  const agv::Params p;
  auto r = std::make_unique<agv::PtpResult>();
  for (auto _ : state) {
    if (agv::planPTP(p, x, y, thDeg, *r) != agv::Status::Done) {
      state.SkipWithError("the pose does not pass");
      break;
    }
    benchmark::DoNotOptimize(r->path.sf);
  }
}

// One fit alone, the hot part of a plan.
void fit(benchmark::State& state, double Th) {
  for (auto _ : state) {
    double phi = 0, kap = 0;
    benchmark::DoNotOptimize(agv::clsolve(Th, 1.0, 2.0, phi, kap));
    benchmark::DoNotOptimize(kap);
  }
}

// The default end pose: two quarter turns, scanned to the end and fitted
// by the clothoid pair.
BENCHMARK_CAPTURE(ptpplan, default_2_3_0, 2.0, 3.0, 0.0)->Unit(benchmark::kMicrosecond);
// Two arcs of different turns, one root found by regula falsi.
BENCHMARK_CAPTURE(ptpplan, rsr_4_m3_m45, 4.0, -3.0, -45.0)->Unit(benchmark::kMicrosecond);
// A short arc and one of almost a full turn.
BENCHMARK_CAPTURE(ptpplan, lsl_05_02_0, 0.5, 0.2, 0.0)->Unit(benchmark::kMicrosecond);

BENCHMARK_CAPTURE(fit, quarter_turn, agv::PI / 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(fit, half_turn, agv::PI)->Unit(benchmark::kMicrosecond);

}  // namespace
