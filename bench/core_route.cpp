// A route of 100 legs against its legs passed one by one: the route's pass should cost no more
// than 1.1 times the sum of its legs' single passes (the carried-on runs append, nothing is
// redone).  Each into a result that is reused, after a warm-up; and each into new results, where
// the route's records (about 70 MB) are memory the system has to hand out afresh.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "agv/route.h"

namespace {

constexpr int kLegs = 100;

// 101 waypoints in a 10 m square, headings anywhere, the same every run.
std::vector<agv::Waypoint> waypoints() {
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> xy(-5.0, 5.0), th(-180.0, 180.0);
  std::vector<agv::Waypoint> w(kLegs + 1);
  for (agv::Waypoint& p : w) p = {xy(gen), xy(gen), th(gen)};
  return w;
}

void route100(benchmark::State& state, bool fresh) {
  const agv::Params p;
  const std::vector<agv::Waypoint> w = waypoints();
  // Reused across the calls that the library makes to size the iterations, too.
  static auto kept = std::make_unique<agv::RouteResult>();
  std::unique_ptr<agv::RouteResult> own;
  agv::RouteResult* r = kept.get();
  for (auto _ : state) {
    if (fresh) r = (own = std::make_unique<agv::RouteResult>()).get();
    if (agv::passRoute(p, w, *r) != agv::Status::Done) {
      state.SkipWithError("the route does not pass");
      break;
    }
    benchmark::DoNotOptimize(r->bndPTP);
  }
  state.counters["records"] = static_cast<double>(r->arc[1].cv.size());
}

// The same legs, each a single pass from its start pose.
void legs100(benchmark::State& state, bool fresh) {
  const agv::Params p;
  const std::vector<agv::Waypoint> w = waypoints();
  static auto kept = std::make_unique<agv::PtpResult>();
  std::unique_ptr<agv::PtpResult> own;
  agv::PtpResult* r = kept.get();
  for (auto _ : state) {
    for (int i = 0; i < kLegs; ++i) {
      if (fresh) r = (own = std::make_unique<agv::PtpResult>()).get();
      if (agv::passPTP(p, w[i], w[i + 1], *r) != agv::Status::Done) {
        state.SkipWithError("a leg does not pass");
        return;
      }
      benchmark::DoNotOptimize(r->bndPTP);
    }
  }
}

BENCHMARK_CAPTURE(route100, reused, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(legs100, reused, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(route100, fresh, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(legs100, fresh, true)->Unit(benchmark::kMillisecond);

}  // namespace
