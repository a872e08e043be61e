// Primitives, vehicle figures and graphs drawn alone and read back.
#include "glsupport.h"

namespace {

class Draw : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(glready());
    initview();
    scale = scale0;
    framebegin();
  }
  void TearDown() override {
    scale = scale0;
    agvType = 1;
  }
  // The figure of `type` at the screen point s, heading 0, zoom 1.
  static Frame figure(int type, const Point& s, double phi) {
    agvType = type;
    scale = 1.0;
    framebegin();
    drawagv({s.x - xorg, s.y - yorg}, 0.0, phi, blue);
    return readback();
  }
};

TEST_F(Draw, LineWidthIsScreenUnitsTimes400AndThinLinesFollowAt2Px) {
  drawline({-0.5, 0.5}, {0.5, 0.5}, 0.008, red);
  drawthin({-0.5, 0.0}, {0.5, 0.0}, blue);
  drawline({-0.5, -0.5}, {0.5, -0.5}, 0.005, green);
  Frame f = readback();
  // Rows across each line: 3.2 px (rounded to 3), 2 px and 2 px.
  EXPECT_EQ(f.count(0.0, 0.47, 0.0, 0.53, red), 3);
  EXPECT_EQ(f.count(0.0, -0.03, 0.0, 0.03, blue), 2);
  EXPECT_EQ(f.count(0.0, -0.53, 0.0, -0.47, green), 2);
}

TEST_F(Draw, DotKeepsItsSizeWhenZoomingAndMarkGrows) {
  int dot[2], mark[2];
  for (int i = 0; i < 2; ++i) {
    scale = (i + 1) * scale0;
    framebegin();
    drawdot({0.5, 0.5}, blue);
    drawmark({-1.0, -1.0}, 0.5, red);
    Frame f = readback();
    dot[i] = f.count(-1, -1, 1, 1, blue);
    mark[i] = f.count(-1, -1, 1, 1, red);
    EXPECT_TRUE(f.near(scr(0.5, 0.5), blue, 0));
  }
  EXPECT_EQ(dot[1], dot[0]);
  EXPECT_NEAR(dot[0], PIc * 3.2 * 3.2, 8.0);  // radius 0.008 screen units
  EXPECT_NEAR(mark[1], 4.0 * mark[0], 0.05 * 4.0 * mark[0]);
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

void fill(double (*rec)[6], int n, double x, double y, double kap) {
  for (int i = 0; i <= n; ++i) {
    rec[i][RX] = x;
    rec[i][RY] = y;
    rec[i][RKAP] = kap;
  }
}

TEST_F(Draw, GraphCurvesAtTheirValuesWithFiveTimesTheError) {
  sgnPATH = 'p';
  for (int type : {1, 2}) {
    // 100 steps over 2 s, extent 3 m (0.1 per m, 0.15 per 1/m); 50 variable-velocity steps.
    int k = type - 1;
    nSeg[k][3] = nc[k][3] = 100;
    Tseg[k][3] = Tc[k][3] = 2.0;
    bndPTP[k][2] = 3.0;
    nvSeg[k][3] = nvc[k][3] = 50;
    for (auto rec : {refA[k], refB[k]}) fill(rec, 100, 1.0, 2.0, 0.5);
    for (auto rec : {cvA[k], cvB[k]}) fill(rec, 100, -2.0, -2.0, 1.0);
    for (auto rec : {errA[k], errB[k]}) fill(rec, 100, 0.1, -0.1, 0.0);
    for (auto rec : {vvA[k], vvB[k]}) fill(rec, 50, 2.5, -2.5, -1.0);
    for (char draw : {'a', 'b'}) {
      SCOPED_TRACE(testing::Message() << "type " << type << " drawing " << draw);
      sgnDraw = draw;
      framebegin();
      drawgraphxy(type, 0, 50, 25);
      drawgraphk(type, 0, 50, 25);
      Frame f = readback();
      const Color& theory = draw == 'a' ? red : green;
      const std::tuple<Point, Color, int> want[] = {
          {{0.62, 0.68 + 0.1}, theory, 0},   // x theory 1
          {{0.62, 0.68 - 0.2}, blue, 0},     // x run -2
          {{0.62, 0.68 + 0.05}, red, 1},     // x error 0.1
          {{0.62, 0.68 + 0.25}, theory, 0},  // x variable-velocity 2.5
          {{0.62, 0.1 + 0.2}, theory, 0},    // y theory 2
          {{0.62, 0.1 - 0.2}, blue, 0},      // y run -2
          {{0.62, 0.1 - 0.05}, red, 1},      // y error -0.1
          {{0.88, 0.1 - 0.25}, theory, 0},   // y variable-velocity over the full width
          {{0.62, -0.55 + 0.075}, theory, 1},
          {{0.62, -0.55 + 0.15}, blue, 0},
          {{0.4, 0.68 + 0.1}, red, 2},  // end dots, partly under the theory
          {{0.9, 0.1 + 0.2}, red, 2},
          // Step markers at step 50 of 100, black on the clothoid-line drawing.
          {{0.65, 0.68 + 0.1 + 0.004}, draw == 'a' ? red : black, 0},
          {{0.65, -0.55 + 0.15 + 0.004}, black, 0},
      };
      for (const auto& [at, c, r] : want) EXPECT_TRUE(f.near(at, c, r)) << at.x << " " << at.y;
      // Two-wheel drive has no variable-velocity curvature curve.
      EXPECT_EQ(f.near({0.62, -0.55 - 0.15}, theory, 2), type != 1);
    }
  }
}

TEST_F(Draw, GraphPiecesLeavingTheBandAreSkippedNotClipped) {
  double rec[5][6] = {};
  const double v[5] = {0.0, 1.0, 5.0, 1.0, 0.0};
  for (int i = 0; i < 5; ++i) rec[i][RX] = v[i];
  plotcol(4, {-0.5, 0.0}, 0.2, 0.1, 0.008, red, rec, RX);
  // At exactly hg from the axis a piece is left out too.
  double edge[2][6] = {};
  edge[1][RKAP] = 2.0;
  plotcol(1, {-0.5, -0.5}, 0.2, hg / 2.0, 0.008, blue, edge, RKAP);
  Frame f = readback();
  EXPECT_TRUE(f.near({-0.4, 0.05}, red, 0));
  EXPECT_TRUE(f.near({0.2, 0.05}, red, 0));
  EXPECT_EQ(f.count(-0.29, -0.1, 0.09, 0.6, red), 0);
  EXPECT_EQ(f.count(-1, -1, 1, 1, blue), 0);
}

}  // namespace
