// CP tracking run, and the CP computation of a dialogue pass.
#include "cp/track.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "control/params.h"
#include "cp/arclen.h"
#include "cp/curves.h"
#include "cpfix.h"
#include "motion/runs.h"
#include "support/session.h"

using namespace agv;
using agvtest::scripted;
using cptest::CpCurve;
using cptest::CpTest;
using cptest::prepare;

namespace {

double spiralA(double nt, double L) {
  const double b = 2 * M_PI * nt;
  return L / (0.5 * (b * std::sqrt(1 + b * b) + std::asinh(b))) * 2 * M_PI;
}

// Runs the tracking of curve I after the set-up, length check and table.
int track(int I) {
  int n = -1;
  scripted("", [&] { n = caltraj(I); });
  return n;
}

}  // namespace

TEST_P(CpCurve, CasterTypeFollowsTheCurveExactly) {
  const int I = GetParam();
  ASSERT_TRUE(prepare(I));
  ASSERT_EQ(track(I), NN[2]);
  for (int i = 0; i <= NN[0]; ++i)
    for (int f = 0; f < 6; ++f) ASSERT_NEAR(errCP[0][i][f], 0.0, 1e-9) << i << " " << f;
}

TEST_P(CpCurve, RunsTakeTheLengthAtFullSpeed) {
  const int I = GetParam();
  ASSERT_TRUE(prepare(I));
  ASSERT_LT(track(I), MAX);
  const double sf = Pfcp[I][3];
  for (int k : {0, 2}) {
    EXPECT_NEAR(TCP[k], sf / Vmax, 1e-6) << k;
    // One record every 0.02 s after the start, and the end record.
    EXPECT_NEAR(NN[k], sf / 0.02 + 1, 1.0) << k;
    for (int i = 1; i < NN[k]; ++i) ASSERT_NEAR(refCP[k][i][RS], i * dsCP, 1e-6) << i;
  }
  // The front-driven reference point runs at Vmax cos(phiT).
  EXPECT_GT(TCP[1], TCP[0] + 0.1);
  EXPECT_GT(NN[1], NN[0]);
}

TEST_P(CpCurve, RunsStartAndEndOnTheCurve) {
  const int I = GetParam();
  ASSERT_TRUE(prepare(I));
  ASSERT_LT(track(I), MAX);
  double P[2];
  curvpt(uend[I], I, P);
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(refCP[k][0][RX], P0cp[I][0], 1e-12);
    EXPECT_NEAR(refCP[k][0][RY], P0cp[I][1], 1e-12);
    const double* last = refCP[k][NN[k]];
    // Exact at full speed; the front-driven type's rate changes within the
    // interpolated last sub-step.
    EXPECT_NEAR(last[RS], Pfcp[I][3], k == 1 ? 1e-6 : 1e-9) << k;
    EXPECT_EQ(last[RU], uend[I]) << k;
    EXPECT_NEAR(last[RX], P[0], 1e-6) << k;
    EXPECT_NEAR(last[RY], P[1], 1e-6) << k;
    // Every record lies on the curve at its own parameter.
    for (int i = 0; i <= NN[k]; i += 13) {
      double Q[2];
      curvpt(refCP[k][i][RU], I, Q);
      ASSERT_NEAR(refCP[k][i][RX], Q[0], 1e-6) << k << " " << i;
      ASSERT_NEAR(refCP[k][i][RY], Q[1], 1e-6) << k << " " << i;
    }
  }
}

TEST_F(CpTest, StraightLineRunsAllTypesAlike) {
  A3 = 0.0;
  L3 = 2.5;
  ASSERT_TRUE(prepare(3));
  ASSERT_LT(track(3), MAX);
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(TCP[k], 2.5, 1e-9);
    EXPECT_EQ(NN[k], 126);
    EXPECT_NEAR(refCP[k][NN[k]][RX], 2.5, 1e-9);
    EXPECT_NEAR(errCP[k][NN[k]][RX], 0.0, 1e-12);
  }
}

TEST_F(CpTest, RunOfExactlyTheTableCapacityKeepsItsEndRecord) {
  // 59.99 m at full speed: 2999 regular records, and the end record at
  // index 3000.  The front-driven type needs more and is refused.
  nt12 = 4.0;
  A12 = spiralA(4.0, 59.99);
  ASSERT_TRUE(prepare(12));
  int n = -1;
  auto out = scripted("", [&] { n = caltraj(12); }).out;
  EXPECT_EQ(n, MAX);
  EXPECT_EQ(NN[0], MAX);
  EXPECT_NEAR(refCP[0][MAX][RS], Pfcp[12][3], 1e-9);
  EXPECT_NEAR(TCP[0], Pfcp[12][3], 1e-6);
  EXPECT_EQ(out, "\ncaltraj() I=12 AGV=2 刻み数NN=3000>=3000=MAX 経路長長過ぎる．経路設定し直し");
}

// ---- The CP computation of a dialogue pass -------------------------------

namespace {

size_t at(const std::string& s, const std::string& what, size_t from = 0) {
  const size_t p = s.find(what, from);
  EXPECT_NE(p, std::string::npos) << what;
  return p;
}

const std::string kMenu = "\n\nCP経路曲線を設定・変更　　曲線番号入力";
const std::string kOld = "\n\n(4) 旧経路 :";
const std::string kDone = "\n　　   　  計算終了  ";

}  // namespace

TEST_F(CpTest, DialogueReturnsToTheCurveSetUpWhenTheWalkIsTooLong) {
  char spiral[64];
  std::snprintf(spiral, sizeof spiral, "12\n%.12f 4\n", spiralA(4.0, 59.99));
  auto s = agvtest::firstPass(std::string("c") + spiral + "n" + "3\n1 1\n" + "x");
  EXPECT_FALSE(s.eof);
  const size_t a =
      at(s.out, "\ncalpath() I=12 AGV=1 時系列刻み数k=3000>=3000=MAX 多すぎる(経路長長過ぎる)．");
  const size_t b = at(s.out, "\ndialogue() I=12 経路設定し直し", a);
  const size_t c = at(s.out, kOld, b);
  const size_t d = at(s.out, kMenu, c);
  at(s.out, kDone, d);
  EXPECT_EQ(curveNo, 3);
  EXPECT_EQ(NN[0], 74);
}

TEST_F(CpTest, DialogueReturnsToTheCurveSetUpWhenTheRangeIsTooLong) {
  // 0.1 m per turn over five turns: short enough, but 31.4 rad of range.
  auto s = agvtest::firstPass("c12\n0.1 5\nn3\n1 1\nx");
  EXPECT_FALSE(s.eof);
  const size_t a = at(s.out, "\nchkrange() I=12 曲線範囲uend=31.4159>=29.99");
  EXPECT_EQ(s.out.find("経路長sf="), std::string::npos);
  const size_t c = at(s.out, kOld, a);
  const size_t d = at(s.out, kMenu, c);
  at(s.out, kDone, d);
  EXPECT_EQ(curveNo, 3);
}

TEST_F(CpTest, DialoguePassOfTheDefaultCurve) {
  auto s = agvtest::firstPass("c1\n2 5\nnx");
  EXPECT_FALSE(s.eof);
  at(s.out, kDone);
  EXPECT_EQ(NN[0], 488);
  EXPECT_NEAR(TCP[0], 9.759494, 1e-6);
}
