// The drawing routines as paths.
#include "render/pathcanvas.h"

#include <algorithm>
#include <cmath>

namespace agv {

namespace {

constexpr double winPx = 800.0;  // the window's side [px]
// The window's fonts, freeglut's bitmaps of X's Helvetica of 18 and 12 pixels, are cut a
// little larger than Helvetica's em at those sizes: their advances over printable ASCII add up
// to those of Helvetica at 18.5 and 12.4 pixels, the sizes the pictures' text takes.
constexpr double bigPx = 18.5;
constexpr double smallPx = 12.4;
constexpr double axisPx = 2.0;  // grid lines through the centre [px]
constexpr double gridPx = 1.0;  // every other grid line [px]
constexpr double edgePx = 2.0;  // a piece of a line reaches at most this far beyond its half width

bool same(const Color& a, const Color& b) {
  return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

}  // namespace

PathCanvas::PathCanvas(int w, int h) : zoom_(std::min(w, h) / winPx) {}

void PathCanvas::framebegin() {
  flush();
  clear();
  cover_ = std::numeric_limits<double>::infinity();
}

void PathCanvas::frameend() { flush(); }

void PathCanvas::flush() {
  if (!open_) return;
  open_ = false;
  stroke(openWidth_, openColour_);
}

bool PathCanvas::hidden(double x0, double y0, double x1, double y1, double m) const {
  return x1 < -1.0 - m || x0 > 1.0 + m || y1 < -1.0 - m || y0 > 1.0 + m || x0 > cover_ + m;
}

void PathCanvas::piece(const Point& a, const Point& b, double px, const Color& c) {
  const double m = (px / 2.0 + edgePx) / pxPerUnit;
  if (hidden(std::fmin(a.x, b.x), std::fmin(a.y, b.y), std::fmax(a.x, b.x), std::fmax(a.y, b.y), m))
    return;
  if (open_ && (openWidth_ != px || !same(openColour_, c))) flush();
  if (!open_ || a.x != end_.x || a.y != end_.y) moveto(a.x, a.y);
  lineto(b.x, b.y);
  open_ = true;
  openWidth_ = px;
  openColour_ = c;
  end_ = b;
}

// The end a of a line to b moved, where the line runs along the pixel rows or columns, so that
// it covers whole pixels (its middle on a pixel's middle for an odd width in pixels, on a pixel
// edge for an even one) as the window's lines do, instead of two half-covered rows.
Point PathCanvas::crisp(const Point& a, const Point& b, double px) const {
  Point d = todevice(a);
  const Point db = todevice(b);
  const long w = std::lround(px * zoom_);
  const auto snap = [w](double v) { return w % 2 != 0 ? std::floor(v) + 0.5 : std::round(v); };
  if (d.x == db.x) d.x = snap(d.x);
  if (d.y == db.y) d.y = snap(d.y);
  return fromdevice(d);
}

void PathCanvas::line(const Point& a, const Point& b, double w, const Color& c) {
  piece(a, b, w * pxPerUnit, c);
  width_ = thinWidth;
}

void PathCanvas::thin(const Point& a, const Point& b, const Color& c) { piece(a, b, width_, c); }

void PathCanvas::disc(const Point& c, double r, const Color& col) {
  if (hidden(c.x - r, c.y - r, c.x + r, c.y + r, edgePx / pxPerUnit)) return;
  flush();
  arc(c.x, c.y, r, 0.0, 2.0 * PIc, false, true);
  fillpath(col);
}

void PathCanvas::dots(int n, const Point* c, double r, const Color& col) {
  flush();
  for (int i = 0; i < n; ++i) {
    if (hidden(c[i].x - r, c[i].y - r, c[i].x + r, c[i].y + r, edgePx / pxPerUnit)) continue;
    arc(c[i].x, c[i].y, r, 0.0, 2.0 * PIc, false, true);
  }
  fillpath(col);
}

void PathCanvas::circle(const Point& c, double r, const Color& col) {
  flush();
  arc(c.x, c.y, r, 0.0, 2.0 * PIc, false, true);
  closepath();
  stroke(width_, col);
}

// The half circle from a0 clockwise, as far as the window's polygon of ndiv corners reaches.
void PathCanvas::halfcircle(const Point& c, double r, double a0) {
  arc(c.x, c.y, r, a0, a0 - (ndiv - 1) * PIc / ndiv, true, true);
}

void PathCanvas::halfdisc(const Point& c, double r, double a0, const Color& col) {
  flush();
  halfcircle(c, r, a0);
  closepath();
  fillpath(col);
}

void PathCanvas::halfarc(const Point& c, double r, double a0, const Color& col) {
  flush();
  halfcircle(c, r, a0);
  stroke(width_, col);
}

void PathCanvas::turned(const Point& p, double ang) {
  flush();
  push(p, ang);
}

void PathCanvas::unturned(bool filled, const Color& col) {
  pop();
  if (filled) {
    fillpath(col);
  } else {
    stroke(width_, col);
  }
}

// The outline of a capsule (a wheel) in its own frame.
void PathCanvas::capsule(double len, double wid) {
  const double r = wid / 2.0;
  moveto(-len / 2.0, r);
  arc(-len / 2.0, 0.0, r, PIc / 2.0, 3.0 * PIc / 2.0, false, false);
  lineto(len / 2.0, -r);
  arc(len / 2.0, 0.0, r, -PIc / 2.0, PIc / 2.0, false, false);
  closepath();
}

void PathCanvas::wheel(const Point& c, double len, double wid, double ang, const Color& col) {
  turned(c, ang);
  capsule(len, wid);
  unturned(true, col);
}

void PathCanvas::wheelline(const Point& c, double len, double wid, double ang, const Color& col) {
  turned(c, ang);
  capsule(len, wid);
  unturned(false, col);
}

void PathCanvas::rect(const Point& p, double w, double h, double ang, const Color& col) {
  turned(p, ang);
  rectangle(0.0, 0.0, w, h);
  unturned(true, col);
}

void PathCanvas::rectline(const Point& p, double w, double h, double ang, const Color& col) {
  turned(p, ang);
  rectangle(0.0, 0.0, w, h);
  unturned(false, col);
}

void PathCanvas::body(const Point& p, double L, double W, double b, double alpha, double ang,
                      const Color& col) {
  turned(p, ang);
  moveto(-b, -W / 2.0);
  lineto(L - b, -W / 2.0);
  lineto(L - b + (W / 2.0) * std::tan(alpha), 0.0);
  lineto(L - b, W / 2.0);
  lineto(-b, W / 2.0);
  closepath();
  unturned(true, col);
}

void PathCanvas::grid(const Point& c, double ang, int n, double dx, double dy) {
  flush();
  // The lines of the local frame on the screen, the hidden ones left out; the lines through
  // the centre after the others.
  const double ca = std::cos(ang), sa = std::sin(ang);
  for (const bool axes : {false, true}) {
    const double px = axes ? axisPx : gridPx;
    const auto gridline = [&](double x0, double y0, double x1, double y1) {
      const Point a{c.x + ca * x0 - sa * y0, c.y + sa * x0 + ca * y0};
      const Point b{c.x + ca * x1 - sa * y1, c.y + sa * x1 + ca * y1};
      const double m = (px / 2.0 + edgePx) / pxPerUnit;
      if (hidden(std::fmin(a.x, b.x), std::fmin(a.y, b.y), std::fmax(a.x, b.x), std::fmax(a.y, b.y),
                 m))
        return;
      const Point p0 = crisp(a, b, px), p1 = crisp(b, a, px);
      moveto(p0.x, p0.y);
      lineto(p1.x, p1.y);
    };
    for (int i = -n; i <= n; ++i)
      if ((i == 0) == axes) gridline(i * dx, -n * dy, i * dx, n * dy);
    for (int i = -n; i <= n; ++i)
      if ((i == 0) == axes) gridline(-n * dx, i * dy, n * dx, i * dy);
    stroke(px, black);
  }
  width_ = gridPx;
}

void PathCanvas::text(float x, float y, Typeface font, const char* str) {
  flush();
  showtext(x, y, (font == Typeface::Big ? bigPx : smallPx) * zoom_, str);
}

}  // namespace agv
