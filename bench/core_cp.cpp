// A whole CP pass of the dialogue (range check, length check, table, step
// count, tracking runs, extents) for each curve with its default
// constants, and for a curve close to the longest that still passes.
#include <benchmark/benchmark.h>

#include <string>

#include "control/base/console.h"
#include "control/base/params.h"
#include "control/pass.h"
#include "control/startup.h"
#include "cp/arclen.h"
#include "cp/curves.h"
#include "motion/records.h"

namespace {

// The start-up's constants, once; its report kept off the terminal.
void defaults() {
  static const bool done = [] {
    std::string out;
    agv::con::script("", &out);
    agv::startup();
    agv::con::scriptEnd();
    return true;
  }();
  (void)done;
}

void runpass(benchmark::State& state, int I) {
  defaults();
  agv::curvsetup(I);
  std::string out;
  for (auto _ : state) {
    out.clear();
    agv::con::script("", &out);  // the progress line, kept off the terminal
    agv::passCP(I);
    agv::con::scriptEnd();
    benchmark::DoNotOptimize(agv::NN[2]);
  }
  state.counters["sf"] = agv::Pfcp[I][3];
  state.counters["NNtype2"] = agv::NN[1];
}

void BM_CpPassDefault(benchmark::State& state) { runpass(state, static_cast<int>(state.range(0))); }
BENCHMARK(BM_CpPassDefault)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Arg(4)
    ->Arg(11)
    ->Arg(12)
    ->Arg(13)
    ->Arg(14)
    ->Arg(16)
    ->Unit(benchmark::kMillisecond);

// The cosine of amplitude 12.2 m over 29.98 m: 59.3 m long, and its
// front-driven run fills the record arrays to the last index.
void BM_CpPassLongest(benchmark::State& state) {
  defaults();
  const double a = agv::A1, l = agv::L1;
  agv::A1 = 12.2;
  agv::L1 = 29.98;
  runpass(state, 1);
  agv::A1 = a;
  agv::L1 = l;
  agv::curvsetup(1);
}
BENCHMARK(BM_CpPassLongest)->Unit(benchmark::kMillisecond);

// The inversion alone, at the distances of a full-speed run.
void BM_S2u(benchmark::State& state) {
  const int I = static_cast<int>(state.range(0));
  defaults();
  agv::curvsetup(I);
  agv::chklen(I);
  agv::caltab(I);
  const double sf = agv::Pfcp[I][3];
  for (auto _ : state) {
    double u = 0.0;
    for (double s = 0.004; s < sf; s += 0.004) u = agv::s2u(u - 0.1, s, I);
    benchmark::DoNotOptimize(u);
  }
}
BENCHMARK(BM_S2u)->Arg(1)->Arg(11)->Unit(benchmark::kMillisecond);

}  // namespace
