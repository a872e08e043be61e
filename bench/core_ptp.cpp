// A whole PTP plan: the arc-line planner with its report, the clothoid
// fits and step tables, and the variable-velocity schedule.
#include <benchmark/benchmark.h>

#include <string>

#include "control/base/console.h"
#include "control/base/params.h"
#include "control/pass.h"
#include "ptp/clothoid.h"
#include "ptp/planner.h"
#include "ptp/steps.h"

namespace {

using namespace agv;

void ptpplan(benchmark::State& state, double x, double y, double thDeg) {
  std::string out;
  out.reserve(1 << 12);  // the report, kept off the terminal
  for (auto _ : state) {
    out.clear();
    con::script("", &out);
    Pose P0{0.0, 0.0, 0.0, 0.0};
    Pose PF{x, y, thDeg * DEG2RAD, 0.0};
    const int ok = planPTP(P0, PF);
    con::scriptEnd();
    if (ok != 1) {
      state.SkipWithError("the pose does not pass");
      break;
    }
    benchmark::DoNotOptimize(sf);
  }
}

// One fit alone, the hot part of a plan.
void fit(benchmark::State& state, double Th) {
  Karc = 1.0;
  for (auto _ : state) {
    double phi = 0, kap = 0;
    benchmark::DoNotOptimize(clsolve(Th, phi, kap));
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

BENCHMARK_CAPTURE(fit, quarter_turn, PI / 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(fit, half_turn, PI)->Unit(benchmark::kMicrosecond);

}  // namespace
