// Drawing primitives: widths, sizes, shapes and the GL state they leave.
#include "render/prims.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include "control/view.h"
#include "control/window.h"
#include "glsupport.h"

using namespace agv;
using rendertest::col;
using rendertest::Frame;
using rendertest::row;

namespace {

class Prims : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rendertest::glready());
    initview();
    scale = scale0;
    framebegin();
  }
  void TearDown() override { scale = scale0; }
};

// Rows of colour c in column x around y, counted contiguously.
int thickness(const Frame& f, double x, double y, const Color& c) {
  int n = 0;
  for (int r = row(y) - 10; r <= row(y) + 10; ++r)
    if (f.is(col(x), r, c)) ++n;
  return n;
}

GLfloat linewidth() {
  GLfloat w = 0;
  glGetFloatv(GL_LINE_WIDTH, &w);
  return w;
}

TEST_F(Prims, LineWidthIsScreenUnitsTimes400AndThinLinesFollowAt2Px) {
  drawline({-0.5, 0.5}, {0.5, 0.5}, 0.008, red);
  EXPECT_FLOAT_EQ(linewidth(), 2.0f);
  drawthin({-0.5, 0.0}, {0.5, 0.0}, blue);
  drawline({-0.5, -0.5}, {0.5, -0.5}, 0.005, green);
  Frame f = rendertest::readback();
  // 3.2 px and 2 px; the rasteriser rounds the wide line to 3 rows.
  EXPECT_EQ(thickness(f, 0.0, 0.5, red), 3);
  EXPECT_EQ(thickness(f, 0.0, 0.0, blue), 2);
  EXPECT_EQ(thickness(f, 0.0, -0.5, green), 2);
}

TEST_F(Prims, EveryRoutineLeavesLightingOnAndGridLeaves1Px) {
  glDisable(GL_LIGHTING);
  drawdisc({0, 0}, 0.1, red);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  glDisable(GL_LIGHTING);
  drawgrid({0, 0}, 0.0, 3, 0.2, 0.2);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_FLOAT_EQ(linewidth(), 1.0f);
  Frame f = rendertest::readback();
  // Centre lines 2 px, the others 1 px.
  EXPECT_EQ(thickness(f, 0.3, 0.0, black), 2);
  EXPECT_EQ(thickness(f, 0.3, 0.2, black), 1);
  EXPECT_EQ(thickness(f, 0.3, -0.6, black), 1);
  EXPECT_EQ(thickness(f, 0.3, -0.8, black), 0);  // n = 3 lines each way only
}

TEST_F(Prims, DrawtextOfAnEmptyStringDrawsNothing) {
  drawtext(0.25f, -0.5f, GLUT_BITMAP_HELVETICA_18, "");
  Frame f = rendertest::readback();
  EXPECT_EQ(f.dark(0.2, -0.55, 0.4, -0.4), 0);
  // The same place with a text (its newline draws nothing).
  drawtext(0.25f, -0.5f, GLUT_BITMAP_HELVETICA_18, "x(t)\n");
  f = rendertest::readback();
  EXPECT_GT(f.dark(0.25, -0.5, 0.4, -0.45), 20);
  EXPECT_EQ(f.dark(-1.0, -1.0, 0.24, 1.0), 0);
}

TEST_F(Prims, DotKeepsItsSizeWhenZoomingAndMarkGrows) {
  drawdot({0.5, 0.5}, blue);
  drawmark({-1.0, -1.0}, 0.5, red);
  Frame f = rendertest::readback();
  int dot = f.count(-1, -1, 1, 1, blue);
  int mark = f.count(-1, -1, 1, 1, red);
  scale = 2.0 * scale0;
  framebegin();
  drawdot({0.5, 0.5}, blue);
  drawmark({-1.0, -1.0}, 0.5, red);
  f = rendertest::readback();
  EXPECT_EQ(f.count(-1, -1, 1, 1, blue), dot);
  EXPECT_NEAR(f.count(-1, -1, 1, 1, red), 4.0 * mark, 0.05 * 4.0 * mark);
  // Radius 0.008 screen units: pi * 3.2^2 pixels.
  EXPECT_NEAR(dot, PIc * 3.2 * 3.2, 8.0);
  // The dot stands where the world-to-screen rule puts (0.5, 0.5).
  EXPECT_TRUE(f.near({(xorg + 0.5) * scale + xshift, (yorg + 0.5) * scale + yshift}, blue, 0));
}

TEST_F(Prims, HalfDiscBehindTheHeadingAndHalfArcOnItsRim) {
  // a0 = heading - pi/2 with heading 0: the rear half (x < 0).
  drawhalfdisc({0, 0}, 0.2, 0.0 - PIc / 2.0, green);
  drawhalfarc({0, 0}, 0.2, 0.0 - PIc / 2.0, black);
  Frame f = rendertest::readback();
  EXPECT_TRUE(f.is(col(-0.1), row(0.0), green));
  EXPECT_TRUE(f.is(col(-0.1), row(0.1), green));
  EXPECT_FALSE(f.is(col(0.1), row(0.0), green));
  EXPECT_TRUE(f.near({-0.2, 0.0}, black));
  EXPECT_FALSE(f.near({0.2, 0.0}, black, 3));
}

TEST_F(Prims, WheelIsLenPlusWidLongAlongItsAngle) {
  // len 0.4, wid 0.1, turned 90 degrees: 0.5 tall, 0.1 wide.
  drawwheel({0, 0}, 0.4, 0.1, PIc / 2.0, blue);
  drawwheelline({-0.5, 0}, 0.4, 0.1, 0.0, black);
  Frame f = rendertest::readback();
  EXPECT_TRUE(f.is(col(0.0), row(0.24), blue));
  EXPECT_FALSE(f.is(col(0.0), row(0.26), blue));
  EXPECT_TRUE(f.is(col(0.0), row(-0.24), blue));
  EXPECT_TRUE(f.is(col(0.045), row(0.0), blue));
  EXPECT_FALSE(f.is(col(0.055), row(0.0), blue));
  // Outline: rounded ends at +-(len/2 + wid/2), open inside.
  EXPECT_TRUE(f.near({-0.5 + 0.25, 0.0}, black));
  EXPECT_TRUE(f.near({-0.5 - 0.25, 0.0}, black));
  EXPECT_TRUE(f.near({-0.5, 0.05}, black));
  EXPECT_FALSE(f.near({-0.5, 0.0}, black, 3));
}

}  // namespace
