// The drawing routines on Cairo: the window's picture without a window, on any Cairo
// surface (pixels, SVG, PDF) of any size.
#pragma once

#include <cairo.h>

#include "render/pathcanvas.h"

namespace agv {

// Draws into the Cairo context cr, whose surface is w x h pixels (or points): the window's
// 800 x 800 picture stretched to that size as the window stretches it, line widths and text
// grown with the smaller side.  Text is Nimbus Sans (Helvetica's metrics) at the sizes whose
// widths are those of the window's bitmap fonts.
class CairoCanvas final : public PathCanvas {
 public:
  CairoCanvas(cairo_t* cr, int w, int h);

 private:
  void clear() override;
  void moveto(double x, double y) override { cairo_move_to(cr_, x, y); }
  void lineto(double x, double y) override { cairo_line_to(cr_, x, y); }
  void arc(double cx, double cy, double r, double a0, double a1, bool down, bool apart) override;
  void closepath() override { cairo_close_path(cr_); }
  void rectangle(double x, double y, double w, double h) override {
    cairo_rectangle(cr_, x, y, w, h);
  }
  void fillpath(const Color& c) override;
  void strokepath(double px, const Color& c) override;
  void push(const Point& p, double ang) override;
  void pop() override { cairo_restore(cr_); }
  Point todevice(const Point& p) const override;
  Point fromdevice(const Point& p) const override;
  void showtext(float x, float y, double px, const char* str) override;

  cairo_t* cr_;
};

}  // namespace agv
