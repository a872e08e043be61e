// The drawing routines on Cairo.
#include "render/cairocanvas.h"

#include <algorithm>
#include <cmath>

namespace agv {

namespace {

constexpr double winPx = 800.0;    // the window's side [px]
// The window's fonts, freeglut's bitmaps of X's Helvetica of 18 and 12 pixels, are cut a
// little larger than Helvetica's em at those sizes: their advances over printable ASCII add up
// to those of Helvetica at 18.5 and 12.4 pixels, the sizes the pictures' text takes.
constexpr double bigPx = 18.5;
constexpr double smallPx = 12.4;
constexpr double axisPx = 2.0;     // grid lines through the centre [px]
constexpr double gridPx = 1.0;     // every other grid line [px]
constexpr double edgePx = 2.0;     // a piece of a line reaches at most this far beyond its half width
// The window's text takes the lit raster colour: the default ambient light (0.2) on the default
// ambient material (0.2).
constexpr double textGrey = 0.2 * 0.2;
// URW's Nimbus Sans (Debian's fonts-urw-base35): Helvetica's design with Helvetica's metrics,
// the font fontconfig gives for Helvetica.
constexpr char fontFamily[] = "Nimbus Sans";

bool same(const Color& a, const Color& b) {
  return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

// The vertices of a capsule outline (a wheel) in its own frame.
void capsule(cairo_t* cr, double len, double wid) {
  const double r = wid / 2.0;
  cairo_move_to(cr, -len / 2.0, r);
  cairo_arc(cr, -len / 2.0, 0.0, r, PIc / 2.0, 3.0 * PIc / 2.0);
  cairo_line_to(cr, len / 2.0, -r);
  cairo_arc(cr, len / 2.0, 0.0, r, -PIc / 2.0, PIc / 2.0);
  cairo_close_path(cr);
}

// The half circle from a0 clockwise, as far as the window's polygon of ndiv corners reaches.
void halfcircle(cairo_t* cr, const Point& c, double r, double a0) {
  cairo_new_sub_path(cr);
  cairo_arc_negative(cr, c.x, c.y, r, a0, a0 - (ndiv - 1) * PIc / ndiv);
}

}  // namespace

CairoCanvas::CairoCanvas(cairo_t* cr, int w, int h)
    : cr_(cr), zoom_(std::min(w, h) / winPx) {
  // Screen units: -1 ... +1 across the picture, y upwards.
  cairo_translate(cr_, w / 2.0, h / 2.0);
  cairo_scale(cr_, w / 2.0, -h / 2.0);
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
  cairo_select_font_face(cr_, fontFamily, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  // Each glyph advances by its width at the size, not rounded to whole pixels, so that a line
  // of text ends where the window's does, in pixels as in SVG and PDF.
  cairo_font_options_t* o = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr_, o);
  cairo_font_options_destroy(o);
}

void CairoCanvas::framebegin() {
  flush();
  cairo_set_source_rgb(cr_, 1.0, 1.0, 1.0);
  cairo_paint(cr_);
  cover_ = std::numeric_limits<double>::infinity();
}

void CairoCanvas::frameend() { flush(); }

void CairoCanvas::flush() {
  if (!open_) return;
  open_ = false;
  stroke(openWidth_, openColour_);
}

void CairoCanvas::fill(const Color& c) {
  cairo_set_source_rgb(cr_, c.r, c.g, c.b);
  cairo_fill(cr_);
}

// The path stroked px window pixels wide, whatever the stretch of the picture.
void CairoCanvas::stroke(double px, const Color& c) {
  cairo_set_source_rgb(cr_, c.r, c.g, c.b);
  cairo_save(cr_);
  cairo_identity_matrix(cr_);
  cairo_set_line_width(cr_, px * zoom_);
  cairo_stroke(cr_);
  cairo_restore(cr_);
}

bool CairoCanvas::hidden(double x0, double y0, double x1, double y1, double m) const {
  return x1 < -1.0 - m || x0 > 1.0 + m || y1 < -1.0 - m || y0 > 1.0 + m || x0 > cover_ + m;
}

void CairoCanvas::piece(const Point& a, const Point& b, double px, const Color& c) {
  const double m = (px / 2.0 + edgePx) / pxPerUnit;
  if (hidden(std::fmin(a.x, b.x), std::fmin(a.y, b.y), std::fmax(a.x, b.x), std::fmax(a.y, b.y), m))
    return;
  if (open_ && (openWidth_ != px || !same(openColour_, c))) flush();
  if (!open_ || a.x != end_.x || a.y != end_.y) cairo_move_to(cr_, a.x, a.y);
  cairo_line_to(cr_, b.x, b.y);
  open_ = true;
  openWidth_ = px;
  openColour_ = c;
  end_ = b;
}

// The end a of a line to b moved, where the line runs along the pixel rows or columns, so that
// it covers whole pixels (its middle on a pixel's middle for an odd width in pixels, on a pixel
// edge for an even one) as the window's lines do, instead of two half-covered rows.
Point CairoCanvas::crisp(const Point& a, const Point& b, double px) const {
  double x = a.x, y = a.y, bx = b.x, by = b.y;
  cairo_user_to_device(cr_, &x, &y);
  cairo_user_to_device(cr_, &bx, &by);
  const long w = std::lround(px * zoom_);
  const auto snap = [w](double v) { return w % 2 != 0 ? std::floor(v) + 0.5 : std::round(v); };
  if (x == bx) x = snap(x);
  if (y == by) y = snap(y);
  cairo_device_to_user(cr_, &x, &y);
  return {x, y};
}

void CairoCanvas::line(const Point& a, const Point& b, double w, const Color& c) {
  piece(a, b, w * pxPerUnit, c);
  width_ = thinWidth;
}

void CairoCanvas::thin(const Point& a, const Point& b, const Color& c) { piece(a, b, width_, c); }

void CairoCanvas::disc(const Point& c, double r, const Color& col) {
  if (hidden(c.x - r, c.y - r, c.x + r, c.y + r, edgePx / pxPerUnit)) return;
  flush();
  cairo_new_sub_path(cr_);
  cairo_arc(cr_, c.x, c.y, r, 0.0, 2.0 * PIc);
  fill(col);
}

void CairoCanvas::dots(int n, const Point* c, double r, const Color& col) {
  flush();
  for (int i = 0; i < n; ++i) {
    if (hidden(c[i].x - r, c[i].y - r, c[i].x + r, c[i].y + r, edgePx / pxPerUnit)) continue;
    cairo_new_sub_path(cr_);
    cairo_arc(cr_, c[i].x, c[i].y, r, 0.0, 2.0 * PIc);
  }
  fill(col);
}

void CairoCanvas::circle(const Point& c, double r, const Color& col) {
  flush();
  cairo_new_sub_path(cr_);
  cairo_arc(cr_, c.x, c.y, r, 0.0, 2.0 * PIc);
  cairo_close_path(cr_);
  stroke(width_, col);
}

void CairoCanvas::halfdisc(const Point& c, double r, double a0, const Color& col) {
  flush();
  halfcircle(cr_, c, r, a0);
  cairo_close_path(cr_);
  fill(col);
}

void CairoCanvas::halfarc(const Point& c, double r, double a0, const Color& col) {
  flush();
  halfcircle(cr_, c, r, a0);
  stroke(width_, col);
}

void CairoCanvas::turned(const Point& p, double ang) {
  flush();
  cairo_save(cr_);
  cairo_translate(cr_, p.x, p.y);
  cairo_rotate(cr_, ang);
}

void CairoCanvas::unturned(bool filled, const Color& col) {
  cairo_restore(cr_);
  if (filled) {
    fill(col);
  } else {
    stroke(width_, col);
  }
}

void CairoCanvas::wheel(const Point& c, double len, double wid, double ang, const Color& col) {
  turned(c, ang);
  capsule(cr_, len, wid);
  unturned(true, col);
}

void CairoCanvas::wheelline(const Point& c, double len, double wid, double ang, const Color& col) {
  turned(c, ang);
  capsule(cr_, len, wid);
  unturned(false, col);
}

void CairoCanvas::rect(const Point& p, double w, double h, double ang, const Color& col) {
  turned(p, ang);
  cairo_rectangle(cr_, 0.0, 0.0, w, h);
  unturned(true, col);
}

void CairoCanvas::rectline(const Point& p, double w, double h, double ang, const Color& col) {
  turned(p, ang);
  cairo_rectangle(cr_, 0.0, 0.0, w, h);
  unturned(false, col);
}

void CairoCanvas::body(const Point& p, double L, double W, double b, double alpha, double ang,
                       const Color& col) {
  flush();
  cairo_save(cr_);
  cairo_translate(cr_, p.x, p.y);
  cairo_rotate(cr_, ang);
  cairo_move_to(cr_, -b, -W / 2.0);
  cairo_line_to(cr_, L - b, -W / 2.0);
  cairo_line_to(cr_, L - b + (W / 2.0) * std::tan(alpha), 0.0);
  cairo_line_to(cr_, L - b, W / 2.0);
  cairo_line_to(cr_, -b, W / 2.0);
  cairo_close_path(cr_);
  cairo_restore(cr_);
  fill(col);
}

void CairoCanvas::grid(const Point& c, double ang, int n, double dx, double dy) {
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
      cairo_move_to(cr_, p0.x, p0.y);
      cairo_line_to(cr_, p1.x, p1.y);
    };
    for (int i = -n; i <= n; ++i)
      if ((i == 0) == axes) gridline(i * dx, -n * dy, i * dx, n * dy);
    for (int i = -n; i <= n; ++i)
      if ((i == 0) == axes) gridline(-n * dx, i * dy, n * dx, i * dy);
    stroke(px, black);
  }
  width_ = gridPx;
}

void CairoCanvas::text(float x, float y, Typeface font, const char* str) {
  flush();
  cairo_move_to(cr_, x, y);
  cairo_save(cr_);
  cairo_identity_matrix(cr_);
  cairo_set_font_size(cr_, (font == Typeface::Big ? bigPx : smallPx) * zoom_);
  cairo_set_source_rgb(cr_, textGrey, textGrey, textGrey);
  cairo_show_text(cr_, str);
  cairo_restore(cr_);
  cairo_new_path(cr_);
}

}  // namespace agv
