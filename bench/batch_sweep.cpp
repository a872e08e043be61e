// agvbatch's sweep of 10,000 typical end poses (|x|, |y| <= 5 m, every 15 degrees): with one
// and two threads, output included, against the same passes run back to back without any
// output.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "agv/ptp.h"
#include "batch/batch.h"
#include "batch/sweep.h"

namespace {

const agvbatch::Range kX{-4.5, 5.0, 0.5}, kY{-4.5, 5.0, 0.5}, kTh{-180.0, 180.0, 15.0};

double poses() { return static_cast<double>(kX.count()) * kY.count() * kTh.count(); }

void BM_Sweep(benchmark::State& state) {
  const std::string out = "/tmp/agvbench_sweep_" + std::to_string(getpid()) + ".csv";
  for (auto _ : state) {
    if (agvbatch::run({"sweep", "--x", "-4.5:5:0.5", "--y", "-4.5:5:0.5", "--th", "-180:180:15",
                       "--jobs", std::to_string(state.range(0)), "--out", out}) != agvbatch::OK)
      state.SkipWithError("the sweep failed");
  }
  std::remove(out.c_str());
  state.counters["poses/s"] = benchmark::Counter(poses(), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Sweep)->Arg(1)->Arg(2)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

void BM_SweepPassesOnly(benchmark::State& state) {
  const agv::Params p;
  auto r = std::make_unique<agv::PtpResult>();
  for (auto _ : state) {
    for (long i = 0; i < kX.count(); ++i)
      for (long j = 0; j < kY.count(); ++j)
        for (long k = 0; k < kTh.count(); ++k)
          benchmark::DoNotOptimize(agv::passPTP(p, kX.at(i), kY.at(j), kTh.at(k), *r));
  }
  state.counters["poses/s"] = benchmark::Counter(poses(), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SweepPassesOnly)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace
