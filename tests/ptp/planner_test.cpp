// The arc-line planner: candidate rows, selection, publication and report.
#include "ptp/planner.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "control/params.h"
#include "ptp/clpath.h"
#include "ptp/schedule.h"
#include "ptputil.h"

namespace {

using agv::Candidate;
using agv::nRows;
using ptptest::plan;
using ptptest::rows;

constexpr double kPi = 3.14159265358979;

// The adopted row index, as the report's first line names it.
int adopted(const std::string& out) {
  const std::string key = "採用経路 i=";
  const auto p = out.find(key);
  return p == std::string::npos ? -1 : std::stoi(out.substr(p + key.size()));
}

void expectSegments(double s0, double s1, double s2, double tol) {
  EXPECT_NEAR(agv::s[0], s0, tol);
  EXPECT_NEAR(agv::s[1], s1, tol);
  EXPECT_NEAR(agv::s[2], s2, tol);
}

void expectDirections(int d0, int d1, int d2) {
  EXPECT_EQ(agv::sgnK[0], d0);
  EXPECT_EQ(agv::sgnK[1], d1);
  EXPECT_EQ(agv::sgnK[2], d2);
}

TEST(PlannerCases, EndPoseAtTheStart) {
  Candidate c[nRows];
  rows(0, 0, 0, c);
  for (int i = 8; i < nRows; ++i) EXPECT_EQ(c[i].L, agv::lenBackward) << i;  // parallel
  const auto p = plan(0, 0, 0);
  ASSERT_EQ(p.ret, 1);
  EXPECT_EQ(adopted(p.out), 0);
  expectSegments(0, 0, 0, 0);
  EXPECT_EQ(agv::sf, 0.0);
  expectDirections(1, 0, -1);
}

TEST(PlannerCases, DefaultEndPose) {
  Candidate c[nRows];
  rows(2, 3, 0, c);
  int second = -1;
  for (int i = 1; i < nRows; ++i) {
    if (second < 0 || c[i].L < c[second].L) second = i;
  }
  EXPECT_EQ(second, 6);
  EXPECT_NEAR(c[6].L, 4.457, 5e-4);

  const auto p = plan(2, 3, 0);
  ASSERT_EQ(p.ret, 1);
  EXPECT_EQ(adopted(p.out), 0);
  expectSegments(kPi / 2, 1, kPi / 2, 1e-9);
  EXPECT_NEAR(agv::sf, 4.142, 5e-4);
  EXPECT_EQ(p.sEnd, agv::sf);
  expectDirections(1, 0, -1);
  EXPECT_EQ(agv::Rarc, 1.0);
  EXPECT_EQ(agv::Karc, 1.0);
  EXPECT_NEAR(agv::phiArc, kPi / 4, 1e-12);
  for (int j : {0, 2}) {
    EXPECT_EQ(agv::Kseg[j], 1.0);
    EXPECT_NEAR(agv::phiSeg[j], kPi / 4, 1e-12);
  }
  EXPECT_EQ(agv::Kseg[1], 0.0);
  EXPECT_EQ(agv::phiSeg[1], 0.0);
}

TEST(PlannerCases, ShallowSCurve) {
  const auto p = plan(3, 1, 0);
  ASSERT_EQ(p.ret, 1);
  EXPECT_EQ(adopted(p.out), 0);
  expectSegments(0.363, 2.449, 0.363, 5e-4);
  EXPECT_NEAR(agv::sf, 3.175, 5e-4);
}

TEST(PlannerCases, OverlappingCirclesTieOfRowsTwoAndThree) {
  Candidate c[nRows];
  rows(0.5, 0.2, 0, c);
  EXPECT_EQ(c[0].L, agv::lenNoSolution);
  EXPECT_NEAR(c[1].L, 13.036, 5e-4);
  EXPECT_NEAR(c[2].L, 6.822, 5e-4);
  EXPECT_NEAR(c[3].L, 6.822, 5e-4);
  EXPECT_EQ(c[6].L, agv::lenBackward);  // its last line would run backwards

  const auto p = plan(0.5, 0.2, 0);
  ASSERT_EQ(p.ret, 1);
  EXPECT_EQ(adopted(p.out), 2);
  expectSegments(0.381, 0.539, 5.903, 5e-4);
  expectDirections(1, 0, 1);
}

TEST(PlannerCases, RightArcLineRightArc) {
  Candidate c[nRows];
  rows(4, -3, -45, c);
  EXPECT_EQ(c[8].L, agv::lenUnbuilt);
  EXPECT_NEAR(c[9].L, 5.139, 5e-4);
  EXPECT_EQ(c[10].L, agv::lenUnbuilt);
  EXPECT_EQ(c[11].L, agv::lenUnbuilt);

  const auto p = plan(4, -3, -45);
  ASSERT_EQ(p.ret, 1);
  EXPECT_EQ(adopted(p.out), 3);
  expectSegments(0.688, 4.263, 0.097, 5e-4);
  EXPECT_NEAR(agv::sf, 5.048, 5e-4);
  expectDirections(-1, 0, -1);
}

TEST(PlannerCases, QuarterTurnWithEqualLegs) {
  Candidate c[nRows];
  rows(2, 2, 90, c);
  EXPECT_NEAR(c[8].L, kPi, 1e-6);
  EXPECT_NEAR(c[8].r, 2, 1e-6);
  for (int i = 9; i < nRows; ++i) EXPECT_EQ(c[i].L, agv::lenUnbuilt) << i;

  const auto p = plan(2, 2, 90);
  ASSERT_EQ(p.ret, 1);
  EXPECT_EQ(adopted(p.out), 2);
  EXPECT_NEAR(agv::sf, 2.985, 5e-4);

  rows(0.5, 0.5, 90, c);  // the single arc would need r = 0.5
  EXPECT_EQ(c[8].L, agv::lenNoSolution);
}

// Drives the three segments of a row from the start pose and returns the
// largest miss of P1, P2 and the end pose.
double rowMiss(const Candidate& c, double xf, double yf, double thf) {
  double x = 0, y = 0, th = 0, miss = 0;
  auto angle = [](double a) { return std::fabs(std::remainder(a, 2 * kPi)); };
  const double* poses[2] = {c.p1, c.p2};
  for (int j = 0; j < 3; ++j) {
    const double d = c.dir[j], L = c.seg[j];
    if (d == 0) {
      x += L * std::cos(th);
      y += L * std::sin(th);
    } else {
      const double th2 = th + d * L / c.r;
      x += d * c.r * (std::sin(th2) - std::sin(th));
      y -= d * c.r * (std::cos(th2) - std::cos(th));
      th = th2;
    }
    if (j < 2) {
      miss = std::fmax(miss, std::hypot(x - poses[j][0], y - poses[j][1]));
      miss = std::fmax(miss, angle(th - poses[j][2]));
    }
  }
  miss = std::fmax(miss, std::hypot(x - xf, y - yf));
  return std::fmax(miss, angle(th - thf));
}

TEST(PlannerRows, EveryRealRowDrivesForwardToTheEndPose) {
  int checked = 0;
  for (double x = -5; x <= 5; x += 0.9) {
    for (double y = -5; y <= 5; y += 0.7) {
      for (double deg = -180; deg < 540; deg += 23) {
        Candidate c[nRows];
        rows(x, y, deg, c);
        for (int i = 0; i < nRows; ++i) {
          if (c[i].L >= agv::lenNoSolution) continue;
          ++checked;
          for (int j = 0; j < 3; ++j) ASSERT_GE(c[i].seg[j], 0) << i;
          ASSERT_LT(rowMiss(c[i], x, y, deg * agv::DEG2RAD), 1e-7)
              << "row " << i << " to (" << x << ", " << y << ", " << deg << ")";
        }
      }
    }
  }
  EXPECT_GT(checked, 10000);
}

TEST(PlannerReport, DefaultEndPoseByteForByte) {
  const auto p = plan(2, 3, 0);
  const std::string report =
      "\n採用経路 i=0 曲率方向=(1 0 -1)"
      "\n       3経路長s[]=( 1.5708  1.0000  1.5708)[m] 全経路長sf= 4.1416[m]"
      "\n      始点   P0[]=( 0.0000  0.0000    0.00°)"
      "\n      中間点 P1[]=( 1.0000  1.0000   90.00°) P2[]=( 1.0000  2.0000  90.00°)"
      "\n      終点   Pf[]=( 2.0000  3.0000    0.00°)";
  EXPECT_EQ(p.out, report);
}

TEST(PlannerReport, PathTooLongForTheRuns) {
  const auto p = plan(60, 0, 0);  // 3000 steps
  EXPECT_EQ(p.ret, 0);
  const auto tail = p.out.substr(p.out.find("終点"));
  // calclothoid's message, then calPTP's own.
  EXPECT_NE(tail.find(ptptest::kTooLong + ptptest::kTooLong), std::string::npos);
  EXPECT_EQ(plan(59.98, 0, 0).ret, 1);
}

// An end pose so far away that no real row is shorter than the smallest
// sentinel: the planner refuses it without publishing a sentinel row.
TEST(PlannerFaults, FarEndPoseIsRefusedWithoutPublishing) {
  plan(2, 3, 0);
  const double s1 = agv::s[1];
  const auto p = plan(1e6, 0, 0);
  EXPECT_EQ(p.ret, 0);
  EXPECT_EQ(p.out, ptptest::kTooLong);
  EXPECT_EQ(agv::s[1], s1);
  EXPECT_EQ(agv::sgnK[0], 1);
  EXPECT_EQ(p.sEnd, 0.0);
}

// Extreme finite poses give no NaN in any row, and a plan either succeeds
// with finite results or is refused.
TEST(PlannerFaults, ExtremeFinitePosesStayFinite) {
  const double big[] = {0.0, 3.0, -2.5, 1e6, -1e6, 1e300, -1.7e308, 1.7e308};
  const double head[] = {0.0, 90.0, 3600.0, -7200.5, 12345.0, 1e6, 1e300, -1e300};
  for (double x : big) {
    for (double y : big) {
      for (double deg : head) {
        Candidate c[nRows];
        rows(x, y, deg, c);
        for (int i = 0; i < nRows; ++i) ASSERT_FALSE(std::isnan(c[i].L)) << i;
        const auto p = plan(x, y, deg);
        ASSERT_TRUE(p.ret == 0 || p.ret == 1);
        if (p.ret == 0) continue;
        for (int j = 0; j < 3; ++j) {
          ASSERT_TRUE(std::isfinite(agv::s[j]) && agv::s[j] >= 0);
          ASSERT_TRUE(std::isfinite(agv::sc[j]) && std::isfinite(agv::Kc[j]));
        }
        ASSERT_LT(agv::nvc[1][3], agv::MAX);
      }
    }
  }
}

// A heading of more than half a turn: row 10's arc would come out with a
// negative length and win the selection; such a row drives backwards.
TEST(PlannerFaults, NegativeSegmentIsNotAdopted) {
  Candidate c[nRows];
  rows(4, -1, 331, c);
  EXPECT_LT(c[10].seg[1], 0);
  EXPECT_EQ(c[10].L, agv::lenBackward);
  const auto p = plan(4, -1, 331);
  ASSERT_EQ(p.ret, 1);
  EXPECT_EQ(adopted(p.out), 3);
  EXPECT_NEAR(agv::sf, 4.1285, 5e-5);
  for (int j = 0; j < 3; ++j) EXPECT_GE(agv::s[j], 0);
}

// Equal legs (a = b exactly) with a right turn: the single arc turns right
// (row 9) with a positive radius, where row 8's formulas would give a
// negative one.
TEST(PlannerFaults, EqualLegsTurningRight) {
  const double th = -90 * agv::DEG2RAD;
  const double a = 1.05;
  const agv::Pose P0{0, 0, 0, 0};
  const agv::Pose PF{a + a * std::cos(th), a * std::sin(th), th, 0};
  const double t0[2] = {1, 0}, tf[2] = {std::cos(th), std::sin(th)};
  const double D[2] = {PF.x, PF.y};
  const double cr = agv::vcross(t0, tf);
  ASSERT_EQ(agv::vcross(D, tf) / cr, -agv::vcross(D, t0) / cr);  // a = b

  Candidate c[nRows];
  agv::candidates(P0, PF, c);
  EXPECT_EQ(c[8].L, agv::lenUnbuilt);
  EXPECT_NEAR(c[9].r, a, 1e-8);
  EXPECT_NEAR(c[9].L, a * kPi / 2, 1e-6);
  EXPECT_EQ(c[9].seg[2], 0.0);
  EXPECT_LT(rowMiss(c[9], PF.x, PF.y, PF.th), 1e-9);
}

TEST(VectorHelpers, Operations) {
  const double a[2] = {1, 2}, u[2] = {3, -4};
  double out[2];
  EXPECT_DOUBLE_EQ(agv::vaddk(a, 2, u, out), std::hypot(7, 6));
  EXPECT_EQ(out[1], -6.0);
  EXPECT_DOUBLE_EQ(agv::vsub(u, a, out), std::hypot(2, 6));
  EXPECT_EQ(out[0], 2.0);
  EXPECT_EQ(agv::vdot(a, u), -5.0);
  EXPECT_EQ(agv::vcross(a, u), -10.0);
  agv::vrot(kPi / 2, u, out);
  EXPECT_NEAR(out[0], 4, 1e-12);
  EXPECT_NEAR(out[1], 3, 1e-12);
}

}  // namespace
