// A whole CP pass (range check, length check, table, step count, tracking
// runs, extents) for each curve with its default constants, and for a
// curve close to the longest that still passes.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include "agv/cp.h"
#include "cp/arclen.h"
#include "cp/curves.h"

namespace {

// The start-up's constants of each curve.
const std::map<int, agv::Curve> kCurves = {
    {1, {1, 2.0, 5.0}},   {2, {2, 2.0, 5.0}},   {3, {3, 1.0, 1.0}},
    {4, {4, 1.0, 1.0}},   {11, {11, 2.0, 1.0}}, {12, {12, 1.0, 2.0}},
    {13, {13, 1.0, 0.0}}, {14, {14, 1.0, 2.0}}, {16, {16, 0.2, 2.0}}};

void runpass(benchmark::State& state, const agv::Curve& c) {
  const agv::Params p;
  auto r = std::make_unique<agv::CpResult>();
  for (auto _ : state) {
    if (agv::passCP(p, c, *r) != agv::Status::Done) {
      state.SkipWithError("the curve does not pass");
      break;
    }
    benchmark::DoNotOptimize(r->NN[2]);
  }
  state.counters["sf"] = r->length;
  state.counters["NNtype2"] = r->NN[1];
}

void BM_CpPassDefault(benchmark::State& state) {
  runpass(state, kCurves.at(static_cast<int>(state.range(0))));
}
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
// front-driven run fills the records to the last index.
void BM_CpPassLongest(benchmark::State& state) { runpass(state, agv::Curve{1, 12.2, 29.98}); }
BENCHMARK(BM_CpPassLongest)->Unit(benchmark::kMillisecond);

// The inversion alone, at the distances of a full-speed run.
void BM_S2u(benchmark::State& state) {
  agv::CurveModel c = agv::curvemodel(kCurves.at(static_cast<int>(state.range(0))));
  agv::curvsetup(c);
  double sf = 0.0;
  agv::chklen(c, 3000, 1e9, sf);
  std::vector<agv::TabRow> tab;
  agv::caltab(c, 3000, sf, tab);
  const agv::CurveTable t{c, sf, tab};
  for (auto _ : state) {
    double u = 0.0;
    for (double s = 0.004; s < sf; s += 0.004) u = agv::s2u(u - 0.1, s, t);
    benchmark::DoNotOptimize(u);
  }
}
BENCHMARK(BM_S2u)->Arg(1)->Arg(11)->Unit(benchmark::kMillisecond);

}  // namespace
