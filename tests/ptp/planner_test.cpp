// The arc-line planner: candidate rows, selection, publication and report.
#include "ptputil.h"

#include <tuple>

namespace ptptest {

using agv::nRows;
using Rows = std::array<agv::Candidate, agv::nRowsMax>;

Rows rows(double x, double y, double thDeg) {
  Rows c;
  agv::candidates({0, 0, 0, 0}, {x, y, thDeg * agv::DEG2RAD, 0}, 1.0, false, c.data());
  return c;
}

// Every row is adopted by some end pose: the planner's own cases, then one pose for each row
// (rows 12 and 13 with the three-arc joins).  Rows 8 to 11, a single arc of a radius of at
// least Ra, are never shorter than a join of arcs of radius Ra: they are adopted where the
// arc has exactly that radius and the rounding makes them the shorter of a tie.  Where it does
// not, the lower row of the same path wins the tie, its segment of no length none (a line,
// then the left arc, is row 4 with no right arc: row 10 loses every such tie).
TEST(PlannerCases, AdoptedRow) {
  const struct {
    double x, y, deg;
    int row, dir[3];
    double s[3], sf, tol;
    int three;
  } cases[] = {
      {0, 0, 0, 0, {1, 0, -1}, {0, 0, 0}, 0, 0, 0},
      {2, 3, 0, 0, {1, 0, -1}, {PI / 2, 1, PI / 2}, PI + 1, 1e-9, 0},
      {3, 1, 0, 0, {1, 0, -1}, {0.363, 2.449, 0.363}, 3.175, 5e-4, 0},
      {0.5, 0.2, 0, 2, {1, 0, 1}, {0.381, 0.539, 5.903}, 6.822, 5e-4, 0},  // 2 and 3 tie
      {4, -3, -45, 3, {-1, 0, -1}, {0.688, 4.263, 0.097}, 5.048, 5e-4, 0},
      {2, 2, 90, 2, {1, 0, 1}, {0.785, 1.414, 0.785}, 2.985, 5e-4, 0},
      {-2.75, 1, 120, 1, {0, 1, -1}, {0.0525, 4.4597, 2.3653}, 6.8775, 5e-5, 0},
      {-3, -3, -150, 4, {-1, 0, 1}, {2.8418, 3.2348, 0.2238}, 6.3005, 5e-5, 0},
      {-2.75, -2, -75, 5, {0, -1, 1}, {0.0735, 4.3327, 3.0237}, 7.4300, 5e-5, 0},
      {-1.5, 2.75, -15, 6, {1, -1, 0}, {4.2989, 4.5607, 0.0752}, 8.9349, 5e-5, 0},
      {-1.5, -2.75, 15, 7, {-1, 1, 0}, {4.2989, 4.5607, 0.0752}, 8.9349, 5e-5, 0},
      {-1.8018486352533138, 2.6780469289134228, 161, 8, {0, 1, 0}, {0, 2.809980, 2.25},
       5.059980, 5e-6, 0},
      {-2.3706140788050756, -2.0103533487702037, -179.75, 9, {0, -1, 0}, {0, 3.137229, 2.375},
       5.512229, 5e-6, 0},
      {0.5173762539957304, 0.0088785080519324811, 1, 2, {1, 0, 1}, {0.017453, 0.5, 0},
       0.517453, 5e-6, 0},
      {-0.48247143754045396, -2.0085739000973835, -179, 4, {-1, 0, 1}, {3.124139, 0.5, 0},
       3.624139, 5e-6, 0},
      {0.51745240641734325, 0.00015230484326070231, 1, 4, {-1, 0, 1}, {0, 0.5, 0.017453},
       0.517453, 5e-6, 0},
      {0.51745241000658382, -1.9998476950940887, -179, 11, {0, -1, 0}, {0.5, 3.124139, 0},
       3.624139, 5e-6, 0},
      {-2.75, -2, -75, 12, {1, -1, 1}, {0.0365, 4.3685, 3.0230}, 7.4281, 5e-5, 1},
      {-2.75, 1, 120, 13, {-1, 1, -1}, {0.0262, 4.4855, 2.3650}, 6.8767, 5e-5, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "end pose " << c.x << " " << c.y << " " << c.deg);
    agv::Params prm;
    prm.threeArcs = c.three;
    const auto p = plan(c.x, c.y, c.deg, prm);
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
  const agv::Pose* P[4] = {&a.P0, &a.Pj[0], &a.Pj[1], &a.Pf};
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
  EXPECT_EQ(a.nseg, 0);
  EXPECT_TRUE(a.sgnK.empty());
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
        ASSERT_LT(p.v().nvc[1].total, 3000);
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

// The adopted join of a pose and the lengths of its candidates, from the planner itself.
struct Adopted {
  int row;
  double sf;
};
Adopted adopt(double x, double y, double thDeg, bool threeArcs) {
  agv::Params p;
  p.threeArcs = threeArcs;
  const agv::Model m = agv::makemodel(p, agv::Kind::PTP);
  agv::ArcPath a;
  agv::Pose PF{x, y, agv::reduceheading(thDeg) * agv::DEG2RAD, 0};
  EXPECT_EQ(agv::calPTP(m, agv::Pose{}, PF, a), 1);
  return {a.krow, a.sf};
}

// The mirror image (x, -y, -th) of an end pose has a shortest join of the same length; a
// heading typed a whole turn more or less is the same end pose.  (180 degrees is left out of
// the mirror images: its radians, 180 DEG2RAD, fall 3.6e-9 short of pi, so that its mirror
// -180 degrees is another heading by 7.2e-9 rad.)
TEST(PlannerInvariants, MirrorImagesAndWholeTurnsAdoptTheSameLength) {
  int pairs = 0;
  for (bool three : {false, true})
    for (double x = -4.5; x <= 5; x += 0.5)
      for (double y = 0.5; y <= 5; y += 0.5)
        for (double th = -165; th <= 165; th += 15) {
          SCOPED_TRACE(testing::Message() << x << " " << y << " " << th << " three " << three);
          const Adopted a = adopt(x, y, th, three);
          const Adopted m = adopt(x, -y, -th, three);
          ASSERT_NEAR(a.sf, m.sf, 1e-9);
          ++pairs;
          if (std::fmod(x + y, 2.0) == 0.0) {  // every other pose: a turn more, a turn less
            for (double turn : {360.0, -360.0, 720.0}) {
              const Adopted t = adopt(x, y, th + turn, three);
              EXPECT_EQ(t.row, a.row) << turn;
              EXPECT_NEAR(t.sf, a.sf, 1e-9) << turn;
            }
          }
        }
  EXPECT_EQ(pairs, 2 * 20 * 10 * 23);
  // Typed headings reduce into (-180, 180]; inside it they are kept bit for bit.
  const double headings[][2] = {{180, 180},  {-180, 180}, {540, 180},   {-179.5, -179.5},
                                {45.25, 45.25}, {405.25, 45.25}, {-315, 45}, {1e6, -80}};
  for (const auto& h : headings) EXPECT_EQ(agv::reduceheading(h[0]), h[1]) << h[0];
}

// No candidate carries a whole turn, none is shorter than the join adopted, and every one
// drives forward to the end pose; with the three-arc joins the adopted join is never longer.
TEST(PlannerInvariants, TheAdoptedJoinIsTheShortestOfItsCandidates) {
  int rows = 0;
  for (double x = -4.5; x <= 5; x += 0.5)
    for (double y = -4.5; y <= 5; y += 0.5)
      for (double th = -165; th <= 180; th += 15) {
        SCOPED_TRACE(testing::Message() << x << " " << y << " " << th);
        Rows c;
        const agv::Pose PF{x, y, th * agv::DEG2RAD, 0};
        const int n = agv::candidates({0, 0, 0, 0}, PF, 1.0, true, c.data());
        const Adopted twelve = adopt(x, y, th, false), all = adopt(x, y, th, true);
        EXPECT_LE(all.sf, twelve.sf + 1e-12);
        for (int i = 0; i < n; ++i) {
          if (c[i].L >= agv::lenNoSolution) continue;
          ++rows;
          for (int j = 0; j < 3; ++j)
            ASSERT_LT(c[i].seg[j], c[i].dir[j] == 0 ? 1e9 : 2 * PI * c[i].r) << i << " " << j;
          ASSERT_GE(c[i].L, (i < agv::nRows ? twelve : all).sf) << i;
          ASSERT_LT(rowMiss(c[i], {x, y, PF.th}), 1e-7) << i;
        }
      }
  EXPECT_GT(rows, 50000);
}

// Close U-turns to the lane beside: the shortest forward path is a light bulb of three arcs,
// pi + 4 acos(1/2 + w/4) long for a lane w metres to the left (Ra = 1); every one of the
// twelve joins is longer.
TEST(PlannerInvariants, CloseUTurnsTakeTheThreeArcJoin) {
  for (double w : {0.2, 0.5, 1.0, 1.5, 1.9}) {
    SCOPED_TRACE(w);
    const double known = PI + 4 * std::acos(0.5 + w / 4);
    const Adopted left = adopt(0, w, 180, true), right = adopt(0, -w, 180, true);
    EXPECT_EQ(left.row, 13);  // right, left, right
    EXPECT_EQ(right.row, 12);
    EXPECT_NEAR(left.sf, known, 1e-7);  // 180 degrees is 3.14159265 rad
    EXPECT_NEAR(right.sf, known, 1e-7);
    EXPECT_GT(adopt(0, w, 180, false).sf, known + 0.3);
  }
  // Where the end circles are 4 Ra apart or more there is no three-arc join.
  Rows c;
  agv::candidates({0, 0, 0, 0}, {0, 2, PI, 0}, 1.0, true, c.data());  // circles 0 apart
  EXPECT_LT(c[13].L, agv::lenNoSolution);
  agv::candidates({0, 0, 0, 0}, {4.01, 0, 0, 0}, 1.0, true, c.data());
  EXPECT_EQ(c[12].L, agv::lenNoSolution);
  EXPECT_EQ(c[13].L, agv::lenNoSolution);
}

}  // namespace ptptest
