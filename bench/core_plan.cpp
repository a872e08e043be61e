// Plan-only queries on the same 200,000 random end poses from the start pose
// (0, 0, 0), radius 1: the planner's forward join (planjoin, with the
// three-arc joins) and the Reeds-Shepp path, against OMPL's Dubins and
// Reeds-Shepp paths; and the full candidate table with its poses, for
// comparison.  Items per second are queries per second.
#include <benchmark/benchmark.h>
#include <ompl/base/spaces/DubinsStateSpace.h>
#include <ompl/base/spaces/ReedsSheppStateSpace.h>

#include <random>
#include <vector>

#include "agv/ptp.h"
#include "ptp/planner.h"
#include "ptp/reeds.h"

namespace {

constexpr int kPoses = 200000;
constexpr double kSpan = 10.0;  // end positions within +-kSpan [m]

// The end poses: x, y in [-10, 10] m, headings in (-pi, pi], a fixed seed.
std::vector<agv::Pose> endposes() {
  std::mt19937_64 rng(20261208);
  std::uniform_real_distribution<double> xy(-kSpan, kSpan), th(-agv::PI, agv::PI);
  std::vector<agv::Pose> p(kPoses);
  for (agv::Pose& e : p) e = {xy(rng), xy(rng), -th(rng), 0};
  return p;
}

// Runs query(end pose) over every end pose per iteration; its lengths are summed.
template <class Query>
void queries(benchmark::State& state, Query query) {
  const std::vector<agv::Pose> ends = endposes();
  double sum = 0;
  for (auto _ : state) {
    for (const agv::Pose& e : ends) sum += query(e);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kPoses);
}

void forwardJoin(benchmark::State& state) {
  agv::Word w;
  double r = 0;
  queries(state, [&](const agv::Pose& e) {
    agv::planjoin({}, e, 1.0, true, w, r);
    return w.length;
  });
}

void reedsShepp(benchmark::State& state) {
  agv::Word w;
  queries(state, [&](const agv::Pose& e) {
    agv::reedsshepp({}, e, 1.0, 1.0, 0.0, w);
    return w.length;
  });
}

// The library's plan-only query, headings in degrees at its edge: forward (three-arc joins)
// and backing up.
void planOnly(benchmark::State& state, int reverse) {
  agv::Params p;
  p.threeArcs = 1;
  p.reverse = reverse;
  queries(state, [&](const agv::Pose& e) {
    return agv::planOnly(p, {}, {e.x, e.y, e.th * (180 / agv::PI)}).length;
  });
}

// The table calPTP selects from: every row with the poses of its joints.
void candidateTable(benchmark::State& state) {
  agv::Candidate c[agv::nRowsMax];
  queries(state, [&](const agv::Pose& e) {
    double best = agv::lenBackward;
    for (int i = 0, rows = agv::candidates({}, e, 1.0, true, c); i < rows; ++i) best = c[i].L < best ? c[i].L : best;
    return best;
  });
}

// OMPL's state spaces, with the start state at the origin and the end state set per query.
template <class Space>
struct Ompl {
  Space space{1.0};
  ompl::base::State* a = space.allocState();
  ompl::base::State* b = space.allocState();
  Ompl() { set(a, {}); }
  ~Ompl() {
    space.freeState(a);
    space.freeState(b);
  }
  Ompl(const Ompl&) = delete;
  Ompl& operator=(const Ompl&) = delete;
  static void set(ompl::base::State* s, const agv::Pose& p) {
    auto* se2 = s->as<ompl::base::SE2StateSpace::StateType>();
    se2->setXY(p.x, p.y);
    se2->setYaw(p.th);
  }
};

void omplDubins(benchmark::State& state) {
  Ompl<ompl::base::DubinsStateSpace> o;
  queries(state, [&](const agv::Pose& e) {
    o.set(o.b, e);
    return o.space.dubins(o.a, o.b).length();
  });
}

void omplReedsShepp(benchmark::State& state) {
  Ompl<ompl::base::ReedsSheppStateSpace> o;
  queries(state, [&](const agv::Pose& e) {
    o.set(o.b, e);
    return o.space.reedsShepp(o.a, o.b).length();
  });
}

BENCHMARK(forwardJoin)->Unit(benchmark::kMillisecond);
BENCHMARK(omplDubins)->Unit(benchmark::kMillisecond);
BENCHMARK(reedsShepp)->Unit(benchmark::kMillisecond);
BENCHMARK(omplReedsShepp)->Unit(benchmark::kMillisecond);
BENCHMARK(candidateTable)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(planOnly, forward, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(planOnly, reverse, 1)->Unit(benchmark::kMillisecond);

}  // namespace
