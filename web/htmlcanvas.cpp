#include "web/htmlcanvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace agvweb {

using agv::Color;
using agv::PIc;
using agv::Point;
using agv::pxPerUnit;

namespace {

constexpr double winPx = 800.0;  // the window's side [px]
// The sizes of the text: those of the pictures, where the widths of Nimbus Sans (Helvetica's)
// are those of the window's bitmap fonts of 18 and 12 pixels.
constexpr double bigPx = 18.5;
constexpr double smallPx = 12.4;
constexpr double axisPx = 2.0;  // grid lines through the centre [px]
constexpr double gridPx = 1.0;  // every other grid line [px]
constexpr double edgePx = 2.0;  // a piece of a line reaches at most this far beyond its half width

bool same(const Color& a, const Color& b) {
  return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

}  // namespace

HtmlCanvas::HtmlCanvas(int w, int h) : w_(w), h_(h), zoom_(std::min(w, h) / winPx) {}

void HtmlCanvas::op(Op o, std::initializer_list<double> v) {
  ops_.push_back(static_cast<double>(o));
  ops_.insert(ops_.end(), v);
}

void HtmlCanvas::arc(double cx, double cy, double r, double a0, double a1, bool down) {
  op(Op::Arc, {cx, cy, r, a0, a1, down ? 1.0 : 0.0});
}

void HtmlCanvas::newarc(double cx, double cy, double r, double a0, double a1, bool down) {
  op(Op::Move, {cx + r * std::cos(a0), cy + r * std::sin(a0)});
  arc(cx, cy, r, a0, a1, down);
}

void HtmlCanvas::framebegin() {
  ops_.clear();
  texts_.clear();
  open_ = false;
  width_ = 1.0;
  op(Op::Clear);
  cover_ = std::numeric_limits<double>::infinity();
}

void HtmlCanvas::frameend() { flush(); }

void HtmlCanvas::flush() {
  if (!open_) return;
  open_ = false;
  stroke(openWidth_, openColour_);
}

void HtmlCanvas::fill(const Color& c) { op(Op::Fill, {c.r, c.g, c.b}); }

// The path stroked px window pixels wide, whatever the stretch of the canvas.
void HtmlCanvas::stroke(double px, const Color& c) { op(Op::Stroke, {px * zoom_, c.r, c.g, c.b}); }

bool HtmlCanvas::hidden(double x0, double y0, double x1, double y1, double m) const {
  return x1 < -1.0 - m || x0 > 1.0 + m || y1 < -1.0 - m || y0 > 1.0 + m || x0 > cover_ + m;
}

void HtmlCanvas::piece(const Point& a, const Point& b, double px, const Color& c) {
  const double m = (px / 2.0 + edgePx) / pxPerUnit;
  if (hidden(std::fmin(a.x, b.x), std::fmin(a.y, b.y), std::fmax(a.x, b.x), std::fmax(a.y, b.y), m))
    return;
  if (open_ && (openWidth_ != px || !same(openColour_, c))) flush();
  if (!open_ || a.x != end_.x || a.y != end_.y) op(Op::Move, {a.x, a.y});
  op(Op::Line, {b.x, b.y});
  open_ = true;
  openWidth_ = px;
  openColour_ = c;
  end_ = b;
}

// The end a of a line to b moved, where the line runs along the pixel rows or columns, so that
// it covers whole pixels (its middle on a pixel's middle for an odd width in pixels, on a pixel
// edge for an even one) as the window's lines do.
Point HtmlCanvas::crisp(const Point& a, const Point& b, double px) const {
  const double hx = w_ / 2.0, hy = h_ / 2.0;
  double x = hx + a.x * hx, y = hy - a.y * hy;
  const double bx = hx + b.x * hx, by = hy - b.y * hy;
  const long w = std::lround(px * zoom_);
  const auto snap = [w](double v) { return w % 2 != 0 ? std::floor(v) + 0.5 : std::round(v); };
  if (x == bx) x = snap(x);
  if (y == by) y = snap(y);
  return {(x - hx) / hx, (hy - y) / hy};
}

void HtmlCanvas::line(const Point& a, const Point& b, double w, const Color& c) {
  piece(a, b, w * pxPerUnit, c);
  width_ = agv::thinWidth;
}

void HtmlCanvas::thin(const Point& a, const Point& b, const Color& c) { piece(a, b, width_, c); }

void HtmlCanvas::disc(const Point& c, double r, const Color& col) {
  if (hidden(c.x - r, c.y - r, c.x + r, c.y + r, edgePx / pxPerUnit)) return;
  flush();
  newarc(c.x, c.y, r, 0.0, 2.0 * PIc, false);
  fill(col);
}

void HtmlCanvas::dots(int n, const Point* c, double r, const Color& col) {
  flush();
  for (int i = 0; i < n; ++i) {
    if (hidden(c[i].x - r, c[i].y - r, c[i].x + r, c[i].y + r, edgePx / pxPerUnit)) continue;
    newarc(c[i].x, c[i].y, r, 0.0, 2.0 * PIc, false);
  }
  fill(col);
}

void HtmlCanvas::circle(const Point& c, double r, const Color& col) {
  flush();
  newarc(c.x, c.y, r, 0.0, 2.0 * PIc, false);
  op(Op::Close);
  stroke(width_, col);
}

// The half circle from a0 clockwise, as far as the window's polygon of ndiv corners reaches.
void HtmlCanvas::halfdisc(const Point& c, double r, double a0, const Color& col) {
  flush();
  newarc(c.x, c.y, r, a0, a0 - (agv::ndiv - 1) * PIc / agv::ndiv, true);
  op(Op::Close);
  fill(col);
}

void HtmlCanvas::halfarc(const Point& c, double r, double a0, const Color& col) {
  flush();
  newarc(c.x, c.y, r, a0, a0 - (agv::ndiv - 1) * PIc / agv::ndiv, true);
  stroke(width_, col);
}

void HtmlCanvas::turned(const Point& p, double ang) {
  flush();
  op(Op::Save);
  op(Op::Translate, {p.x, p.y});
  op(Op::Rotate, {ang});
}

void HtmlCanvas::unturned(bool filled, const Color& col) {
  op(Op::Restore);
  if (filled) {
    fill(col);
  } else {
    stroke(width_, col);
  }
}

// The outline of a capsule (a wheel) in its own frame.
void HtmlCanvas::capsule(double len, double wid) {
  const double r = wid / 2.0;
  op(Op::Move, {-len / 2.0, r});
  arc(-len / 2.0, 0.0, r, PIc / 2.0, 3.0 * PIc / 2.0, false);
  op(Op::Line, {len / 2.0, -r});
  arc(len / 2.0, 0.0, r, -PIc / 2.0, PIc / 2.0, false);
  op(Op::Close);
}

void HtmlCanvas::wheel(const Point& c, double len, double wid, double ang, const Color& col) {
  turned(c, ang);
  capsule(len, wid);
  unturned(true, col);
}

void HtmlCanvas::wheelline(const Point& c, double len, double wid, double ang, const Color& col) {
  turned(c, ang);
  capsule(len, wid);
  unturned(false, col);
}

void HtmlCanvas::rect(const Point& p, double w, double h, double ang, const Color& col) {
  turned(p, ang);
  op(Op::Rect, {0.0, 0.0, w, h});
  unturned(true, col);
}

void HtmlCanvas::rectline(const Point& p, double w, double h, double ang, const Color& col) {
  turned(p, ang);
  op(Op::Rect, {0.0, 0.0, w, h});
  unturned(false, col);
}

void HtmlCanvas::body(const Point& p, double L, double W, double b, double alpha, double ang,
                      const Color& col) {
  turned(p, ang);
  op(Op::Move, {-b, -W / 2.0});
  op(Op::Line, {L - b, -W / 2.0});
  op(Op::Line, {L - b + (W / 2.0) * std::tan(alpha), 0.0});
  op(Op::Line, {L - b, W / 2.0});
  op(Op::Line, {-b, W / 2.0});
  op(Op::Close);
  unturned(true, col);
}

void HtmlCanvas::grid(const Point& c, double ang, int n, double dx, double dy) {
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
      op(Op::Move, {p0.x, p0.y});
      op(Op::Line, {p1.x, p1.y});
    };
    for (int i = -n; i <= n; ++i)
      if ((i == 0) == axes) gridline(i * dx, -n * dy, i * dx, n * dy);
    for (int i = -n; i <= n; ++i)
      if ((i == 0) == axes) gridline(-n * dx, i * dy, n * dx, i * dy);
    stroke(px, agv::black);
  }
  width_ = gridPx;
}

void HtmlCanvas::text(float x, float y, agv::Typeface font, const char* str) {
  flush();
  const size_t n = std::strlen(str);
  op(Op::Text, {x, y, (font == agv::Typeface::Big ? bigPx : smallPx) * zoom_,
                static_cast<double>(texts_.size()), static_cast<double>(n)});
  texts_.append(str, n);
}

}  // namespace agvweb
