// Collision checks in a map of 600 x 400 cells (30 m x 20 m at 5 cm): checks a second on the
// example warehouse and on a cluttered map, with the index's shortcut and by the exact test
// alone; building the index; and the default PTP pass with every record of its runs checked
// against the pass alone.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "agv/map.h"
#include "agv/ptp.h"
#include "map/collide.h"
#include "mapfile/mapfile.h"

namespace {

// Random poses a benchmark cycles through.
constexpr int kPoses = 4096;

agv::Map warehouse() {
  agv::Map m;
  std::string err;
  if (!agv::mapfile::loadmap(std::string(AGV_SOURCE_DIR) + "/examples/warehouse.yaml", m, err))
    throw std::runtime_error(err);
  return m;
}

// The warehouse's size, strewn with 300 boxes of 5 cm to 1 m a side.
agv::Map cluttered() {
  agv::Map m = warehouse();
  std::fill(m.cells.begin(), m.cells.end(), agv::Cell::Free);
  std::mt19937 rng(1);
  for (int k = 0; k < 300; ++k) {
    const int c0 = static_cast<int>(rng() % m.width), r0 = static_cast<int>(rng() % m.height);
    const int w = 1 + static_cast<int>(rng() % 20), h = 1 + static_cast<int>(rng() % 20);
    for (int r = r0; r < std::min(m.height, r0 + h); ++r)
      for (int c = c0; c < std::min(m.width, c0 + w); ++c)
        m.cells[static_cast<size_t>(r) * m.width + c] = agv::Cell::Occupied;
  }
  return m;
}

struct Poses {
  std::vector<double> x, y, th;
};

Poses poses(const agv::Map& m) {
  std::mt19937 rng(2);
  std::uniform_real_distribution<double> u(0, 1), th(-agv::PI, agv::PI);
  Poses p;
  for (int i = 0; i < kPoses; ++i) {
    p.x.push_back(m.x + u(rng) * m.widthMetres());
    p.y.push_back(m.y + u(rng) * m.heightMetres());
    p.th.push_back(th(rng));
  }
  return p;
}

template <class Check>
void checks(benchmark::State& state, const agv::Map& m, Check check) {
  agv::MapIndex ix;
  agv::buildindex(m, agv::Params{}, ix);
  const Poses p = poses(m);
  int i = 0, hits = 0;
  for (auto _ : state) {
    hits += static_cast<bool>(check(ix, p.x[i], p.y[i], p.th[i]));
    i = (i + 1) % kPoses;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["collide"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
}

void BM_MapCheck(benchmark::State& state) {
  checks(state, state.range(0) != 0 ? cluttered() : warehouse(), agv::collides);
}
BENCHMARK(BM_MapCheck)->ArgName("cluttered")->Arg(0)->Arg(1);

void BM_MapCheckExactOnly(benchmark::State& state) {
  checks(state, state.range(0) != 0 ? cluttered() : warehouse(), agv::exactcontact);
}
BENCHMARK(BM_MapCheckExactOnly)->ArgName("cluttered")->Arg(0)->Arg(1);

void BM_MapIndex(benchmark::State& state) {
  const agv::Map m = cluttered();
  agv::MapIndex ix;
  for (auto _ : state) benchmark::DoNotOptimize(agv::buildindex(m, agv::Params{}, ix));
}
BENCHMARK(BM_MapIndex)->Unit(benchmark::kMillisecond);

// The default PTP pass, alone (0) or in the warehouse (1), where its paths and every record of
// its runs are checked: the reference point's, the constant-velocity and the variable-velocity
// AGV's.
void BM_PassWithMap(benchmark::State& state) {
  const agv::Map m = warehouse();
  agv::MapIndex ix;
  agv::buildindex(m, agv::Params{}, ix);
  auto r = std::make_unique<agv::PtpResult>();
  const agv::Waypoint start{0, 0, 0}, end{2, 3, 0};
  for (auto _ : state) {
    const agv::Status s = state.range(0) == 0 ? agv::passPTP(agv::Params{}, start, end, *r)
                                              : agv::passPTP(agv::Params{}, start, end, ix, *r);
    if (s != agv::Status::Done) {
      state.SkipWithError("the pose does not pass");
      break;
    }
  }
}
BENCHMARK(BM_PassWithMap)->ArgName("checked")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
