// The arc-line planner: candidate rows, selection, publication and report.
#include "ptputil.h"

#include <tuple>

namespace ptptest {

using agv::nRows;
using Rows = std::array<agv::Candidate, nRows>;

Rows rows(double x, double y, double thDeg) {
  Rows c;
  agv::candidates({0, 0, 0, 0}, {x, y, thDeg * agv::DEG2RAD, 0}, 1.0, c.data());
  return c;
}

TEST(PlannerCases, AdoptedRow) {
  const struct {
    double x, y, deg;
    int row, dir[3];
    double s[3], sf, tol;
  } cases[] = {
      {0, 0, 0, 0, {1, 0, -1}, {0, 0, 0}, 0, 0},
      {2, 3, 0, 0, {1, 0, -1}, {PI / 2, 1, PI / 2}, PI + 1, 1e-9},
      {3, 1, 0, 0, {1, 0, -1}, {0.363, 2.449, 0.363}, 3.175, 5e-4},
      {0.5, 0.2, 0, 2, {1, 0, 1}, {0.381, 0.539, 5.903}, 6.822, 5e-4},  // 2 and 3 tie
      {4, -3, -45, 3, {-1, 0, -1}, {0.688, 4.263, 0.097}, 5.048, 5e-4},
      {2, 2, 90, 2, {1, 0, 1}, {0.785, 1.414, 0.785}, 2.985, 5e-4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "end pose " << c.x << " " << c.y << " " << c.deg);
    const auto p = plan(c.x, c.y, c.deg);
    ASSERT_EQ(p.ret, 1);
    EXPECT_EQ(p.a().krow, c.row);
    for (int j = 0; j < 3; ++j) {
      EXPECT_EQ(p.a().sgnK[j], c.dir[j]);
      EXPECT_NEAR(p.a().s[j], c.s[j], c.tol);
    }
    EXPECT_NEAR(p.a().sf, c.sf, c.tol);
    EXPECT_EQ(p.a().Pf.s, p.a().sf);
  }
}

TEST(PlannerCases, CandidateLengths) {
  const struct {
    double x, y, deg;
    int first, last;  // rows first..last have length L
    double L;
  } cases[] = {
      {0, 0, 0, 8, 11, agv::lenBackward},  // parallel headings
      {2, 3, 0, 6, 6, 4.457},
      {0.5, 0.2, 0, 0, 0, agv::lenNoSolution},
      {0.5, 0.2, 0, 1, 1, 13.036},
      {0.5, 0.2, 0, 2, 3, 6.822},
      {0.5, 0.2, 0, 6, 6, agv::lenBackward},  // its last line would run backwards
      {4, -3, -45, 8, 8, agv::lenUnbuilt},
      {4, -3, -45, 9, 9, 5.139},
      {4, -3, -45, 10, 11, agv::lenUnbuilt},
      {2, 2, 90, 8, 8, PI},
      {2, 2, 90, 9, 11, agv::lenUnbuilt},
      {0.5, 0.5, 90, 8, 8, agv::lenNoSolution},  // the single arc would need r = 0.5
      // The heading lines meet behind the start (a < 0 < b) or past the end (b < 0 < a).
      {-2, 1, 90, 8, 8, agv::lenBackward},
      {-2, 1, 90, 9, 11, agv::lenUnbuilt},
      {2, -1, 90, 8, 8, agv::lenBackward},
      {2, -1, 90, 9, 11, agv::lenUnbuilt},
  };
  for (const auto& e : cases) {
    const Rows c = rows(e.x, e.y, e.deg);
    for (int i = e.first; i <= e.last; ++i) {
      EXPECT_NEAR(c[i].L, e.L, 5e-4) << "row " << i << " to " << e.x << " " << e.y << " " << e.deg;
    }
  }
  EXPECT_NEAR(rows(2, 2, 90)[8].r, 2, 5e-4);
  const Rows c = rows(2, 3, 0);  // the next best after row 0
  int second = 1;
  for (int i = 2; i < nRows; ++i) second = c[i].L < c[second].L ? i : second;
  EXPECT_EQ(second, 6);
}

TEST(PlannerRows, PosesOfRowsSixAndSevenLieOnTheirArcs) {
  // Row 6 (left arc, right arc, line) and row 7 (right arc, left arc, line): the second pose
  // ends the second arc, and the line from it runs along the end heading to the end pose.
  for (const auto& [x, y, deg, row] : {std::tuple{3.0, 4.0, 0.0, 6}, std::tuple{3.0, -4.0, 0.0, 7}}) {
    const Rows c = rows(x, y, deg);
    const agv::Candidate& w = c[row];
    ASSERT_LT(w.L, agv::lenNoSolution) << row;
    const double th = deg * agv::DEG2RAD;
    EXPECT_NEAR(std::remainder(w.p2[2] - th, 2 * PI), 0.0, 1e-9) << row;
    EXPECT_NEAR(w.p2[0] + w.seg[2] * std::cos(th), x, 1e-9) << row;
    EXPECT_NEAR(w.p2[1] + w.seg[2] * std::sin(th), y, 1e-9) << row;
    // The first pose ends the first arc: Ra from the start circle's centre.
    const double cy = row == 6 ? 1.0 : -1.0;
    EXPECT_NEAR(std::hypot(w.p1[0], w.p1[1] - cy), 1.0, 1e-9) << row;
    EXPECT_NEAR(w.seg[0], std::fabs(w.p1[2]) * 1.0, 1e-9) << row;
  }
}

TEST(PlannerPath, DefaultEndPose) {
  const auto p = plan(2, 3, 0);
  const agv::ArcPath& a = p.a();
  EXPECT_EQ(a.Rarc, 1.0);
  EXPECT_EQ(a.Karc, 1.0);
  EXPECT_NEAR(a.phiArc, PI / 4, 1e-12);
  const double K[3] = {1, 0, 1}, phi[3] = {PI / 4, 0, PI / 4};
  for (int j = 0; j < 3; ++j) {
    EXPECT_EQ(a.Kseg[j], K[j]);
    EXPECT_NEAR(a.phiSeg[j], phi[j], 1e-12);
  }
  const double poses[4][3] = {{0, 0, 0}, {1, 1, PI / 2}, {1, 2, PI / 2}, {2, 3, 0}};
  const agv::Pose* P[4] = {&a.P0, &a.P1, &a.P2, &a.Pf};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(P[i]->x, poses[i][0], 1e-12) << i;
    EXPECT_NEAR(P[i]->y, poses[i][1], 1e-12) << i;
    EXPECT_NEAR(P[i]->th, poses[i][2], 1e-9) << i;
  }
}

// Drives a row's three segments from the start pose: the largest miss of P1, P2 and end.
double rowMiss(const agv::Candidate& c, const double (&end)[3]) {
  const double* want[3] = {c.p1, c.p2, end};
  double x = 0, y = 0, th = 0, miss = 0;
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
    miss = std::fmax(miss, std::hypot(x - want[j][0], y - want[j][1]));
    miss = std::fmax(miss, std::fabs(std::remainder(th - want[j][2], 2 * PI)));
  }
  return miss;
}

TEST(PlannerRows, EveryRealRowDrivesForwardToTheEndPose) {
  int checked = 0;
  for (double x = -5; x <= 5; x += 0.9)
    for (double y = -5; y <= 5; y += 0.7)
      for (double deg = -180; deg < 540; deg += 23) {
        const Rows c = rows(x, y, deg);
        for (int i = 0; i < nRows; ++i) {
          if (c[i].L >= agv::lenNoSolution) continue;
          ++checked;
          for (int j = 0; j < 3; ++j) ASSERT_GE(c[i].seg[j], 0) << i;
          ASSERT_LT(rowMiss(c[i], {x, y, deg * agv::DEG2RAD}), 1e-7)
              << "row " << i << " to " << x << " " << y << " " << deg;
        }
      }
  EXPECT_GT(checked, 10000);
}

// No real row is shorter than the smallest sentinel: refused without publishing a sentinel row.
TEST(PlannerFaults, FarEndPoseIsRefusedWithoutPublishing) {
  agv::ArcPath a;
  agv::Pose PF{1e6, 0, 0, 0};
  const agv::Model m = agv::makemodel(agv::Params{}, agv::Kind::PTP);
  EXPECT_EQ(agv::calPTP(m, agv::Pose{}, PF, a), 0);
  EXPECT_EQ(a.sf, 0.0);
  EXPECT_EQ(a.sgnK[0], 0);
  EXPECT_EQ(PF.s, 0.0);
  const auto p = plan(1e6, 0, 0);
  EXPECT_EQ(p.r->refusal.status, agv::Status::PathTooLong);
  EXPECT_EQ(p.r->refusal.stage, 0);
}

// Extreme finite poses give no NaN in any row; a plan gives finite results or is refused.
TEST(PlannerFaults, ExtremeFinitePosesStayFinite) {
  const double big[] = {0.0, 3.0, -2.5, 1e6, -1e6, 1e300, -1.7e308, 1.7e308};
  const double head[] = {0.0, 90.0, 3600.0, -7200.5, 12345.0, 1e6, 1e300, -1e300};
  for (double x : big)
    for (double y : big)
      for (double deg : head) {
        const Rows c = rows(x, y, deg);
        for (int i = 0; i < nRows; ++i) ASSERT_FALSE(std::isnan(c[i].L)) << i;
        const auto p = plan(x, y, deg);
        ASSERT_TRUE(p.ret == 0 || p.ret == 1);
        if (p.ret == 0) continue;
        for (int j = 0; j < 3; ++j) {
          ASSERT_TRUE(std::isfinite(p.a().s[j]) && p.a().s[j] >= 0);
          ASSERT_TRUE(std::isfinite(p.c().sc[j]) && std::isfinite(p.c().Kc[j]));
        }
        ASSERT_LT(p.v().nvc[1][3], 3000);
      }
}

// Over half a turn, row 10's arc has negative length and would win; it drives backwards.
TEST(PlannerFaults, NegativeSegmentIsNotAdopted) {
  const Rows c = rows(4, -1, 331);
  EXPECT_LT(c[10].seg[1], 0);
  EXPECT_EQ(c[10].L, agv::lenBackward);
  const auto p = plan(4, -1, 331);
  ASSERT_EQ(p.ret, 1);
  EXPECT_EQ(p.a().krow, 3);
  EXPECT_NEAR(p.a().sf, 4.1285, 5e-5);
}

// Equal legs (a = b) turning right: row 9's single arc has a positive radius, not row 8's.
TEST(PlannerFaults, EqualLegsTurningRight) {
  const double th = -90 * agv::DEG2RAD, a = 1.05;
  const agv::Pose PF{a + a * std::cos(th), a * std::sin(th), th, 0};
  const double t0[2] = {1, 0}, tf[2] = {std::cos(th), std::sin(th)}, D[2] = {PF.x, PF.y};
  ASSERT_EQ(agv::vcross(D, tf), -agv::vcross(D, t0));  // a = b
  const Rows c = rows(PF.x, PF.y, -90);
  EXPECT_EQ(c[8].L, agv::lenUnbuilt);
  EXPECT_NEAR(c[9].r, a, 1e-8);
  EXPECT_NEAR(c[9].L, a * PI / 2, 1e-6);
  EXPECT_LT(rowMiss(c[9], {PF.x, PF.y, PF.th}), 1e-9);
}

}  // namespace ptptest
