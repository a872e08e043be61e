// The search in a map on warehouses made from a seed: about 150,000 cells (25 m x 15 m) and
// 350,000 cells (35 m x 25 m) at 5 cm, 72 heading bins, start and goal 15-25 m apart in
// different aisles.  Each benchmark cycles through its queries and reports the median and the
// largest search time; an enclosed goal is refused; OMPL's BIT* over Reeds-Shepp curves with
// the same footprint check, on the same queries, reports its time to its first solution.
// AGV_BENCH_OMPL_BEST=1 adds the long comparison: BIT* for 20 s a query, its best cost beside
// the search's.
#include <benchmark/benchmark.h>

#include <ompl/base/ScopedState.h>
#include <ompl/base/objectives/PathLengthOptimizationObjective.h>
#include <ompl/base/spaces/ReedsSheppStateSpace.h>
#include <ompl/geometric/SimpleSetup.h>
#include <ompl/geometric/planners/informedtrees/BITstar.h>
#include <ompl/util/Console.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "agv/search.h"
#include "support/maps.h"

namespace {

constexpr double kRes = 0.05;
constexpr double kAisle = 3.2;  // aisles and the gaps in the rows of racks [m]
constexpr double kMargin = 1.2;
constexpr double kDepth = 1.0;  // a row of racks, as the generator makes it [m]
constexpr double kMinApart = 15.0, kMaxApart = 25.0;
constexpr int kQueries = 8;
constexpr double kOmplFirst = 20.0;  // seconds OMPL may take to its first solution
constexpr double kOmplBest = 20.0;   // seconds OMPL refines its best solution

// A warehouse of one of the two sizes, its index, and start and goal poses in its aisles.
struct Case {
  agv::Map map;
  agv::MapIndex ix;
  agv::Waypoint a, b;
};

std::vector<Case> cases(int size, const agv::Params& p) {
  const int w = size == 0 ? 500 : 700, h = size == 0 ? 300 : 500;
  std::vector<Case> out;
  std::mt19937 g(static_cast<std::uint32_t>(size + 1));
  for (std::uint32_t seed = 1; static_cast<int>(out.size()) < kQueries; ++seed) {
    Case c;
    c.map = agvtest::racks(w, h, kRes, kAisle, kAisle, kMargin, seed);
    agv::buildindex(c.map, p, c.ix);
    // The middles of the aisles: above each row of racks.
    std::vector<double> aisles;
    for (double y = kMargin; y + kDepth <= c.map.heightMetres() - kMargin; y += kDepth + kAisle)
      if (y + kDepth + kAisle / 2 < c.map.heightMetres() - kMargin) aisles.push_back(y + kDepth + kAisle / 2);
    const auto pick = [&] {
      const double x = kMargin + (c.map.widthMetres() - 2 * kMargin) * agvtest::uniform(g);
      const double y = aisles[g() % aisles.size()];
      return agv::Waypoint{x, y, g() % 2 == 0 ? 0.0 : 180.0};
    };
    for (int tries = 0; tries < 1000; ++tries) {
      c.a = pick();
      c.b = pick();
      const double d = std::hypot(c.b.x - c.a.x, c.b.y - c.a.y);
      if (c.a.y != c.b.y && d >= kMinApart && d <= kMaxApart &&
          !agv::collides(c.ix, c.a.x, c.a.y, c.a.thDeg * agv::DEG2RAD) &&
          !agv::collides(c.ix, c.b.x, c.b.y, c.b.thDeg * agv::DEG2RAD)) {
        out.push_back(std::move(c));
        break;
      }
    }
  }
  return out;
}

agv::Params params() {
  agv::Params p;
  p.reverse = 1;
  return p;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

// The search, one query an iteration; the time is the search's own (grid distances included).
void BM_SearchWarehouse(benchmark::State& state) {
  const agv::Params p = params();
  const std::vector<Case> cs = cases(static_cast<int>(state.range(0)), p);
  agv::SearchWork work;
  agv::SearchResult r;
  std::vector<double> ms;
  long found = 0, expansions = 0;
  std::size_t i = 0;
  for (auto _ : state) {
    const Case& c = cs[i++ % cs.size()];
    found += agv::planInMap(p, c.ix, c.a, c.b, work, r) == agv::SearchStatus::Found;
    expansions += r.expansions;
    ms.push_back(r.seconds * 1e3);
    state.SetIterationTime(r.seconds);
  }
  state.counters["median_ms"] = median(ms);
  state.counters["max_ms"] = *std::max_element(ms.begin(), ms.end());
  state.counters["found"] = static_cast<double>(found) / static_cast<double>(ms.size());
  state.counters["expansions"] = static_cast<double>(expansions) / static_cast<double>(ms.size());
}
BENCHMARK(BM_SearchWarehouse)->ArgName("cells350k")->Arg(0)->Arg(1)->UseManualTime()
    ->Iterations(5 * kQueries)->Unit(benchmark::kMillisecond);

// An enclosed goal: a ring of wall round the goal of every query; refused.
void BM_SearchEnclosedGoal(benchmark::State& state) {
  const agv::Params p = params();
  std::vector<Case> cs = cases(static_cast<int>(state.range(0)), p);
  for (Case& c : cs) {
    const double r = 1.5, t = 0.1;
    agvtest::fill(c.map, c.b.x - r, c.b.y - r, c.b.x + r, c.b.y - r + t);
    agvtest::fill(c.map, c.b.x - r, c.b.y + r - t, c.b.x + r, c.b.y + r);
    agvtest::fill(c.map, c.b.x - r, c.b.y - r, c.b.x - r + t, c.b.y + r);
    agvtest::fill(c.map, c.b.x + r - t, c.b.y - r, c.b.x + r, c.b.y + r);
    agv::buildindex(c.map, p, c.ix);
  }
  agv::SearchWork work;
  agv::SearchResult r;
  std::size_t i = 0;
  long refused = 0;
  for (auto _ : state) {
    const Case& c = cs[i++ % cs.size()];
    refused += agv::planInMap(p, c.ix, c.a, c.b, work, r) == agv::SearchStatus::Unreachable;
    state.SetIterationTime(r.seconds);
  }
  state.counters["refused"] = static_cast<double>(refused) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SearchEnclosedGoal)->ArgName("cells350k")->Arg(0)->Arg(1)->UseManualTime()
    ->Iterations(kQueries)->Unit(benchmark::kMillisecond);

// OMPL's BIT* over Reeds-Shepp curves of radius Ra, the body checked by the map's pose check at
// half a cell along its motions: the time to its first solution, or `seconds` for its best.
struct OmplRun {
  bool solved = false;
  double seconds = 0.0;
  double cost = 0.0;
};

OmplRun ompl(const Case& c, const agv::Params& p, double seconds, bool first) {
  namespace ob = ompl::base;
  namespace og = ompl::geometric;
  auto space = std::make_shared<ob::ReedsSheppStateSpace>(p.Ra);
  ob::RealVectorBounds bounds(2);
  bounds.setLow(0, c.map.x);
  bounds.setHigh(0, c.map.x + c.map.widthMetres());
  bounds.setLow(1, c.map.y);
  bounds.setHigh(1, c.map.y + c.map.heightMetres());
  space->setBounds(bounds);
  og::SimpleSetup ss(space);
  const agv::MapIndex& ix = c.ix;
  ss.setStateValidityChecker([&ix](const ob::State* s) {
    const auto* q = s->as<ob::SE2StateSpace::StateType>();
    return !agv::collides(ix, q->getX(), q->getY(), q->getYaw());
  });
  ss.getSpaceInformation()->setStateValidityCheckingResolution(
      agv::samplespacing(ix) / space->getMaximumExtent());
  ob::ScopedState<ob::SE2StateSpace> a(space), b(space);
  a->setXY(c.a.x, c.a.y);
  a->setYaw(c.a.thDeg * agv::DEG2RAD);
  b->setXY(c.b.x, c.b.y);
  b->setYaw(c.b.thDeg * agv::DEG2RAD);
  ss.setStartAndGoalStates(a, b);
  auto objective = std::make_shared<ob::PathLengthOptimizationObjective>(ss.getSpaceInformation());
  if (first) objective->setCostThreshold(ob::Cost(std::numeric_limits<double>::infinity()));
  ss.setOptimizationObjective(objective);
  ss.setPlanner(std::make_shared<og::BITstar>(ss.getSpaceInformation()));
  const auto t0 = std::chrono::steady_clock::now();
  const ob::PlannerStatus s = ss.solve(seconds);
  OmplRun out;
  out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  out.solved = s == ob::PlannerStatus::EXACT_SOLUTION;
  if (out.solved) out.cost = ss.getSolutionPath().length();
  return out;
}

void BM_OmplFirstSolution(benchmark::State& state) {
  ompl::msg::setLogLevel(ompl::msg::LOG_NONE);
  const agv::Params p = params();
  const std::vector<Case> cs = cases(static_cast<int>(state.range(0)), p);
  std::vector<double> ms;
  long solved = 0;
  std::size_t i = 0;
  for (auto _ : state) {
    const OmplRun o = ompl(cs[i++ % cs.size()], p, kOmplFirst, true);
    solved += o.solved;
    ms.push_back(o.seconds * 1e3);
    state.SetIterationTime(o.seconds);
  }
  state.counters["median_ms"] = median(ms);
  state.counters["max_ms"] = *std::max_element(ms.begin(), ms.end());
  state.counters["found"] = static_cast<double>(solved) / static_cast<double>(ms.size());
}
BENCHMARK(BM_OmplFirstSolution)->ArgName("cells350k")->Arg(0)->Arg(1)->UseManualTime()
    ->Iterations(kQueries)->Unit(benchmark::kMillisecond);

// BIT* for kOmplBest seconds a query against the search: the costs side by side (OMPL's path
// length is its cost, reverseCost 1 and cuspCost 0).
void BM_OmplBestCost(benchmark::State& state) {
  ompl::msg::setLogLevel(ompl::msg::LOG_NONE);
  const agv::Params p = params();
  const std::vector<Case> cs = cases(static_cast<int>(state.range(0)), p);
  agv::SearchWork work;
  agv::SearchResult r;
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t k = i++ % cs.size();
    const Case& c = cs[k];
    const OmplRun o = ompl(c, p, kOmplBest, false);
    agv::planInMap(p, c.ix, c.a, c.b, work, r);
    state.SetIterationTime(o.seconds);
    std::printf("query %zu: OMPL %s cost %.3f; search %s cost %.3f in %.1f ms (%.2f%% of OMPL's)\n",
                k, o.solved ? "found" : "none", o.cost,
                r.status == agv::SearchStatus::Found ? "found" : "none", r.cost,
                r.seconds * 1e3, o.solved ? 100 * (r.cost / o.cost - 1) : 0.0);
  }
}

[[maybe_unused]] const bool kBest = [] {
  if (std::getenv("AGV_BENCH_OMPL_BEST") != nullptr)
    benchmark::RegisterBenchmark("BM_OmplBestCost", BM_OmplBestCost)
        ->ArgName("cells350k")->Arg(0)->Arg(1)->UseManualTime()->Iterations(kQueries)
        ->Unit(benchmark::kMillisecond);
  return true;
}();

}  // namespace
