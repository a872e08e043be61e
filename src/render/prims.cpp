#include "render/prims.h"

#include <GL/freeglut.h>

#include <cmath>

namespace agv {

namespace {

// Immediate-mode vertex of a point.
void vertex(const Point& p) { glVertex2d(p.x, p.y); }

// Common start and end of the coloured primitives.
void begincolour(const Color& c) {
  glDisable(GL_LIGHTING);
  glColor4f(c.r, c.g, c.b, c.a);
}
void endcolour() { glEnable(GL_LIGHTING); }

// Translation to p and rotation by ang [rad] of the drawing that follows.
void place(const Point& p, double ang) {
  glPushMatrix();
  glTranslated(p.x, p.y, 0.0);
  glRotated(ang / radPerDeg, 0.0, 0.0, 1.0);
}

// Point at angle a on the circle of radius r around c.
Point oncircle(const Point& c, double r, double a) {
  return {c.x + r * std::cos(a), c.y + r * std::sin(a)};
}

void line(const Point& a, const Point& b) {
  glBegin(GL_LINES);
  vertex(a);
  vertex(b);
  glEnd();
}

// Vertices of the capsule outline, in the local frame of the wheel.
void capsule(double len, double wid) {
  double r = wid / 2.0;
  glVertex2d(-len / 2.0, r);
  for (int i = 1; i < ndiv; ++i) {
    double a = PIc / 2.0 + i * PIc / ndiv;
    glVertex2d(-len / 2.0 + r * std::cos(a), r * std::sin(a));
  }
  glVertex2d(-len / 2.0, -r);
  glVertex2d(len / 2.0, -r);
  for (int i = 1; i < ndiv; ++i) {
    double a = -PIc / 2.0 + i * PIc / ndiv;
    glVertex2d(len / 2.0 + r * std::cos(a), r * std::sin(a));
  }
  glVertex2d(len / 2.0, r);
}

void rectangle(double w, double h) {
  glVertex2d(0.0, 0.0);
  glVertex2d(w, 0.0);
  glVertex2d(w, h);
  glVertex2d(0.0, h);
}

// The half circle from angle a0 clockwise, as `mode`.
void halfcircle(GLenum mode, const Point& c, double r, double a0, const Color& col) {
  begincolour(col);
  glBegin(mode);
  for (int i = 0; i < ndiv; ++i) vertex(oncircle(c, r, a0 - i * PIc / ndiv));
  glEnd();
  endcolour();
}

// The vertices that emit() gives, as `mode`, translated to p and rotated
// by ang.
template <class Emit>
void placed(GLenum mode, const Point& p, double ang, const Color& col, Emit emit) {
  begincolour(col);
  place(p, ang);
  glBegin(mode);
  emit();
  glEnd();
  glPopMatrix();
  endcolour();
}

}  // namespace

Point toscreen(double x, double y) {
  return {(xorg + x) * scale + xshift, (yorg + y) * scale + yshift};
}

void drawline(const Point& a, const Point& b, double w, const Color& c) {
  begincolour(c);
  glLineWidth(static_cast<GLfloat>(w * pxPerUnit));
  line(a, b);
  glLineWidth(thinWidth);
  endcolour();
}

void drawthin(const Point& a, const Point& b, const Color& c) {
  begincolour(c);
  line(a, b);
  endcolour();
}

void drawdisc(const Point& c, double r, const Color& col) {
  begincolour(col);
  glBegin(GL_POLYGON);
  for (int i = 0; i < ndiv; ++i) vertex(oncircle(c, r, 2.0 * PIc * i / ndiv));
  glEnd();
  endcolour();
}

void drawcircle(const Point& c, double r, const Color& col) {
  begincolour(col);
  glBegin(GL_LINE_LOOP);
  Point prev = oncircle(c, r, 0.0);
  vertex(prev);
  for (int i = 1; i < ndiv; ++i) {
    Point cur = oncircle(c, r, 2.0 * PIc * i / ndiv);
    vertex(prev);
    vertex(cur);
    prev = cur;
  }
  glEnd();
  endcolour();
}

void drawhalfdisc(const Point& c, double r, double a0, const Color& col) {
  halfcircle(GL_POLYGON, c, r, a0, col);
}

void drawhalfarc(const Point& c, double r, double a0, const Color& col) {
  halfcircle(GL_LINE_STRIP, c, r, a0, col);
}

void drawwheel(const Point& c, double len, double wid, double ang, const Color& col) {
  placed(GL_POLYGON, c, ang, col, [&] { capsule(len, wid); });
}

void drawwheelline(const Point& c, double len, double wid, double ang, const Color& col) {
  placed(GL_LINE_LOOP, c, ang, col, [&] { capsule(len, wid); });
}

void drawrect(const Point& p, double w, double h, double ang, const Color& col) {
  placed(GL_POLYGON, p, ang, col, [&] { rectangle(w, h); });
}

void drawrectline(const Point& p, double w, double h, double ang, const Color& col) {
  placed(GL_LINE_LOOP, p, ang, col, [&] { rectangle(w, h); });
}

void drawbody(const Point& p, double L, double W, double b, double alpha, double ang,
              const Color& col) {
  placed(GL_POLYGON, p, ang, col, [&] {
    glVertex2d(-b, -W / 2.0);
    glVertex2d(L - b, -W / 2.0);
    glVertex2d(L - b + (W / 2.0) * std::tan(alpha), 0.0);
    glVertex2d(L - b, W / 2.0);
    glVertex2d(-b, W / 2.0);
  });
}

void drawgrid(const Point& c, double ang, int n, double dx, double dy) {
  constexpr double axisWidth = 2.0;  // lines through the centre [px]
  constexpr double gridWidth = 1.0;  // every other line [px]
  begincolour(black);
  glLineWidth(axisWidth);
  place(c, ang);
  for (int i = -n; i <= n; ++i) {
    glLineWidth(i == 0 ? axisWidth : gridWidth);
    line({i * dx, -n * dy}, {i * dx, n * dy});
  }
  for (int i = -n; i <= n; ++i) {
    glLineWidth(i == 0 ? axisWidth : gridWidth);
    line({-n * dx, i * dy}, {n * dx, i * dy});
  }
  glPopMatrix();
  endcolour();
}

void drawtext(float x, float y, void* font, const char* str) {
  glPushAttrib(GL_CURRENT_BIT);
  glRasterPos2f(x, y);
  for (const char* c = str; *c != '\0'; ++c)
    glutBitmapCharacter(font, static_cast<unsigned char>(*c));
  glPopAttrib();
}

void drawdot(const Point& p, const Color& c) { drawdisc(toscreen(p.x, p.y), dotR, c); }

void drawmark(const Point& p, double r, const Color& c) {
  drawdisc(toscreen(p.x, p.y), r * scale, c);
}

}  // namespace agv
