// The drawing routines on Cairo: the window's picture without a window, on any Cairo
// surface (pixels, SVG, PDF) of any size.
#pragma once

#include <cairo.h>

#include <limits>

#include "render/prims.h"

namespace agv {

// Draws into the Cairo context cr, whose surface is w x h pixels (or points): the window's
// 800 x 800 picture stretched to that size as the window stretches it, line widths and text
// grown with the smaller side.  Text is Nimbus Sans (Helvetica's metrics) at the sizes whose
// widths are those of the window's bitmap fonts.
class CairoCanvas final : public Canvas {
 public:
  CairoCanvas(cairo_t* cr, int w, int h);

  void framebegin() override;
  void frameend() override;
  void flush() override;
  void coverright(double x) override { cover_ = x; }
  void line(const Point& a, const Point& b, double w, const Color& c) override;
  void thin(const Point& a, const Point& b, const Color& c) override;
  void disc(const Point& c, double r, const Color& col) override;
  void dots(int n, const Point* c, double r, const Color& col) override;
  void circle(const Point& c, double r, const Color& col) override;
  void halfdisc(const Point& c, double r, double a0, const Color& col) override;
  void halfarc(const Point& c, double r, double a0, const Color& col) override;
  void wheel(const Point& c, double len, double wid, double ang, const Color& col) override;
  void wheelline(const Point& c, double len, double wid, double ang, const Color& col) override;
  void rect(const Point& p, double w, double h, double ang, const Color& col) override;
  void rectline(const Point& p, double w, double h, double ang, const Color& col) override;
  void body(const Point& p, double L, double W, double b, double alpha, double ang,
            const Color& col) override;
  void grid(const Point& c, double ang, int n, double dx, double dy) override;
  void text(float x, float y, Typeface font, const char* str) override;

 private:
  // A straight piece of px pixels width, joined to the pieces before it of the same width and
  // colour into one path.
  void piece(const Point& a, const Point& b, double px, const Color& c);
  void fill(const Color& c);
  void stroke(double px, const Color& c);
  // A shape in the frame moved to p and turned by ang (flushing what is held first), then
  // filled or outlined in the frame it was drawn in.
  void turned(const Point& p, double ang);
  void unturned(bool filled, const Color& col);
  bool hidden(double x0, double y0, double x1, double y1, double m) const;
  Point crisp(const Point& a, const Point& b, double px) const;

  cairo_t* cr_;
  double zoom_;           // pixels of the picture per pixel of the window
  double width_ = 1.0;    // width of outlines and thin lines [window pixels], as in the window
  double cover_ = std::numeric_limits<double>::infinity();  // see coverright
  // The path of pieces not yet stroked.
  bool open_ = false;
  double openWidth_ = 0.0;
  Color openColour_{};
  Point end_{};
};

}  // namespace agv
