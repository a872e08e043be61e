// The scene of computed passes, read back from the window.
#include "render/scene.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "control/params.h"
#include "control/view.h"
#include "control/window.h"
#include "cp/curves.h"
#include "cp/track.h"
#include "glsupport.h"
#include "motion/runs.h"
#include "motion/varruns.h"
#include "ptp/clpath.h"
#include "ptp/schedule.h"
#include "support/session.h"

using namespace agv;
using rendertest::Frame;

namespace {

// The world-to-screen rule of the view.
Point scr(double x, double y) { return {scale * (x + xorg) + xshift, scale * (y + yorg) + yshift}; }
Point scr(const double* rec) { return scr(rec[RX], rec[RY]); }

// Distance of two screen points in pixels.
double px(const Point& a, const Point& b) { return std::hypot(a.x - b.x, a.y - b.y) * 400.0; }

// A figure reaches 1.3 m from its reference point (the nose tip).
constexpr double figureReach = 1.3;
// Screen points right of this are under the graph panel.
constexpr double panelEdge = 0.33;

struct Hidden {
  Point at[4];
  int n = 0;
  void figure(const double* rec) { at[n++] = scr(rec); }
  bool covers(const Point& s) const {
    if (s.x > panelEdge || std::fabs(s.y) > 0.98) return true;
    for (int i = 0; i < n; ++i)
      if (px(s, at[i]) < figureReach * scale * 400.0) return true;
    return false;
  }
};

// Nearest screen distance in pixels from s to the records rec[0..n].
double nearest(const Point& s, int n, const double (*rec)[6]) {
  double d = 1e9;
  for (int i = 0; i <= n; ++i) d = std::min(d, px(s, scr(rec[i])));
  return d;
}

class PtpScene : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The default pass: end pose (2, 3, 0 deg).
    agvtest::Session s = agvtest::firstPass("pnk");
    ASSERT_FALSE(s.eof) << s.out;
  }
  void SetUp() override {
    ASSERT_TRUE(rendertest::glready());
    agvType = 1;
    sgnPATH = 'p';
    sgnDraw = 'a';
    kanimC = kanimV = kanimCP = 0;
    scale = scale0;
    xshift = yshift = 0.0;
  }
  void TearDown() override { initview(); }
};

TEST_F(PtpScene, ArcLinePathRedAndClothoidLinePathGreenOnTheirRecords) {
  Frame f = rendertest::shown();
  Hidden h;
  h.figure(vvA[0][0]);
  int k = 0, checked = 0;
  for (int i = 0; i <= nc[k][3]; ++i) {
    Point s = scr(refB[k][i]);
    if (h.covers(s) || px(s, scr(xf, yf)) < 5) continue;
    EXPECT_TRUE(f.near(s, green)) << "refB " << i;
    ++checked;
  }
  EXPECT_GT(checked, 100);
  checked = 0;
  for (int i = 0; i <= nSeg[k][3]; ++i) {
    Point s = scr(refA[k][i]);
    // Where the two paths coincide the green one lies on top.
    if (h.covers(s) || nearest(s, nc[k][3], refB[k]) < 4.0) continue;
    EXPECT_TRUE(f.near(s, red)) << "refA " << i;
    ++checked;
  }
  EXPECT_GT(checked, 20);
}

TEST_F(PtpScene, BlueTraceAndFigureOnlyForTypes2And3) {
  for (int type = 1; type <= 3; ++type) {
    for (char draw : {'a', 'b'}) {
      SCOPED_TRACE(testing::Message() << "type " << type << " drawing " << draw);
      agvType = type;
      sgnDraw = draw;
      int k = type - 1;
      const double(*cv)[6] = draw == 'a' ? cvA[k] : cvB[k];
      const double(*vv)[6] = draw == 'a' ? vvA[k] : vvB[k];
      int total = draw == 'a' ? nSeg[k][3] : nc[k][3];
      int vtotal = draw == 'a' ? nvSeg[k][3] : nvc[k][3];
      // Both runs at their ends: the whole trace lies behind the figures.
      kanimC = total;
      kanimV = vtotal;
      Frame f = rendertest::shown();
      EXPECT_EQ(kendC, total);
      EXPECT_EQ(kendV, vtotal);
      int blue = f.count(-1.0, -1.0, 0.34, 1.0, agv::blue);
      if (type == 1) {
        EXPECT_EQ(blue, 0);
        continue;
      }
      Hidden h;
      h.figure(cv[kanimC]);
      h.figure(vv[kanimV]);
      int checked = 0;
      for (int i = 0; i <= total; i += 5) {
        Point s = scr(cv[i]);
        if (h.covers(s) || px(s, scr(agv::x0, agv::y0)) < 6) continue;
        EXPECT_TRUE(f.near(s, agv::blue)) << "dot " << i;
        ++checked;
      }
      EXPECT_GT(checked, 10);
      // A third of the way: no dots yet on the rest.
      kanimC = total / 3;
      kanimV = 0;
      f = rendertest::shown();
      h.n = 0;
      h.figure(cv[kanimC]);
      h.figure(vv[kanimV]);
      checked = 0;
      for (int i = kanimC + 1; i <= total; i += 5) {
        Point s = scr(cv[i]);
        if (h.covers(s) || nearest(s, kanimC, cv) < 8.0) continue;
        EXPECT_FALSE(f.near(s, agv::blue)) << "no dot yet at " << i;
        ++checked;
      }
      EXPECT_GT(checked, 5);
    }
  }
}

TEST_F(PtpScene, VariableVelocityFigureRedForArcLineGreenForClothoidLine) {
  agvType = 2;
  kanimV = nvSeg[1][3] / 2;
  Frame f = rendertest::shown();
  Point P = scr(vvA[1][kanimV]);
  // The body reaches 0.5 m ahead of the reference point along the heading.
  double th = vvA[1][kanimV][RTH];
  Point body{P.x + 0.5 * scale * std::cos(th), P.y + 0.5 * scale * std::sin(th)};
  EXPECT_TRUE(f.near(body, red, 2));
  sgnDraw = 'b';
  kanimV = nvc[1][3] / 2;
  f = rendertest::shown();
  P = scr(vvB[1][kanimV]);
  th = vvB[1][kanimV][RTH];
  body = {P.x + 0.5 * scale * std::cos(th), P.y + 0.5 * scale * std::sin(th)};
  EXPECT_TRUE(f.near(body, green, 2));
}

TEST_F(PtpScene, GridLinesEveryMetreAxesTwoPixels) {
  Frame f = rendertest::shown();
  // Left of the paths and below the legends: world x -4 ... -1, y -4 ... 2.
  for (int j = -4; j <= 2; ++j) {
    Point s = scr(-2.5, j);
    EXPECT_TRUE(f.near(s, black, 1)) << "horizontal line y = " << j;
    EXPECT_FALSE(f.near(scr(-2.5, j + 0.5), black, 3)) << "between y = " << j;
  }
  for (int i = -4; i <= -1; ++i) {
    EXPECT_TRUE(f.near(scr(i, -2.5), black, 1)) << "vertical line x = " << i;
    EXPECT_FALSE(f.near(scr(i + 0.5, -2.5), black, 3)) << "between x = " << i;
  }
  auto rows = [&](double wy) {
    int n = 0;
    Point s = scr(-2.5, wy);
    for (int r = rendertest::row(s.y) - 5; r <= rendertest::row(s.y) + 5; ++r)
      if (f.is(rendertest::col(s.x), r, black)) ++n;
    return n;
  };
  EXPECT_EQ(rows(0.0), 2);
  EXPECT_EQ(rows(-2.0), 1);
}

TEST_F(PtpScene, MarkersAtStartAndEndFollowZoomAndPan) {
  Frame f = rendertest::shown();
  EXPECT_TRUE(f.near(scr(agv::x0, agv::y0), black, 0));
  EXPECT_TRUE(f.near(scr(xf, yf), black, 0));
  Point before = scr(xf, yf);
  for (unsigned char k : {'W', 'W', 'x', 'x', 'x', 'y'}) keyboard(k, 0, 0);
  EXPECT_DOUBLE_EQ(scale, scale0 / 0.9 / 0.9);
  f = rendertest::shown();
  Point after = scr(xf, yf);
  EXPECT_NEAR(after.x, (xorg + xf) * (scale0 / 0.9 / 0.9) - 0.15, 1e-12);
  EXPECT_NEAR(after.y, (yorg + yf) * (scale0 / 0.9 / 0.9) - 0.05, 1e-12);
  EXPECT_GT(px(before, after), 10.0);
  EXPECT_TRUE(f.near(after, black, 0));
  EXPECT_FALSE(f.near(before, black, 1));
  EXPECT_TRUE(f.near(scr(agv::x0, agv::y0), black, 0));
  // Zooming out: the dot keeps its size, the grid spacing follows.
  for (int i = 0; i < 4; ++i) keyboard('w', 0, 0);
  f = rendertest::shown();
  EXPECT_TRUE(f.near(scr(xf, yf), black, 0));
  EXPECT_TRUE(f.near(scr(-2.5, -3.0), black, 1));
  EXPECT_FALSE(f.near(scr(-2.5, -3.5), black, 2));
}

TEST_F(PtpScene, PanelRightOfX035IsWhiteWhereverThePanGoes) {
  for (double pan : {0.0, 0.2, 0.6}) {
    xshift = pan;
    Frame f = rendertest::shown();
    // A column right of the graphs: nothing but white.
    for (int r = 0; r < rendertest::H; ++r)
      ASSERT_TRUE(f.is(rendertest::col(0.95), r, white)) << "pan " << pan << " row " << r;
    // Between the panel's edge and the graph axes no path or figure.
    for (const Color& c : {red, green, blue})
      EXPECT_EQ(f.count(0.355, -1.0, 0.385, 1.0, c), 0) << "pan " << pan;
  }
  // With the pan of 0.2 the paths do run under the panel.
  xshift = 0.2;
  Frame f = rendertest::shown();
  EXPECT_GT(f.count(0.25, -1.0, 0.345, 1.0, green), 0);
}

TEST_F(PtpScene, TextIsDarkFromTheFirstFrameOn) {
  // The state of a fresh context: lighting off, white current colour.
  glDisable(GL_LIGHTING);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  Frame f = rendertest::shown();
  EXPECT_GT(f.dark(-0.99, 0.95, -0.5, 0.99), 50);  // title
  EXPECT_GT(f.dark(-0.95, 0.90, -0.7, 0.94), 50);  // mechanism legend
}

class CpScene : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Cardioid, A = 1.
    agvtest::Session s = agvtest::firstPass("c13\n1\nnk");
    ASSERT_FALSE(s.eof) << s.out;
  }
  void SetUp() override {
    ASSERT_TRUE(rendertest::glready());
    agvType = 1;
    sgnPATH = 'c';
    kanimCP = 0;
    scale = scale0;
    xshift = yshift = 0.0;
  }
  void TearDown() override { initview(); }
};

TEST_F(CpScene, PathOnTopOfTheFigureTraceBlueMarkersBlack) {
  ASSERT_EQ(curveNo, 13);
  for (int type = 1; type <= 3; ++type) {
    SCOPED_TRACE(testing::Message() << "type " << type);
    agvType = type;
    int k = type - 1;
    kanimCP = NN[k] / 2;
    Frame f = rendertest::shown();
    Point m0 = scr(P0cp[13][0], P0cp[13][1]);
    Point mf = scr(Pfcp[13][0], Pfcp[13][1]);
    EXPECT_TRUE(f.near(m0, black, 0));
    EXPECT_TRUE(f.near(mf, black, 0));
    int onFigure = 0, checked = 0;
    const double* P = cvCP[k][kanimCP];
    for (int i = 0; i <= NN[k]; ++i) {
      Point s = scr(refCP[k][i]);
      if (s.x > panelEdge || px(s, m0) < 5 || px(s, mf) < 5) continue;
      EXPECT_TRUE(f.near(s, red)) << "refCP " << i;
      ++checked;
      // Within the body: 0.2 behind to 1.0 ahead, 0.5 to either side.
      double dx = refCP[k][i][RX] - P[RX], dy = refCP[k][i][RY] - P[RY];
      double along = dx * std::cos(P[RTH]) + dy * std::sin(P[RTH]);
      double across = -dx * std::sin(P[RTH]) + dy * std::cos(P[RTH]);
      if (along > -0.2 && along < 1.0 && std::fabs(across) < 0.5) ++onFigure;
    }
    EXPECT_GT(checked, 100);
    // Types 2 and 3 cannot follow the cusp and run off the curve.
    if (type == 1) {
      EXPECT_GT(onFigure, 5);
    }
    Hidden h;
    h.figure(cvCP[k][kanimCP]);
    checked = 0;
    for (int i = 0; i <= kanimCP; i += 5) {
      Point s = scr(cvCP[k][i]);
      if (h.covers(s) || px(s, m0) < 6) continue;
      EXPECT_TRUE(f.near(s, blue, 3)) << "dot " << i;
      ++checked;
    }
    EXPECT_GT(checked, 10);
  }
}

TEST_F(CpScene, CurveNumberLabel) {
  Frame f = rendertest::shown();
  framebegin();
  drawtext(-0.65f, 0.85f, GLUT_BITMAP_HELVETICA_18, "I=13");
  Frame ref = rendertest::readback();
  int same = 0, text = 0;
  for (int r = rendertest::row(0.84); r <= rendertest::row(0.89); ++r)
    for (int c = rendertest::col(-0.655); c <= rendertest::col(-0.52); ++c) {
      bool a = ref.is(c, r, black), b = f.is(c, r, black);
      if (a) ++text;
      if (a == b) ++same;
    }
  EXPECT_GT(text, 30);
  int all = (rendertest::row(0.89) - rendertest::row(0.84) + 1) *
            (rendertest::col(-0.52) - rendertest::col(-0.655) + 1);
  EXPECT_EQ(same, all);
}

}  // namespace
