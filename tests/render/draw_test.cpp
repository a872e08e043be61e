// Primitives, vehicle figures and graphs drawn alone and read back.
#include "glsupport.h"

namespace {

class Draw : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(glready());
    initview();
    S.view.scale = scale0;
    cv().framebegin();
  }
  void TearDown() override {
    S.view.scale = scale0;
    S.agvType = 1;
  }
  // The figure of `type` at the screen point s, heading 0, zoom 1.
  static Frame figure(int type, const Point& s, double phi, double Lw = 1.0) {
    S.agvType = type;
    S.view.scale = 1.0;
    cv().framebegin();
    drawagv(cv(), S.view, type, Lw, {s.x - S.view.xorg, s.y - S.view.yorg}, 0.0, phi, blue);
    return readback();
  }
};

TEST_F(Draw, LineWidthIsScreenUnitsTimes400AndThinLinesFollowAt2Px) {
  drawline(cv(), {-0.5, 0.5}, {0.5, 0.5}, 0.008, red);
  drawthin(cv(), {-0.5, 0.0}, {0.5, 0.0}, blue);
  drawline(cv(), {-0.5, -0.5}, {0.5, -0.5}, 0.005, green);
  // An outline right after a wide line is thin too: a rectangle's, a half circle's.
  drawline(cv(), {-0.9, -0.9}, {-0.8, -0.9}, 0.02, red);
  drawrectline(cv(), {0.6, -0.8}, 0.2, 0.2, 0.0, blue);
  drawline(cv(), {-0.9, -0.95}, {-0.8, -0.95}, 0.02, red);
  drawhalfarc(cv(), {-0.5, -0.8}, 0.1, PIc, blue);
  Frame f = readback();
  EXPECT_EQ(f.count(-0.5, -0.73, -0.5, -0.67, blue), 2);
  // Rows across each line: 3.2 px (rounded to 3), 2 px and 2 px.
  EXPECT_EQ(f.count(0.0, 0.47, 0.0, 0.53, red), 3);
  EXPECT_EQ(f.count(0.0, -0.03, 0.0, 0.03, blue), 2);
  EXPECT_EQ(f.count(0.0, -0.53, 0.0, -0.47, green), 2);
  EXPECT_EQ(f.count(0.7, -0.83, 0.7, -0.77, blue), 2);
}

TEST_F(Draw, DotKeepsItsSizeWhenZoomingAndMarkGrows) {
  int dot[2], mark[2];
  for (int i = 0; i < 2; ++i) {
    S.view.scale = (i + 1) * scale0;
    cv().framebegin();
    drawdot(cv(), S.view, {0.5, 0.5}, blue);
    drawmark(cv(), S.view, {-1.0, -1.0}, 0.5, red);
    Frame f = readback();
    dot[i] = f.count(-1, -1, 1, 1, blue);
    mark[i] = f.count(-1, -1, 1, 1, red);
    EXPECT_TRUE(f.near(scr(0.5, 0.5), blue, 0));
  }
  EXPECT_EQ(dot[1], dot[0]);
  EXPECT_NEAR(dot[0], PIc * 3.2 * 3.2, 8.0);  // radius 0.008 screen units
  EXPECT_NEAR(mark[1], 4.0 * mark[0], 0.05 * 4.0 * mark[0]);
}

TEST_F(Draw, LinesOfOneWidthKeepEachItsColour) {
  const Color cols[] = {red, black, white, green, black, blue, red};
  for (int i = 0; i < 7; ++i) drawline(cv(), {-0.5 + 0.1 * i, -0.5}, {-0.5 + 0.1 * i, 0.5}, 0.008, cols[i]);
  drawrect(cv(), {-0.9, 0.6}, 0.2, 0.2, 0.0, black);  // white lines need a background of their own
  drawline(cv(), {-0.9, 0.7}, {-0.7, 0.7}, 0.008, white);
  Frame f = readback();
  for (int i = 0; i < 7; ++i) {
    if (i == 2) continue;  // white on white
    EXPECT_TRUE(f.near({-0.5 + 0.1 * i, 0.0}, cols[i], 0)) << i;
  }
  EXPECT_TRUE(f.near({-0.8, 0.7}, white, 0));
}

TEST_F(Draw, HalfDiscAndHalfArcRunClockwiseFromTheirStart) {
  // From straight down clockwise: the half left of the centre, as behind a heading of 0.
  drawhalfdisc(cv(), {0.0, 0.0}, 0.4, -PI_2, blue);
  drawhalfarc(cv(), {0.0, 0.0}, 0.6, -PI_2, red);
  Frame f = readback();
  EXPECT_TRUE(f.near({-0.2, 0.0}, blue, 0));
  EXPECT_FALSE(f.near({0.2, 0.0}, blue, 3));
  EXPECT_TRUE(f.near({-0.6, 0.0}, red, 1));
  EXPECT_FALSE(f.near({0.6, 0.0}, red, 3));
}

TEST_F(Draw, WhatReachesIntoTheWindowOrLeftOfTheCoverIsDrawn) {
  cv().coverright(0.35);
  drawdisc(cv(), {0.355, 0.5}, 0.008, blue);        // mostly under the cover
  drawline(cv(), {0.352, -0.6}, {0.352, -0.2}, 0.008, red);  // 3.2 px wide, reaching left of it
  drawdisc(cv(), {0.6, 0.5}, 0.008, green);         // wholly under the cover: not drawn
  cv().coverright(std::numeric_limits<double>::infinity());
  drawdisc(cv(), {1.003, 0.0}, 0.008, green);       // mostly outside the window
  drawdisc(cv(), {0.0, -1.004}, 0.008, blue);
  drawdisc(cv(), {-1.003, 0.3}, 0.008, green);
  drawdisc(cv(), {0.3, 1.004}, 0.008, blue);
  Frame f = readback();
  EXPECT_TRUE(f.near({0.349, 0.5}, blue, 0));
  EXPECT_TRUE(f.near({0.349, -0.4}, red, 0));
  EXPECT_TRUE(f.near({0.998, 0.0}, green, 0));
  EXPECT_TRUE(f.near({0.0, -0.998}, blue, 0));
  EXPECT_TRUE(f.near({-0.998, 0.3}, green, 0));
  EXPECT_TRUE(f.near({0.3, 0.998}, blue, 0));
  EXPECT_FALSE(f.near({0.6, 0.5}, green, 3));
}

TEST_F(Draw, ARotatedGridDrawsItsLinesWhereTheRotationPutsThem) {
  // A quarter turn: the local lines across x run along the screen's x, from the right edge
  // of the window and from its left edge.
  drawgrid(cv(), {0.9, 0.0}, PI_2, 2, 0.3, 0.3);
  drawgrid(cv(), {-0.9, 0.0}, PI_2, 2, 0.3, 0.3);
  Frame f = readback();
  for (double y : {-0.6, -0.3, 0.3, 0.6}) {
    EXPECT_TRUE(f.near({0.45, y}, black, 1)) << y;
    EXPECT_TRUE(f.near({-0.45, y}, black, 1)) << y;
  }
  EXPECT_FALSE(f.near({0.45, 0.15}, black, 2));
}

// Pixels of columns x0 ... x1 below y = 0 unlike their mirror image, and coloured ones.
std::pair<int, int> mirror(const Frame& f, double x0, double x1) {
  auto kind = [&f](int c, int r) {
    return f.is(c, r, white) ? 0 : f.is(c, r, black) ? 1 : f.is(c, r, blue) ? 2 : 3;
  };
  int odd = 0, coloured = 0;
  for (int r = 0; r < H / 2; ++r)
    for (int c = col(x0); c <= col(x1); ++c) {
      coloured += kind(c, r) != 0;
      odd += kind(c, r) != kind(c, H - 1 - r);
    }
  return {odd, coloured};
}

TEST_F(Draw, FigureSymmetricWithoutSteerNoseTipRearEdgeAndCaster) {
  for (int type = 1; type <= 3; ++type) {
    SCOPED_TRACE(type);
    Frame f = figure(type, {-0.6, 0.0}, 0.0);
    auto [odd, coloured] = mirror(f, -1.0, 0.99);
    EXPECT_GT(coloured, 10000);
    if (type == 2) {
      // The motor of the steered wheel sits on its left only.
      EXPECT_GT(odd, 0.16 * 0.16 * 400 * 400 / 2);
      std::tie(odd, coloured) = mirror(f, -1.0, -0.6 + 0.9);
    }
    EXPECT_LT(odd, coloured / 100);
    int tip = -1;
    for (int c = 0; c < W; ++c)
      if (f.is(c, row(0.001), blue)) tip = c;
    EXPECT_NEAR(tip, col(-0.6 + 1.0 + 0.5 * std::tan(30.0 * DEG2RAD)), 1);
    EXPECT_TRUE(f.is(col(-0.6 - 0.19), row(0.25), blue));
    EXPECT_FALSE(f.is(col(-0.6 - 0.21), row(0.25), blue));
  }
  // Type 1's caster (white) 0.2 behind F = (0.4, 0) along theta + phi: right for phi > 0.
  for (double phi : {0.6, -0.6}) {
    Frame f = figure(1, {-0.6, 0.0}, phi);
    EXPECT_TRUE(f.is(col(0.4 - 0.2 * std::cos(phi)), row(-0.2 * std::sin(phi)), white)) << phi;
    EXPECT_TRUE(f.is(col(0.4 - 0.2 * std::cos(phi)), row(0.2 * std::sin(phi)), blue)) << phi;
  }
}

// A vehicle of another wheel base is drawn to its size: the nose tip, the rear edge and the
// steered wheel move with the wheel base, the front wheel stays one wheel base ahead.
TEST_F(Draw, FigureOfAnotherWheelBaseIsDrawnToItsSize) {
  for (double Lw : {0.5, 1.2}) {
    SCOPED_TRACE(Lw);
    const Frame f = figure(3, {-0.65, 0.0}, 0.0, Lw);
    int tip = -1;
    for (int c = 0; c < W; ++c)
      if (f.is(c, row(0.001), blue)) tip = c;
    EXPECT_NEAR(tip, col(-0.65 + Lw * (1.0 + 0.5 * std::tan(30.0 * DEG2RAD))), 1);
    EXPECT_TRUE(f.is(col(-0.65 - 0.19 * Lw), row(0.25 * Lw), blue));
    EXPECT_FALSE(f.is(col(-0.65 - 0.21 * Lw), row(0.25 * Lw), blue));
    // The steered wheel (white, black outline) at the front point.
    EXPECT_TRUE(f.near({-0.65 + Lw, 0.0}, white, 1));
  }
}

}  // namespace
