// The scene of computed passes, read back from the window.
#include "glsupport.h"

namespace {

// A marker dot (radius 3.2 px) at s: more black in 7 x 7 px than crossing axes leave (24).
bool marker(const Frame& f, const Point& s) {
  return f.count(s.x - 0.0075, s.y - 0.0075, s.x + 0.0075, s.y + 0.0075, black) > 28;
}

class Scene : public ::testing::Test {
 protected:
  // The default PTP pass: end pose (2, 3, 0 deg).
  static void SetUpTestSuite() { ASSERT_FALSE(agvtest::firstPass("pnk").eof); }
  void SetUp() override {
    ASSERT_TRUE(glready());
    initview();
    agvType = 1;
    sgnPATH = 'p';
    sgnDraw = 'a';
    kanimC = kanimV = kanimCP = 0;
    scale = scale0;
  }
  void TearDown() override { initview(); }
};

TEST_F(Scene, PathsOnTheirRecordsTraceOnlyForTypes2And3) {
  for (int type = 1; type <= 3; ++type) {
    for (char draw : {'a', 'b'}) {
      SCOPED_TRACE(testing::Message() << "type " << type << " drawing " << draw);
      agvType = type;
      sgnDraw = draw;
      int k = type - 1;
      double(*cv)[6] = draw == 'a' ? cvA[k] : cvB[k];
      const double(*vv)[6] = draw == 'a' ? vvA[k] : vvB[k];
      int total = draw == 'a' ? nSeg[k][3] : nc[k][3];
      int vtotal = draw == 'a' ? nvSeg[k][3] : nvc[k][3];
      // The whole trace; a step beyond the last (left by a shorter pass) shows the last one.
      cv[total + 3][RX] = cv[total + 3][RY] = -3.0;
      kanimC = total + 3;
      kanimV = 0;
      Frame f = shown();
      EXPECT_FALSE(f.near(scr(-3.0, -3.0), blue, 3));
      // Type 1 has no constant-velocity figure.
      Expect e({type == 1 ? vv[0] : cv[total], vv[0]}, {{agv::x0, agv::y0}, {xf, yf}});
      if (type == 1) {
        EXPECT_EQ(f.count(-1.0, -1.0, 0.34, 1.0, blue), 0);
        // The green path lies on top where the two coincide.
        e.add(nc[k][3], refB[k], green);
        for (int i = 0; i <= nSeg[k][3]; ++i)
          if (nearest(scr(refA[k][i]), nc[k][3], refB[k]) > 4.0) e.add(refA[k][i], red);
        EXPECT_GT(e.want.size(), 120u);
      } else {
        e.add(total, cv, blue, 5);
        EXPECT_GT(e.want.size(), 10u);
      }
      EXPECT_EQ(e.misses(f), 0);
      // A third of the way: no dots on the rest; the variable-velocity figure half-way.
      kanimC = total / 3;
      kanimV = vtotal / 2;
      f = shown();
      EXPECT_TRUE(f.near(ahead(vv[kanimV], 0.5), draw == 'a' ? red : green, 2));
      if (type == 1) continue;
      Expect rest({cv[kanimC], vv[kanimV]}, {});
      for (int i = kanimC + 1; i <= total; i += 5)
        if (nearest(scr(cv[i]), kanimC, cv) > 8.0) rest.add(cv[i], blue, false);
      EXPECT_GT(rest.want.size(), 5u);
      EXPECT_EQ(rest.misses(f), 0);
    }
  }
}

TEST_F(Scene, GridEveryMetreAndMarkersFollowZoomAndPan) {
  Frame f = shown();
  // Left of the paths and below the legends: world x -4 ... -1, y -4 ... 2.
  for (int j = -4; j <= 2; ++j) {
    EXPECT_TRUE(f.near(scr(-2.5, j), black)) << "y = " << j;
    EXPECT_FALSE(f.near(scr(-2.5, j + 0.5), black, 3)) << "y = " << j + 0.5;
  }
  for (int i = -4; i <= -1; ++i) {
    EXPECT_TRUE(f.near(scr(i, -2.5), black)) << "x = " << i;
    EXPECT_FALSE(f.near(scr(i + 0.5, -2.5), black, 3)) << "x = " << i + 0.5;
  }
  // Line widths: the rows of black in a column across the line.
  Point axis = scr(-2.5, 0.0), line = scr(-2.5, -2.0);
  EXPECT_EQ(f.count(axis.x, axis.y - 0.0125, axis.x, axis.y + 0.0125, black), 2);
  EXPECT_EQ(f.count(line.x, line.y - 0.0125, line.x, line.y + 0.0125, black), 1);
  Point before = scr(xf, yf);
  EXPECT_TRUE(marker(f, scr(agv::x0, agv::y0)));
  EXPECT_TRUE(marker(f, before));
  for (unsigned char k : {'W', 'W', 'x', 'x', 'x', 'y'}) keycmd(k);
  f = shown();
  Point after = scr(xf, yf);
  EXPECT_NEAR(after.x, (-0.5 + xf) * (scale0 / 0.9 / 0.9) - 0.15, 1e-12);
  EXPECT_NEAR(after.y, (-0.5 + yf) * (scale0 / 0.9 / 0.9) - 0.05, 1e-12);
  EXPECT_GT(px(before, after), 10.0);
  EXPECT_TRUE(marker(f, after));
  EXPECT_FALSE(marker(f, before));
  EXPECT_TRUE(marker(f, scr(agv::x0, agv::y0)));
  // Zooming out: the grid spacing follows.
  for (int i = 0; i < 4; ++i) keycmd('w');
  f = shown();
  EXPECT_TRUE(marker(f, scr(xf, yf)));
  EXPECT_TRUE(f.near(scr(-2.5, -3.0), black));
  EXPECT_FALSE(f.near(scr(-2.5, -3.5), black, 2));
}

TEST_F(Scene, TextDarkFromTheFirstFrameOnPanelRightOfX035White) {
  // The state of a fresh context: lighting off, white current colour.
  glDisable(GL_LIGHTING);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  for (double pan : {0.0, 0.2, 0.6}) {
    xshift = pan;
    Frame f = shown();
    EXPECT_GT(f.count(-0.99, 0.95, -0.5, 0.99, black), 50);  // title
    EXPECT_GT(f.count(-0.95, 0.90, -0.7, 0.94, black), 50);  // mechanism legend
    // A column right of the graphs: nothing but white.
    EXPECT_EQ(f.count(0.95, -1.0, 0.95, 0.9975, white), H) << pan;
    // Between the panel's edge and the graph axes no path or figure.
    for (const Color& c : {red, green, blue})
      EXPECT_EQ(f.count(0.355, -1.0, 0.385, 1.0, c), 0) << pan;
    // With the pan the paths do run under the panel.
    if (pan == 0.2) {
      EXPECT_GT(f.count(0.25, -1.0, 0.345, 1.0, green), 0);
    }
  }
}

// Tests that compute a pass of their own.
class OwnPass : public Scene {};

TEST_F(OwnPass, CpPathOnTopOfTheFigureTraceBlueMarkersBlack) {
  // Cardioid, A = 1.
  ASSERT_FALSE(agvtest::firstPass("c13\n1\nnk").eof);
  ASSERT_EQ(curveNo, 13);
  for (int type = 1; type <= 3; ++type) {
    SCOPED_TRACE(testing::Message() << "type " << type);
    agvType = type;
    int k = type - 1;
    kanimCP = NN[k] / 2;
    Frame f = shown();
    EXPECT_TRUE(marker(f, scr(P0cp[13][0], P0cp[13][1])));
    EXPECT_TRUE(marker(f, scr(Pfcp[13][0], Pfcp[13][1])));
    const double* P = cvCP[k][kanimCP];
    Expect path({}, {{P0cp[13][0], P0cp[13][1]}, {Pfcp[13][0], Pfcp[13][1]}});
    Expect trace({P}, {{P0cp[13][0], P0cp[13][1]}});
    trace.radius = 3;  // the dots show beside the path drawn over them
    path.add(NN[k], refCP[k], red);
    trace.add(kanimCP, cvCP[k], blue, 5);
    // The body reaches 0.2 m behind P and 0.5 m to either side.
    int onFigure = 0;
    for (int i = 0; i <= NN[k]; ++i)
      onFigure += px(scr(refCP[k][i]), scr(P)) < 0.2 * scale * W / 2.0;
    EXPECT_GT(path.want.size(), 100u);
    EXPECT_GT(trace.want.size(), 10u);
    EXPECT_EQ(path.misses(f), 0);
    EXPECT_EQ(trace.misses(f), 0);
    // Types 2 and 3 cannot follow the cusp and run off the curve.
    if (type == 1) {
      EXPECT_GT(onFigure, 5);
    }
  }
}

TEST_F(OwnPass, NothingNonFiniteReachesGlForAZeroPass) {
  // End pose equal to the start pose: no steps, no extent.
  ASSERT_FALSE(agvtest::firstPass("pyy0 0 0\nk").eof);
  ASSERT_EQ(nSeg[0][3], 0);
  ASSERT_EQ(bndPTP[0][2], 0.0);
  nonfinite = 0;
  for (int type = 1; type <= 3; ++type)
    for (char draw : {'a', 'b'}) {
      agvType = type;
      sgnDraw = draw;
      Frame f = shown();
      EXPECT_EQ(nonfinite, 0) << type << draw;
      // The frames are there: time axes and the label 0s of the last.
      for (double y : {0.68, 0.1, -0.55}) EXPECT_TRUE(f.near({0.65, y}, black, 0)) << y;
      EXPECT_GT(f.count(0.9, -0.59, 0.93, -0.57, black), 0);
      EXPECT_TRUE(marker(f, scr(0.0, 0.0)));  // the start and end marker
    }
  // The same for a CP run without steps or extent.
  sgnPATH = 'c';
  for (int k = 0; k < 3; ++k) {
    NN[k] = 0;
    TCP[k] = bndCP[k][2] = bndCPk[k][2] = 0.0;
  }
  shown();
  EXPECT_EQ(nonfinite, 0);
}

}  // namespace
