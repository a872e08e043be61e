// Time-series graphs on hand-filled runs and on a degenerate pass.
#include "render/graphs.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "control/dialogue.h"
#include "control/params.h"
#include "control/view.h"
#include "control/window.h"
#include "cp/track.h"
#include "glsupport.h"
#include "gltrap.h"
#include "motion/runs.h"
#include "motion/varruns.h"
#include "ptp/clpath.h"
#include "ptp/schedule.h"
#include "render/scene.h"
#include "support/session.h"

using namespace agv;
using rendertest::col;
using rendertest::Frame;
using rendertest::row;

namespace {

// Origins of the three graphs.
constexpr Point gx{0.4, 0.68}, gy{0.4, 0.1}, gk{0.4, -0.55};

void fill(double (*rec)[6], int n, double x, double y, double kap) {
  for (int i = 0; i <= n; ++i) {
    rec[i][RX] = x;
    rec[i][RY] = y;
    rec[i][RKAP] = kap;
  }
}

// Groups of black pixels met going up the column at x from y0 to y1.
int blackgroups(const Frame& f, double x, double y0, double y1) {
  int n = 0;
  bool in = false;
  for (int r = row(y0); r <= row(y1); ++r) {
    bool b = f.is(col(x), r, black);
    if (b && !in) ++n;
    in = b;
  }
  return n;
}

// The same going right along the row at y from x0 to x1.
int blackgroupsrow(const Frame& f, double y, double x0, double x1) {
  int n = 0;
  bool in = false;
  for (int c = col(x0); c <= col(x1); ++c) {
    bool b = f.is(c, row(y), black);
    if (b && !in) ++n;
    in = b;
  }
  return n;
}

// True when the frame shows the text drawn alone at (x, y): all of its ink,
// and around it no more dark pixels than a thin line crossing it.
bool textis(const Frame& f, float x, float y, void* font, const char* text) {
  framebegin();
  drawtext(x, y, font, text);
  Frame ref = rendertest::readback();
  auto dark = [](const Frame& g, int c, int r) {
    const uint8_t* p = g.px(c, r);
    return p[0] < 128 && p[1] < 128 && p[2] < 128;
  };
  // The box of the text's ink, one pixel wider.
  int c0 = rendertest::W, c1 = -1, r0 = rendertest::H, r1 = -1;
  for (int r = row(y - 0.02); r <= row(y + 0.06); ++r)
    for (int c = col(x - 0.02); c <= col(x + 0.1); ++c)
      if (dark(ref, c, r)) {
        c0 = std::min(c0, c - 1);
        c1 = std::max(c1, c + 1);
        r0 = std::min(r0, r - 1);
        r1 = std::max(r1, r + 1);
      }
  if (c1 < 0) return false;
  int extra = 0;
  for (int r = r0; r <= r1; ++r)
    for (int c = c0; c <= c1; ++c) {
      if (dark(ref, c, r) && !dark(f, c, r)) return false;
      if (!dark(ref, c, r) && dark(f, c, r)) ++extra;
    }
  return extra <= 3 * (r1 - r0 + 1);
}

class Graphs : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rendertest::glready());
    initview();
    sgnPATH = 'p';
    sgnDraw = 'a';
    // Mechanism 2, arc-line runs of 100 steps over 2 s in an extent of
    // 3 m; the variable-velocity run has 50 steps.
    nSeg[1][3] = 100;
    Tseg[1][3] = 2.0;
    bndPTP[1][2] = 3.0;
    fill(refA[1], 100, 1.0, 2.0, 0.5);
    fill(cvA[1], 100, -2.0, -2.0, 1.0);
    fill(errA[1], 100, 0.1, -0.1, 0.0);
    nvSeg[1][3] = 50;
    fill(vvA[1], 50, 2.5, -2.5, -1.0);
    nc[1][3] = 100;
    Tc[1][3] = 2.0;
    fill(refB[1], 100, 1.0, 2.0, 0.5);
    fill(cvB[1], 100, -2.0, -2.0, 1.0);
    fill(errB[1], 100, 0.1, -0.1, 0.0);
    nvc[1][3] = 50;
    fill(vvB[1], 50, 2.5, -2.5, -1.0);
  }
  Frame graphs(int type, int kCP, int kC, int kV) {
    framebegin();
    drawgraphxy(type, kCP, kC, kV);
    drawgraphk(type, kCP, kC, kV);
    return rendertest::readback();
  }
};

TEST_F(Graphs, PtpCurvesAtTheirValuesWithFiveTimesTheError) {
  Frame f = graphs(2, 0, 50, 25);
  // Extent 3 m: 0.1 screen units per metre.
  EXPECT_TRUE(f.near({0.62, gx.y + 0.1}, red, 0));   // theory x = 1
  EXPECT_TRUE(f.near({0.62, gx.y - 0.2}, blue, 0));  // run x = -2
  EXPECT_TRUE(f.near({0.62, gy.y + 0.2}, red, 0));   // theory y = 2
  EXPECT_TRUE(f.near({0.62, gy.y - 0.2}, blue, 0));  // run y = -2
  // An error of 0.1 m lies 0.05 from the axis.
  EXPECT_TRUE(f.near({0.62, gx.y + 0.05}, red, 1));
  EXPECT_TRUE(f.near({0.62, gy.y - 0.05}, red, 1));
  // The variable-velocity run spreads its 50 steps over the full width.
  EXPECT_TRUE(f.near({0.62, gx.y + 0.25}, red, 0));
  EXPECT_TRUE(f.near({0.88, gy.y - 0.25}, red, 0));
  // Curvature: 0.15 per 1/m.
  EXPECT_TRUE(f.near({0.62, gk.y + 0.075}, red, 1));
  EXPECT_TRUE(f.near({0.62, gk.y + 0.15}, blue, 0));
  EXPECT_TRUE(f.near({0.62, gk.y - 0.15}, red, 0));
  // End dots at both ends of the theory.
  EXPECT_TRUE(f.near({gx.x, gx.y + 0.1}, red, 0));
  EXPECT_TRUE(f.near({gx.x + 0.5, gy.y + 0.2}, red, 0));
}

// Pixels that differ between two frames in the screen box.
int differ(const Frame& a, const Frame& b, double x0, double y0, double x1, double y1) {
  int n = 0;
  for (int r = row(y0); r <= row(y1); ++r)
    for (int c = col(x0); c <= col(x1); ++c)
      if (!std::equal(a.px(c, r), a.px(c, r) + 3, b.px(c, r))) ++n;
  return n;
}

TEST_F(Graphs, StepMarkersStandAtTheirStep) {
  for (char draw : {'a', 'b'}) {
    SCOPED_TRACE(draw);
    sgnDraw = draw;
    // Constant-velocity step 50 of 100 (x = 0.65), variable-velocity
    // step 40 of 50 (x = 0.8); against steps 10 (x = 0.45, 0.5).
    Frame f = graphs(2, 0, 50, 40);
    Frame g = graphs(2, 0, 10, 10);
    const double r = 0.012;  // around a marker of radius 0.006
    int all = differ(f, g, -1, -1, 0.99, 0.99), seen = 0;
    for (double y : {gx.y + 0.1, gx.y - 0.2, gy.y + 0.2, gy.y - 0.2, gk.y + 0.15}) {
      int at = differ(f, g, 0.65 - r, y - r, 0.65 + r, y + r);
      int was = differ(f, g, 0.45 - r, y - r, 0.45 + r, y + r);
      EXPECT_GT(at, 0) << y;
      EXPECT_GT(was, 0) << y;
      seen += at + was;
    }
    for (double y : {gx.y + 0.25, gy.y - 0.25, gk.y - 0.15}) {
      int at = differ(f, g, 0.8 - r, y - r, 0.8 + r, y + r);
      int was = differ(f, g, 0.5 - r, y - r, 0.5 + r, y + r);
      EXPECT_GT(at, 0) << y;
      EXPECT_GT(was, 0) << y;
      seen += at + was;
    }
    EXPECT_EQ(seen, all);
    // Colours: red and blue on the arc-line drawing, black on the other.
    const Color& ref = draw == 'a' ? red : black;
    const Color& run = draw == 'a' ? blue : black;
    EXPECT_TRUE(f.near({0.65, gx.y + 0.1 + 0.004}, ref, 0));
    EXPECT_TRUE(f.near({0.65, gx.y - 0.2 + 0.004}, run, 0));
    EXPECT_TRUE(f.near({0.65, gk.y + 0.15 + 0.004}, black, 0));
    EXPECT_TRUE(f.near({0.62, gx.y + 0.1}, draw == 'a' ? red : green, 0));
    EXPECT_TRUE(f.near({0.62, gx.y + 0.25}, draw == 'a' ? red : green, 0));
  }
}

TEST_F(Graphs, TwoWheelDriveHasNoVariableVelocityCurvature) {
  nSeg[0][3] = 100;
  Tseg[0][3] = 2.0;
  bndPTP[0][2] = 3.0;
  fill(refA[0], 100, 1.0, 2.0, 0.5);
  fill(cvA[0], 100, -2.0, -2.0, 1.0);
  nvSeg[0][3] = 50;
  fill(vvA[0], 50, 2.5, -2.5, -1.0);
  Frame f = graphs(1, 0, 0, 0);
  EXPECT_FALSE(f.near({0.62, gk.y - 0.15}, red, 2));
  EXPECT_TRUE(f.near({0.62, gx.y + 0.25}, red, 0));
  EXPECT_TRUE(f.near({0.62, gk.y + 0.15}, blue, 0));
}

TEST_F(Graphs, PiecesLeavingTheBandAreSkippedNotClipped) {
  double rec[5][6] = {};
  const double v[5] = {0.0, 1.0, 5.0, 1.0, 0.0};
  for (int i = 0; i < 5; ++i) rec[i][RX] = v[i];
  framebegin();
  plotcol(4, {-0.5, 0.0}, 0.2, 0.1, 0.008, red, rec, RX);
  // At exactly hg from the axis a piece is left out too.
  double edge[2][6] = {};
  edge[1][RKAP] = 2.0;
  plotcol(1, {-0.5, -0.5}, 0.2, hg / 2.0, 0.008, blue, edge, RKAP);
  Frame f = rendertest::readback();
  EXPECT_TRUE(f.near({-0.4, 0.05}, red, 0));
  EXPECT_TRUE(f.near({0.2, 0.05}, red, 0));
  EXPECT_EQ(f.count(-0.29, -0.1, 0.09, 0.6, red), 0);
  EXPECT_EQ(f.count(-1, -1, 1, 1, blue), 0);
}

TEST_F(Graphs, DurationTicksAndLabel) {
  struct Case {
    double T;
    int ticks;
    const char* label;
  };
  for (const Case& c : {Case{9.98, 9, "9s"}, Case{12.5, 12, "12s"}, Case{0.8, 0, "0s"}}) {
    SCOPED_TRACE(c.label);
    const Point o{-0.6, 0.0};
    framebegin();
    drawframe(o, 1.0, c.T, 3.0);
    Frame f = rendertest::readback();
    // Ticks between the value axis and the right border.
    EXPECT_EQ(blackgroupsrow(f, o.y + 0.012, o.x + 0.01, o.x + 0.49), c.ticks);
    double last = c.ticks > 0 ? o.x + c.ticks * 0.5 / c.T : o.x + 0.5;
    EXPECT_TRUE(textis(f, static_cast<float>(last), static_cast<float>(o.y - 0.03),
                       GLUT_BITMAP_HELVETICA_12, c.label));
  }
}

TEST_F(Graphs, ValueTicksEveryUnitAndLabelsAtPlusMinusOne) {
  const Point o{-0.6, 0.0};
  framebegin();
  drawframe(o, 1.0, 5.0, 3.0);
  Frame f = rendertest::readback();
  // Extent 3: seven ticks 0.1 apart.
  EXPECT_EQ(blackgroups(f, o.x + 0.012, o.y - 0.31, o.y + 0.31), 7);
  EXPECT_TRUE(textis(f, static_cast<float>(o.x - 0.03), static_cast<float>(o.y + 0.1 - 0.015),
                     GLUT_BITMAP_HELVETICA_18, "1"));
  EXPECT_TRUE(textis(f, static_cast<float>(o.x - 0.05), static_cast<float>(o.y - 0.1 - 0.015),
                     GLUT_BITMAP_HELVETICA_18, "-1"));
  // The PTP curvature range 2/Ra: five ticks 0.15 apart.
  framebegin();
  drawframe(o, 1.0, 5.0, 2.0 / Ra);
  f = rendertest::readback();
  EXPECT_EQ(blackgroups(f, o.x + 0.012, o.y - 0.31, o.y + 0.31), 5);
  EXPECT_TRUE(f.near({o.x + 0.01, o.y + 0.3}, black, 0));
}

TEST_F(Graphs, CpCurvatureRangeIsCappedAt2) {
  sgnPATH = 'c';
  NN[0] = 100;
  TCP[0] = 2.0;
  bndCP[0][2] = 3.0;
  bndCPk[0][2] = 3.5;
  for (int i = 0; i <= 100; ++i) {
    refCP[0][i][RX] = refCP[0][i][RY] = 0.0;
    refCP[0][i][RKAP] = i < 50 ? 1.5 : 2.5;
  }
  fill(cvCP[0], 100, 0.0, 0.0, -1.0);
  fill(errCP[0], 100, 0.0, 0.0, 0.0);
  Frame f = graphs(1, 25, 0, 0);
  EXPECT_TRUE(f.near({0.5, gk.y + 0.225}, red, 0));
  EXPECT_EQ(f.count(0.66, gk.y + 0.29, 0.89, gk.y + 0.4, red), 0);
  EXPECT_TRUE(f.near({0.62, gk.y - 0.15}, blue, 0));
  EXPECT_TRUE(f.near({0.525, gk.y + 0.225}, black, 0));  // marker at step 25
}

TEST_F(Graphs, NothingNonFiniteReachesGlForAZeroPass) {
  // End pose equal to the start pose: no steps, no extent.
  agvtest::Session s = agvtest::firstPass("pyy0 0 0\nk");
  ASSERT_FALSE(s.eof) << s.out;
  ASSERT_EQ(nSeg[0][3], 0);
  ASSERT_EQ(bndPTP[0][2], 0.0);
  rendertest::nonfinite = 0;
  for (int type = 1; type <= 3; ++type)
    for (char draw : {'a', 'b'}) {
      agvType = type;
      sgnDraw = draw;
      kanimC = kanimV = 0;
      Frame f = rendertest::shown();
      EXPECT_EQ(rendertest::nonfinite, 0) << type << draw;
      // The frames are there: time axes and the label 0s at their right
      // ends.
      EXPECT_TRUE(f.near({gx.x + 0.25, gx.y}, black, 0));
      EXPECT_TRUE(f.near({gy.x + 0.25, gy.y}, black, 0));
      EXPECT_TRUE(f.near({gk.x + 0.25, gk.y}, black, 0));
      EXPECT_GT(f.dark(0.9, gk.y - 0.04, 0.93, gk.y - 0.02), 0);
      // The start and end marker.
      EXPECT_TRUE(f.near({(xorg + 0.0) * scale, (yorg + 0.0) * scale}, black, 0));
    }
  // The same for a CP run without steps or extent.
  sgnPATH = 'c';
  for (int k = 0; k < 3; ++k) {
    NN[k] = 0;
    TCP[k] = 0.0;
    bndCP[k][2] = bndCPk[k][2] = 0.0;
  }
  rendertest::shown();
  EXPECT_EQ(rendertest::nonfinite, 0);
}

}  // namespace
