// Constant- and variable-velocity runs along the two PTP paths.
#include "motion/runs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
#include <numbers>
#include <string>
#include <vector>

#include "agv/ptp.h"
#include "motion/extents.h"
#include "motion/varruns.h"

// Counting replacements of the global allocation functions of this program.
static std::size_t allocations = 0;
void* operator new(std::size_t n) {
  ++allocations;
  if (void* p = std::malloc(n != 0 ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace agv;
using Recs = std::vector<Record>;

// End poses of the planner's own checks, then two of three arcs (the fourth field: the
// three-arc joins on): a U-turn to the lane beside (right, left, right) and a left, right,
// left join that turns a long way round.
constexpr double kPoses[][4] = {{2.0, 3.0, 0.0, 0},     {3.0, 1.0, 0.0, 0},  {0.5, 0.2, 0.0, 0},
                                {4.0, -3.0, -45.0, 0},  {2.0, 2.0, 90.0, 0}, {0.0, 0.5, 180.0, 1},
                                {-2.75, -2.0, -75.0, 1}};

// The result of the last pass and the end pose it went to.
std::unique_ptr<PtpResult> res = std::make_unique<PtpResult>();
double xf = 0, yf = 0, thf = 0;

// The whole pass to (x, y, thDeg degrees), with the three-arc joins when threeArcs.
bool pass(double x, double y, double thDeg, double threeArcs = 0) {
  xf = x;
  yf = y;
  thf = thDeg * DEG2RAD;
  Params p;
  p.threeArcs = static_cast<int>(threeArcs);
  return passPTP(p, x, y, thDeg, *res) == Status::Done;
}

// Distance of record n from (x, y), by default the end position.
double off(const Recs& run, int n, double x, double y) {
  return std::hypot(run[n].x - x, run[n].y - y);
}
double off(const Recs& run, int n) { return off(run, n, xf, yf); }
double therr(const Recs& run, int n) {
  return std::fabs(std::remainder(run[n].th - thf, 2.0 * std::numbers::pi));
}
// Change of field f from record n - 1 to record n.
double d(const Recs& run, int n, double Record::*f) { return run[n].*f - run[n - 1].*f; }

// The fields of a record from its distance on: s, th, x, y, phi, kap.
constexpr double Record::*kFields[] = {&Record::s, &Record::th, &Record::x,
                                        &Record::y, &Record::phi, &Record::kap};

// Records 0..N of a equal those of b (zero if b is null) in the first `fields` fields.
void expectSame(const Recs& a, const Recs* b, int N, int fields) {
  for (int n = 0; n <= N; ++n) {
    for (int f = 0; f < fields; ++f)
      ASSERT_EQ(a[n].*kFields[f], b ? (*b)[n].*kFields[f] : 0.0) << n << " " << f;
  }
}

// Reference and variable-velocity AGV end at the end pose (3000 RKG steps err
// < 1e-5 m), types 2 and 3 at constant velocity off it (steering lags); 2DW1C
// has no error, its variable-velocity records are the reference records.
TEST(PtpRuns, RunsEndWhereTheGeometrySays) {
  for (const auto& p : kPoses) {
    SCOPED_TRACE(::testing::Message() << "end pose " << p[0] << " " << p[1] << " " << p[2]);
    ASSERT_TRUE(pass(p[0], p[1], p[2], p[3]));
    const Steps& st = res->steps;
    const Schedule& v = res->schedule;
    for (int k = 0; k < 3; ++k) {
      SCOPED_TRACE(::testing::Message() << "type " << k + 1);
      const Runs& A = res->arc[k];
      const Runs& B = res->cl[k];
      ASSERT_EQ(A.ref.size(), static_cast<size_t>(st.nSeg[k].total + 1));
      ASSERT_EQ(B.ref.size(), static_cast<size_t>(st.nc[k].total + 1));
      ASSERT_EQ(A.vv.size(), static_cast<size_t>(v.nvSeg[k].total + 1));
      ASSERT_EQ(B.vv.size(), static_cast<size_t>(v.nvc[k].total + 1));
      EXPECT_LT(off(A.ref, st.nSeg[k].total), 1e-7);
      EXPECT_LT(therr(A.ref, st.nSeg[k].total), 1e-7);
      // The time of every record is the sum of the steps before it.
      EXPECT_NEAR(A.ref.back().t, st.Tseg[k].total, 1e-12);
      EXPECT_NEAR(B.ref.back().t, st.Tc[k].total, 1e-12);
      for (const Recs* r : {&A.ref, &A.cv, &A.err, &B.ref, &A.vv, &B.vv})
        for (size_t n = 1; n < r->size(); ++n) ASSERT_GT((*r)[n].t, (*r)[n - 1].t) << n;
      if (k == 0) continue;
      EXPECT_GT(off(A.cv, st.nSeg[k].total), 1e-3);
      EXPECT_GT(off(B.cv, st.nc[k].total), 1e-3);
      EXPECT_LT(off(A.vv, v.nvSeg[k].total), 1e-5);
      EXPECT_LT(off(B.vv, v.nvc[k].total), 1e-5);
      EXPECT_LT(therr(A.vv, v.nvSeg[k].total), 1e-5);
      EXPECT_LT(therr(B.vv, v.nvc[k].total), 1e-5);
      EXPECT_NEAR(B.vv[v.nvc[k].total].phi, 0.0, 1e-6);  // straight steering at the end
    }
    EXPECT_EQ(v.nvSeg[0].total, st.nSeg[0].total);
    EXPECT_EQ(v.nvc[0].total, st.nc[0].total);
    const Runs& A = res->arc[0];
    const Runs& B = res->cl[0];
    expectSame(A.err, nullptr, st.nSeg[0].total, 5);
    expectSame(A.vv, &A.ref, st.nSeg[0].total, 5);
    expectSame(B.err, nullptr, st.nc[0].total, 5);
    expectSame(B.vv, &B.ref, st.nc[0].total, 5);
  }
}

// Records [from, to) of a run have no curvature and no steering.
void expectStraight(const Recs& rec, int from, int to, const char* run) {
  for (int n = from; n < to; ++n) {
    ASSERT_EQ(rec[n].kap, 0.0) << run << " record " << n;
    ASSERT_EQ(rec[n].phi, 0.0) << run << " record " << n;
  }
}

TEST(PtpRuns, OnEveryStraightSegmentNoCurvatureAndNoSteering) {
  for (const auto& p : kPoses) {
    SCOPED_TRACE(::testing::Message() << "end pose " << p[0] << " " << p[1] << " " << p[2]);
    ASSERT_TRUE(pass(p[0], p[1], p[2], p[3]));
    const Steps& st = res->steps;
    const Schedule& sv = res->schedule;
    const ArcPath& path = res->path;
    const ClothoidPath& cl = res->clothoid;
    int straight = 0;
    for (int k = 0; k < 3; ++k) {
      const Runs& A = res->arc[k];
      const Runs& B = res->cl[k];
      SCOPED_TRACE(::testing::Message() << "type " << k + 1);
      int a = 0, v = 0, w = 0;  // first record of the segment: arc-line, its and clothoid-line vv
      double d = 0.0;           // distance at the start of the clothoid-line segment
      for (int j = 0; j < 3; ++j) {
        if (path.sgnK[j] == 0) {
          ++straight;
          expectStraight(A.ref, a, a + st.nSeg[k][j], "reference, arc-line");
          if (k > 0) {
            expectStraight(A.vv, v + sv.nv2[k][j][0] + 1, v + sv.nvSeg[k][j] + 1, "vv, arc-line");
            expectStraight(B.vv, w + 1, w + sv.nvc[k][j] + 1, "vv, clothoid-line");
          }
          for (int n = 0; n <= st.nc[k].total; ++n)
            if (B.ref[n].s > d + 1e-9 && B.ref[n].s < d + cl.sc[j] - 1e-9)
              expectStraight(B.ref, n, n + 1, "reference, clothoid-line");
        }
        a += st.nSeg[k][j];
        v += sv.nvSeg[k][j];
        w += sv.nvc[k][j];
        d += cl.sc[j];
      }
    }
    EXPECT_EQ(straight > 0, p[3] == 0);  // three arcs have no straight segment
  }
}

// Every run's distance grows from step to step; the reference points and the variable-velocity
// AGV run the whole path (within 0.1 mm a curved segment: the front drive's durations on the
// clothoids are the mean of its speed).
TEST(PtpRuns, DistancesGrowAndRunThePath) {
  for (const auto& p : kPoses) {
    SCOPED_TRACE(::testing::Message() << "end pose " << p[0] << " " << p[1] << " " << p[2]);
    ASSERT_TRUE(pass(p[0], p[1], p[2], p[3]));
    const double clothoidLine = res->clothoid.sc[0] + res->clothoid.sc[1] + res->clothoid.sc[2];
    for (int k = 0; k < 3; ++k) {
      const struct {
        const Recs& rec;
        double len;
      } runs[] = {{res->arc[k].ref, res->path.sf},
                  {res->cl[k].ref, clothoidLine},
                  {res->arc[k].vv, res->path.sf},
                  {res->cl[k].vv, clothoidLine}};
      for (const auto& r : runs) {
        for (size_t n = 1; n < r.rec.size(); ++n)
          ASSERT_GE(r.rec[n].s, r.rec[n - 1].s) << k << " " << n;
        EXPECT_NEAR(r.rec.back().s, r.len, 1e-4 * (1 + p[3] * 2)) << "type " << k + 1;
      }
    }
  }
}

TEST(PtpRuns, StraightAheadHasNoErrorForAnyType) {
  ASSERT_TRUE(pass(3.0, 0.0, 0.0));
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(::testing::Message() << "type " << k + 1);
    ASSERT_EQ(res->steps.nSeg[k].total, 150);
    ASSERT_EQ(res->steps.nc[k].total, 150);
    expectSame(res->arc[k].err, nullptr, 150, 6);
    expectSame(res->cl[k].err, nullptr, 150, 6);
  }
}

// Types 2 and 3 on a first left turn.  Arc-line: at constant velocity straight
// steering drifts off; at variable velocity they stand while steering to phiArc,
// then run at Vmax cos(phiArc) (type 2) or Vmax.  Clothoid-line: steering at
// steerRate from speed Vc.
TEST(PtpRuns, DefaultPathsStartingWithATurn) {
  ASSERT_TRUE(pass(2.0, 3.0, 0.0));
  const ArcPath& a = res->path;
  const Schedule& sv = res->schedule;
  ASSERT_EQ(a.sgnK[0], 1);
  for (int k = 1; k < 3; ++k) {
    SCOPED_TRACE(::testing::Message() << "type " << k + 1);
    const Runs& A = res->arc[k];
    const Recs& vvB = res->cl[k].vv;
    EXPECT_EQ(A.cv[0].phi, 0.0);
    for (int n = 1; n <= 40; ++n) ASSERT_GT(off(A.err, n, 0, 0), off(A.err, n - 1, 0, 0)) << n;
    const int n0 = sv.nv2[k][0][0], n1 = sv.nv2[k][0][1];
    ASSERT_EQ(n0, 19);
    for (int n = 1; n <= n0; ++n) {
      for (int f = 0; f < 4; ++f) EXPECT_EQ(A.vv[n].*kFields[f], A.vv[0].*kFields[f]) << n;
    }
    for (int n = 1; n < n0; ++n)
      EXPECT_NEAR(d(A.vv, n, &Record::phi), 2.0 * sv.dtv2[k][0][0], 1e-15);
    EXPECT_EQ(A.vv[n0].phi, a.phiArc);
    const double V = k == 1 ? std::cos(a.phiArc) : 1.0;
    for (int n = n0 + 1; n <= n0 + n1; ++n) {
      EXPECT_NEAR(d(A.vv, n, &Record::s), V * sv.dtv2[k][0][1], 1e-11) << n;
      EXPECT_EQ(A.vv[n].phi, a.phiArc);
      EXPECT_EQ(A.vv[n].kap, a.Karc);
    }
    const int m0 = sv.nv5[k][0][0];
    const double h = sv.dtv5[k][0][0];
    ASSERT_GT(m0, 1);
    for (int n = 1; n <= m0; ++n) EXPECT_NEAR(d(vvB, n, &Record::phi), 2.0 * h, 1e-10) << n;
    EXPECT_GT(d(vvB, 1, &Record::s), sv.Vc[k][0] * h);
    EXPECT_LT(d(vvB, 1, &Record::s), sv.Vc[k][0] * h * 1.01);
    // The curvature rises to Kc over the entry clothoid, falls back to 0.
    EXPECT_NEAR(vvB[m0 + sv.nv5[k][0][1]].kap, res->clothoid.Kc[0], 1e-6);
    EXPECT_NEAR(vvB[sv.nvc[k][0]].kap, 0.0, 1e-4);
  }
}

// Left arc, steering to the same angle, the same arc: the steering phase
// repeats the record; a schedule past the step capacity is refused.
TEST(PtpRuns, SteeringToTheSameAngleHoldsStill) {
  ASSERT_TRUE(pass(3.0, 0.0, 0.0));
  const Model m = makemodel(Params{}, Kind::PTP);
  ArcPath& a = res->path;
  Schedule& sv = res->schedule;
  for (int j = 0; j < 2; ++j) {
    a.sgnK[j] = 1;
    a.phiSeg[j] = a.phiArc;
    a.Kseg[j] = a.Karc;
  }
  const int steps[3][2] = {{19, 10}, {5, 10}, {0, 0}};
  for (int k = 1; k < 3; ++k) {
    std::copy_n(&steps[0][0], 6, &sv.nv2[k][0][0]);
    std::fill_n(&sv.dtv2[k][0][0], 6, m.dt);
  }
  ASSERT_EQ(caltrajVV(m, *res), 0);
  for (int k = 1; k < 3; ++k) {
    const Recs& vv = res->arc[k].vv;
    for (int n = 30; n <= 34; ++n) {
      for (int f = 0; f < 6; ++f) EXPECT_EQ(vv[n].*kFields[f], vv[29].*kFields[f]) << n << " " << f;
      EXPECT_GT(vv[n].t, vv[n - 1].t);
    }
    EXPECT_GT(vv[35].s, vv[34].s);
  }
  sv.nv2[2][1][1] = m.maxSteps;
  EXPECT_EQ(caltrajVV(m, *res), m.maxSteps);
  // The same for the clothoid-line run, on its straight segment.
  sv.nv2[2][1][1] = 10;
  a.sgnK[1] = 0;
  sv.nvc[2][1] = m.maxSteps + 5;
  sv.dtvl[2][1] = m.dt;
  EXPECT_EQ(caltrajVV(m, *res), m.maxSteps);
}

// The longest pose that passes: a second pass into the same result allocates nothing.
// Stretched to maxSteps - 1 steps the runs still fit; one more is refused, and says which
// run and at which count.
TEST(PtpRuns, RunsAtTheStepLimit) {
  ASSERT_TRUE(pass(57.86, 3.0, 0.0));
  const std::size_t before = allocations;
  ASSERT_TRUE(pass(57.86, 3.0, 0.0));
  EXPECT_EQ(allocations, before);
  const Model m = makemodel(Params{}, Kind::PTP);
  Steps& st = res->steps;
  EXPECT_EQ(caltrajPTP(m, *res), st.nc[2].total);
  for (int k = 0; k < 3; ++k) {
    st.nSeg[k][1] += m.maxSteps - 1 - st.nSeg[k].total;
    st.nc3[k][1][1] += m.maxSteps - 1 - st.nc[k].total;
  }
  EXPECT_EQ(caltrajPTP(m, *res), m.maxSteps - 1);
  EXPECT_EQ(res->refusal.status, Status::Done);
  ++st.nSeg[0][1];
  EXPECT_GE(caltrajPTP(m, *res), m.maxSteps);
  EXPECT_EQ(res->refusal.status, Status::RunTooLong);
  EXPECT_EQ(res->refusal.run, 'a');
  EXPECT_EQ(res->refusal.count, 3000);
  --st.nSeg[0][1];
  ++st.nc3[2][1][1];
  res->refusal = Refusal{};
  EXPECT_GE(caltrajPTP(m, *res), m.maxSteps);
  EXPECT_EQ(res->refusal.run, 'b');
}

}  // namespace

namespace {

TEST(Extents, PoolTwoFieldsAndStartAtPlusMinusThousand) {
  const struct {
    std::vector<agv::Record> recs;
    double hi, lo, mag;
  } cases[] = {
      {{{0, 0, 0, 0.5, -2.0, 0, 0}, {0, 0, 0, 3.0, 1.0, 0, 0}}, 3.0, -2.0, 3.0},
      {{{0, 0, 0, 0.5, -2.0, 0, 0}}, 0.5, -2.0, 2.0},
      {{{0, 0, 0, 1500.0, 2000.0, 0, 0}, {0, 0, 0, 1200.0, 1e6, 0, 0}}, 1e6, 1000.0, 1e6},
      {{{0, 0, 0, -1500.0, -2000.0, 0, 0}, {0, 0, 0, -1200.0, -3000.0, 0, 0}}, -1000.0, -3000.0,
       3000.0},
  };
  for (const auto& c : cases) {
    const agv::Extent e = agv::bounds(c.recs, &agv::Record::x, c.recs, &agv::Record::y);
    EXPECT_EQ(e.hi, c.hi);
    EXPECT_EQ(e.lo, c.lo);
    EXPECT_EQ(e.mag, c.mag);
  }
}

}  // namespace
