// Constant- and variable-velocity runs along the two PTP paths.
#include "motion/runs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <numbers>
#include <string>

#include "control/base/console.h"
#include "control/base/params.h"
#include "control/pass.h"
#include "motion/varruns.h"
#include "ptp/clpath.h"
#include "ptp/planner.h"
#include "ptp/schedule.h"
#include "ptp/steps.h"
#include "ptp/path.h"
#include "motion/records.h"

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
using Recs = const double (*)[6];

// End poses of the planner's own checks.
constexpr double kPoses[][3] = {
    {2.0, 3.0, 0.0}, {3.0, 1.0, 0.0}, {0.5, 0.2, 0.0}, {4.0, -3.0, -45.0}, {2.0, 2.0, 90.0}};

// f() with the console captured into out (emptied first).
template <class F>
int captured(std::string& out, F f) {
  out.clear();
  con::script("", &out);
  const int r = f();
  con::scriptEnd();
  return r;
}

// Plans the path to (x, y, thDeg degrees); the planner's result.
int plan(double x, double y, double thDeg) {
  dSteerMax = steerRate * dt;
  Pose P0{x0, agv::y0, th0, 0.0}, PF{xf = x, yf = y, thf = thDeg * DEG2RAD, 0.0};
  std::string sink;
  return captured(sink, [&] { return planPTP(P0, PF); });
}

// The whole pass to (x, y, thDeg degrees), as the dialogue runs it.
bool pass(double x, double y, double thDeg) {
  xf = x;
  yf = y;
  thf = thDeg * DEG2RAD;
  std::string sink;
  return captured(sink, [] { return passPTP().status == PassStatus::Done ? 1 : 0; }) == 1;
}

// Distance of record n from (x, y), by default the end position.
double off(Recs run, int n, double x = xf, double y = yf) {
  return std::hypot(run[n][RX] - x, run[n][RY] - y);
}
double therr(Recs run, int n) {
  return std::fabs(std::remainder(run[n][RTH] - thf, 2.0 * std::numbers::pi));
}
// Change of field f from record n - 1 to record n.
double d(Recs run, int n, int f) { return run[n][f] - run[n - 1][f]; }

// Records 0..N of a equal those of b (zero if b is null) in fields RS..last.
void expectSame(Recs a, Recs b, int N, int last) {
  for (int n = 0; n <= N; ++n) {
    for (int f = RS; f <= last; ++f) ASSERT_EQ(a[n][f], b ? b[n][f] : 0.0) << n << " " << f;
  }
}

// Reference and variable-velocity AGV end at the end pose (3000 RKG steps err
// < 1e-5 m), types 2 and 3 at constant velocity off it (steering lags); 2DW1C
// has no error, its variable-velocity records are the reference records.
TEST(PtpRuns, RunsEndWhereTheGeometrySays) {
  for (const auto& p : kPoses) {
    SCOPED_TRACE(::testing::Message() << "end pose " << p[0] << " " << p[1] << " " << p[2]);
    ASSERT_TRUE(pass(p[0], p[1], p[2]));
    for (int k = 0; k < 3; ++k) {
      SCOPED_TRACE(::testing::Message() << "type " << k + 1);
      EXPECT_LT(off(refA[k], nSeg[k][3]), 1e-7);
      EXPECT_LT(therr(refA[k], nSeg[k][3]), 1e-7);
      if (k == 0) continue;
      EXPECT_GT(off(cvA[k], nSeg[k][3]), 1e-3);
      EXPECT_GT(off(cvB[k], nc[k][3]), 1e-3);
      EXPECT_LT(off(vvA[k], nvSeg[k][3]), 1e-5);
      EXPECT_LT(off(vvB[k], nvc[k][3]), 1e-5);
      EXPECT_LT(therr(vvA[k], nvSeg[k][3]), 1e-5);
      EXPECT_LT(therr(vvB[k], nvc[k][3]), 1e-5);
      EXPECT_NEAR(vvB[k][nvc[k][3]][RPHI], 0.0, 1e-6);  // straight steering at the end
    }
    EXPECT_EQ(nvSeg[0][3], nSeg[0][3]);
    EXPECT_EQ(nvc[0][3], nc[0][3]);
    expectSame(errA[0], nullptr, nSeg[0][3], RPHI);
    expectSame(vvA[0], refA[0], nSeg[0][3], RPHI);
    expectSame(errB[0], nullptr, nc[0][3], RPHI);
    expectSame(vvB[0], refB[0], nc[0][3], RPHI);
  }
}

// Records [from, to) of a run have no curvature and no steering.
void expectStraight(Recs rec, int from, int to, const char* run) {
  for (int n = from; n < to; ++n) {
    ASSERT_EQ(rec[n][RKAP], 0.0) << run << " record " << n;
    ASSERT_EQ(rec[n][RPHI], 0.0) << run << " record " << n;
  }
}

TEST(PtpRuns, OnEveryStraightSegmentNoCurvatureAndNoSteering) {
  for (const auto& p : kPoses) {
    SCOPED_TRACE(::testing::Message() << "end pose " << p[0] << " " << p[1] << " " << p[2]);
    ASSERT_TRUE(pass(p[0], p[1], p[2]));
    int straight = 0;
    for (int k = 0; k < 3; ++k) {
      SCOPED_TRACE(::testing::Message() << "type " << k + 1);
      int a = 0, v = 0, w = 0;  // first record of the segment: arc-line, its and clothoid-line vv
      double d = 0.0;           // distance at the start of the clothoid-line segment
      for (int j = 0; j < 3; ++j) {
        if (sgnK[j] == 0) {
          ++straight;
          expectStraight(refA[k], a, a + nSeg[k][j], "reference, arc-line");
          if (k > 0) {
            expectStraight(vvA[k], v + nv2[k][j][0] + 1, v + nvSeg[k][j] + 1, "vv, arc-line");
            expectStraight(vvB[k], w + 1, w + nvc[k][j] + 1, "vv, clothoid-line");
          }
          for (int n = 0; n <= nc[k][TOTAL]; ++n)
            if (refB[k][n][RS] > d + 1e-9 && refB[k][n][RS] < d + sc[j] - 1e-9)
              expectStraight(refB[k], n, n + 1, "reference, clothoid-line");
        }
        a += nSeg[k][j];
        v += nvSeg[k][j];
        w += nvc[k][j];
        d += sc[j];
      }
    }
    EXPECT_GT(straight, 0);
  }
}

// Every run's distance grows from step to step; the reference points and the variable-velocity
// AGV run the whole path.
TEST(PtpRuns, DistancesGrowAndRunThePath) {
  for (const auto& p : kPoses) {
    SCOPED_TRACE(::testing::Message() << "end pose " << p[0] << " " << p[1] << " " << p[2]);
    ASSERT_TRUE(pass(p[0], p[1], p[2]));
    const double clothoidLine = sc[0] + sc[1] + sc[2];
    for (int k = 0; k < 3; ++k) {
      const struct {
        Recs rec;
        int n;
        double len;
      } runs[] = {{refA[k], nSeg[k][TOTAL], sf},
                  {refB[k], nc[k][TOTAL], clothoidLine},
                  {vvA[k], nvSeg[k][TOTAL], sf},
                  {vvB[k], nvc[k][TOTAL], clothoidLine}};
      for (const auto& r : runs) {
        for (int n = 1; n <= r.n; ++n) ASSERT_GE(r.rec[n][RS], r.rec[n - 1][RS]) << k << " " << n;
        EXPECT_NEAR(r.rec[r.n][RS], r.len, 1e-4) << "type " << k + 1;
      }
    }
  }
}

TEST(PtpRuns, StraightAheadHasNoErrorForAnyType) {
  ASSERT_TRUE(pass(3.0, 0.0, 0.0));
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(::testing::Message() << "type " << k + 1);
    ASSERT_EQ(nSeg[k][3], 150);
    ASSERT_EQ(nc[k][3], 150);
    expectSame(errA[k], nullptr, 150, RKAP);
    expectSame(errB[k], nullptr, 150, RKAP);
  }
}

// Types 2 and 3 on a first left turn.  Arc-line: at constant velocity straight
// steering drifts off; at variable velocity they stand while steering to phiArc,
// then run at Vmax cos(phiArc) (type 2) or Vmax.  Clothoid-line: steering at
// steerRate from speed Vc.
TEST(PtpRuns, DefaultPathsStartingWithATurn) {
  ASSERT_TRUE(pass(2.0, 3.0, 0.0));
  ASSERT_EQ(sgnK[0], 1);
  for (int k = 1; k < 3; ++k) {
    SCOPED_TRACE(::testing::Message() << "type " << k + 1);
    EXPECT_EQ(cvA[k][0][RPHI], 0.0);
    for (int n = 1; n <= 40; ++n) ASSERT_GT(off(errA[k], n, 0, 0), off(errA[k], n - 1, 0, 0)) << n;
    const int n0 = nv2[k][0][0], n1 = nv2[k][0][1];
    ASSERT_EQ(n0, 19);
    const double start[] = {0.0, th0, x0, agv::y0};
    for (int n = 1; n <= n0; ++n) {
      for (int f = RS; f <= RY; ++f) EXPECT_EQ(vvA[k][n][f], start[f]) << n << " " << f;
    }
    for (int n = 1; n < n0; ++n) EXPECT_NEAR(d(vvA[k], n, RPHI), steerRate * dtv2[k][0][0], 1e-15);
    EXPECT_EQ(vvA[k][n0][RPHI], phiArc);
    const double V = k == 1 ? Vmax * std::cos(phiArc) : Vmax;
    for (int n = n0 + 1; n <= n0 + n1; ++n) {
      EXPECT_NEAR(d(vvA[k], n, RS), V * dtv2[k][0][1], 1e-11) << n;
      EXPECT_EQ(vvA[k][n][RPHI], phiArc);
      EXPECT_EQ(vvA[k][n][RKAP], Karc);
    }
    const int m0 = nv5[k][0][0];
    const double h = dtv5[k][0][0];
    ASSERT_GT(m0, 1);
    for (int n = 1; n <= m0; ++n) EXPECT_NEAR(d(vvB[k], n, RPHI), steerRate * h, 1e-10) << n;
    EXPECT_GT(d(vvB[k], 1, RS), Vc[k][0] * h);
    EXPECT_LT(d(vvB[k], 1, RS), Vc[k][0] * h * 1.01);
    // The curvature rises to Kc over the entry clothoid, falls back to 0.
    EXPECT_NEAR(vvB[k][m0 + nv5[k][0][1]][RKAP], Kc[0], 1e-6);
    EXPECT_NEAR(vvB[k][nvc[k][0]][RKAP], 0.0, 1e-4);
  }
}

// Left arc, steering to the same angle, the same arc: the steering phase
// repeats the record; a schedule past the record arrays is refused.
TEST(PtpRuns, SteeringToTheSameAngleHoldsStill) {
  ASSERT_TRUE(pass(3.0, 0.0, 0.0));
  for (int j = 0; j < 2; ++j) {
    sgnK[j] = 1;
    phiSeg[j] = phiArc;
    Kseg[j] = Karc;
  }
  const int steps[3][2] = {{19, 10}, {5, 10}, {0, 0}};
  for (int k = 1; k < 3; ++k) {
    std::copy_n(&steps[0][0], 6, &nv2[k][0][0]);
    std::fill_n(&dtv2[k][0][0], 6, dt);
  }
  ASSERT_EQ(caltrajVV(), 0);
  for (int k = 1; k < 3; ++k) {
    for (int n = 30; n <= 34; ++n) {
      for (int f = RS; f <= RKAP; ++f) EXPECT_EQ(vvA[k][n][f], vvA[k][29][f]) << n << " " << f;
    }
    EXPECT_GT(vvA[k][35][RS], vvA[k][34][RS]);
  }
  nv2[2][1][1] = MAX;
  EXPECT_EQ(caltrajVV(), MAX);
  // The same for the clothoid-line run, on its straight segment.
  nv2[2][1][1] = 10;
  sgnK[1] = 0;
  nvc[2][1] = MAX + 5;
  dtvl[2][1] = dt;
  EXPECT_EQ(caltrajVV(), MAX);
}

// The longest pose that passes allocates nothing in its runs; stretched to
// MAX - 1 steps it still fits, one more ends the run with its message.
TEST(PtpRuns, RunsAtTheStepLimit) {
  const std::size_t start = allocations;
  ASSERT_EQ(plan(57.86, 3.0, 0.0), 1);
  const std::size_t before = allocations;
  ASSERT_GT(before, start);  // the captured report is counted
  EXPECT_EQ(caltrajPTP(), nc[2][3]);
  EXPECT_EQ(caltrajVV(), 0);
  EXPECT_EQ(allocations, before);
  for (int k = 0; k < 3; ++k) {
    nSeg[k][1] += MAX - 1 - nSeg[k][3];
    nc3[k][1][1] += MAX - 1 - nc[k][3];
  }
  std::string out;
  EXPECT_EQ(captured(out, caltrajPTP), MAX - 1);
  EXPECT_EQ(out, "");
  refA[0][0][RS] = 42.0;  // nothing of a refused run is stored
  ++nSeg[0][1];
  EXPECT_GE(captured(out, caltrajPTP), MAX);
  EXPECT_EQ(out, "\n円弧－直線経路 時間刻み数Nk=3000>MAX=3000 設定し直し");
  EXPECT_EQ(refA[0][0][RS], 42.0);
  --nSeg[0][1];
  ++nc3[2][1][1];
  EXPECT_GE(captured(out, caltrajPTP), MAX);
  EXPECT_EQ(out, "\nCLD－直線経路 時間刻み数Nk=3000>MAX=3000 設定し直し");
}

}  // namespace
