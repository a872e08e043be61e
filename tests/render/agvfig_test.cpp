// Vehicle figures: shape, symmetry and the parts that follow the steering.
#include "render/agvfig.h"

#include <gtest/gtest.h>

#include <cmath>

#include "control/params.h"
#include "control/view.h"
#include "control/window.h"
#include "glsupport.h"

using namespace agv;
using rendertest::col;
using rendertest::Frame;
using rendertest::row;

namespace {

class Figure : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rendertest::glready());
    initview();
    scale = 1.0;
  }
  void TearDown() override {
    initview();
    scale = scale0;
    agvType = 1;
  }
  // Draws the figure of `type` with its reference point at the screen
  // point s.
  Frame draw(int type, const Point& s, double th, double phi) {
    agvType = type;
    framebegin();
    drawagv({(s.x - xshift) / scale - xorg, (s.y - yshift) / scale - yorg}, th, phi, blue);
    return rendertest::readback();
  }
};

// Kind of a pixel: 0 white, 1 black, 2 blue, 3 anything else.
int kind(const Frame& f, int c, int r) {
  if (f.is(c, r, white)) return 0;
  if (f.is(c, r, black)) return 1;
  if (f.is(c, r, blue)) return 2;
  return 3;
}

// Pixels whose mirror image in the heading line differs, and the pixels
// of the figure on one side.
struct Mirror {
  int odd = 0, coloured = 0;
};

Mirror mirror(const Frame& f, double x0, double x1) {
  Mirror m;
  for (int r = 0; r < rendertest::H / 2; ++r)
    for (int c = col(x0); c <= col(x1); ++c) {
      int a = kind(f, c, r), b = kind(f, c, rendertest::H - 1 - r);
      if (a != 0) ++m.coloured;
      if (a != b) ++m.odd;
    }
  return m;
}

TEST_F(Figure, SymmetricAboutTheHeadingLineWithoutSteeringButTheFrontDriveMotor) {
  for (int type = 1; type <= 3; ++type) {
    // The heading line y = 0 runs between pixel rows 399 and 400.
    Frame f = draw(type, {-0.6, 0.0}, 0.0, 0.0);
    Mirror all = mirror(f, -1.0, 0.99);
    EXPECT_GT(all.coloured, 10000) << type;
    if (type != 2) {
      EXPECT_LT(all.odd, all.coloured / 100) << type;
      continue;
    }
    // The motor of the front wheel sits on its left only; the rest of
    // the figure (behind the motor box) is symmetric.
    EXPECT_GT(all.odd, 0.16 * 0.16 * 400 * 400 / 2);
    Mirror rear = mirror(f, -1.0, -0.6 + 0.9 * scale);
    EXPECT_LT(rear.odd, rear.coloured / 100);
  }
}

TEST_F(Figure, NoseTipOneAndHalfTan30MetresAheadOfTheReferencePoint) {
  for (int type = 1; type <= 3; ++type) {
    Frame f = draw(type, {-0.6, 0.0}, 0.0, 0.0);
    int last = -1;
    for (int c = 0; c < rendertest::W; ++c)
      if (f.is(c, row(0.001), blue)) last = c;
    EXPECT_NEAR(last, col(-0.6 + (1.0 + 0.5 * std::tan(30.0 * DEG2RAD)) * scale), 1) << type;
    // The rear edge 0.2 behind.
    EXPECT_TRUE(f.is(col(-0.6 - 0.19 * scale), row(0.25), blue)) << type;
    EXPECT_FALSE(f.is(col(-0.6 - 0.21 * scale), row(0.25), blue)) << type;
  }
}

// Centre of the white pixels in the screen box.
Point whitecentre(const Frame& f, double x0, double y0, double x1, double y1) {
  double sx = 0, sy = 0;
  int n = 0;
  for (int r = row(y0); r <= row(y1); ++r)
    for (int c = col(x0); c <= col(x1); ++c)
      if (f.is(c, r, white)) {
        sx += c + 0.5;
        sy += r + 0.5;
        ++n;
      }
  if (n == 0) return {NAN, NAN};
  return {sx / n / 400.0 - 1.0, sy / n / 400.0 - 1.0};
}

TEST_F(Figure, CasterOfTwoWheelDriveSwingsRightForPositiveSteer) {
  const Point P{-0.6, 0.0};
  const double Fx = P.x + 1.0 * scale;
  for (double phi : {0.0, 0.6, -0.6}) {
    Frame f = draw(1, P, 0.0, phi);
    // On a body-coloured ground: everything white near the caster.
    Point c = whitecentre(f, Fx - 0.45 * scale, -0.35 * scale, Fx - 0.06 * scale, 0.35 * scale);
    // The caster wheel's centre lies 0.2 behind F along theta + phi.
    EXPECT_NEAR(c.x, Fx - 0.2 * std::cos(phi) * scale, 0.01) << phi;
    EXPECT_NEAR(c.y, P.y - 0.2 * std::sin(phi) * scale, 0.01) << phi;
  }
}

TEST_F(Figure, FrontDriveMotorTurnsWithTheSteerRearDriveMotorStays) {
  const Point P{-0.6, 0.0};
  const Point F{P.x + 1.0 * scale, P.y};
  const double phi = 0.8;
  // Type 2: the motor box is centred 0.2 left of F across the steered
  // direction.
  Frame f0 = draw(2, P, 0.0, 0.0);
  Frame f1 = draw(2, P, 0.0, phi);
  Point m0{F.x, F.y + 0.2 * scale};
  Point m1{F.x - 0.2 * std::sin(phi) * scale, F.y + 0.2 * std::cos(phi) * scale};
  EXPECT_TRUE(f0.near(m0, white, 0));
  EXPECT_TRUE(f1.near(m1, white, 0));
  EXPECT_TRUE(f1.near(m0, blue, 0));
  // Type 3: the motor is 0.16 ... 0.32 ahead of P whatever the steer.
  Point m3{P.x + 0.24 * scale, P.y + 0.01};
  EXPECT_TRUE(draw(3, P, 0.0, 0.0).near(m3, white, 0));
  EXPECT_TRUE(draw(3, P, 0.0, phi).near(m3, white, 0));
}

// Length of the run of black pixels through (x, y) along the row or the
// column.
int blackrun(const Frame& f, double x, double y, bool alongRow) {
  int c = col(x), r = row(y), n = 0;
  if (!f.is(c, r, black)) return 0;
  for (int d = 0; f.is(alongRow ? c + d : c, alongRow ? r : r + d, black); ++d) ++n;
  for (int d = 1; f.is(alongRow ? c - d : c, alongRow ? r : r - d, black); ++d) ++n;
  return n;
}

TEST_F(Figure, ZoomScalesEverythingButTheForkLines) {
  int fork[2], axle[2], body[2];
  for (int i = 0; i < 2; ++i) {
    // The lower fork side, 0.048 right of F, across the front wheel's
    // centre; F stands at the screen point (0.2, -0.6).
    scale = i == 0 ? 1.0 : 2.0;
    Frame f = draw(2, {0.2 - 1.0 * scale, -0.6}, 0.0, 0.0);
    fork[i] = blackrun(f, 0.2, -0.6 - 0.048 * scale, false);
    // The rear axle, visible between the body's side and the wheel, and
    // the body of the whole figure.
    scale = i == 0 ? 0.5 : 1.0;
    const Point P{-0.6, 0.0};
    f = draw(2, P, 0.0, 0.0);
    axle[i] = blackrun(f, P.x, P.y + 0.52 * scale, true);
    body[i] = f.count(-1, -1, 1, 1, blue);
  }
  EXPECT_EQ(fork[0], 3);
  EXPECT_EQ(fork[1], 3);
  EXPECT_NEAR(axle[0], 0.04 * 0.5 * 400.0, 1);
  EXPECT_NEAR(axle[1], 0.04 * 1.0 * 400.0, 1);
  EXPECT_NEAR(body[1], 4.0 * body[0], 0.03 * 4.0 * body[0]);
}

}  // namespace
