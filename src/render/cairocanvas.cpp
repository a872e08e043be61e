// The drawing routines on Cairo.
#include "render/cairocanvas.h"

namespace agv {

namespace {

// URW's Nimbus Sans (Debian's fonts-urw-base35): Helvetica's design with Helvetica's metrics,
// the font fontconfig gives for Helvetica.
constexpr char fontFamily[] = "Nimbus Sans";

}  // namespace

CairoCanvas::CairoCanvas(cairo_t* cr, int w, int h) : PathCanvas(w, h), cr_(cr) {
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

void CairoCanvas::clear() {
  cairo_set_source_rgb(cr_, 1.0, 1.0, 1.0);
  cairo_paint(cr_);
}

void CairoCanvas::arc(double cx, double cy, double r, double a0, double a1, bool down, bool apart) {
  if (apart) cairo_new_sub_path(cr_);
  if (down)
    cairo_arc_negative(cr_, cx, cy, r, a0, a1);
  else
    cairo_arc(cr_, cx, cy, r, a0, a1);
}

void CairoCanvas::fillpath(const Color& c) {
  cairo_set_source_rgb(cr_, c.r, c.g, c.b);
  cairo_fill(cr_);
}

void CairoCanvas::strokepath(double px, const Color& c) {
  cairo_set_source_rgb(cr_, c.r, c.g, c.b);
  cairo_save(cr_);
  cairo_identity_matrix(cr_);
  cairo_set_line_width(cr_, px);
  cairo_stroke(cr_);
  cairo_restore(cr_);
}

void CairoCanvas::push(const Point& p, double ang) {
  cairo_save(cr_);
  cairo_translate(cr_, p.x, p.y);
  cairo_rotate(cr_, ang);
}

Point CairoCanvas::todevice(const Point& p) const {
  Point d = p;
  cairo_user_to_device(cr_, &d.x, &d.y);
  return d;
}

Point CairoCanvas::fromdevice(const Point& p) const {
  Point u = p;
  cairo_device_to_user(cr_, &u.x, &u.y);
  return u;
}

void CairoCanvas::showtext(float x, float y, double px, const char* str) {
  cairo_move_to(cr_, x, y);
  cairo_save(cr_);
  cairo_identity_matrix(cr_);
  cairo_set_font_size(cr_, px);
  cairo_set_source_rgb(cr_, textGrey, textGrey, textGrey);
  cairo_show_text(cr_, str);
  cairo_restore(cr_);
  cairo_new_path(cr_);
}

}  // namespace agv
