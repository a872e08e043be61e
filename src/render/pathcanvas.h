// The drawing routines on a canvas of paths (Cairo's, an HTML canvas's 2-D context): each routine
// written once here as paths filled and stroked, in the order the window draws; a canvas of paths
// gives the operations of its own library.
#pragma once

#include <limits>

#include "render/prims.h"

namespace agv {

// The window's text takes the lit raster colour: the default ambient light (0.2) on the default
// ambient material (0.2).
inline constexpr double textGrey = 0.2 * 0.2;

// Draws the window's 800 x 800 picture stretched to w x h device pixels as the window stretches
// it, line widths and text grown with the smaller side; the paths in screen units, y upwards.
class PathCanvas : public Canvas {
 public:
  PathCanvas(int w, int h);

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

 protected:
  // The operations of the canvas's library.  The whole canvas white:
  virtual void clear() = 0;
  virtual void moveto(double x, double y) = 0;
  virtual void lineto(double x, double y) = 0;
  // The arc about (cx, cy) of radius r from the angle a0 to a1 [rad], the angles rising (or
  // falling: down), begun as a new part of the path (apart) or joined to it by a line.
  virtual void arc(double cx, double cy, double r, double a0, double a1, bool down, bool apart) = 0;
  virtual void closepath() = 0;
  virtual void rectangle(double x, double y, double w, double h) = 0;
  // The path filled, or stroked px device pixels wide whatever the transform, then begun anew.
  virtual void fillpath(const Color& c) = 0;
  virtual void strokepath(double px, const Color& c) = 0;
  // The frame moved to p and turned by ang, until pop() restores it.
  virtual void push(const Point& p, double ang) = 0;
  virtual void pop() = 0;
  // A point of the screen in device pixels, and back.
  virtual Point todevice(const Point& p) const = 0;
  virtual Point fromdevice(const Point& p) const = 0;
  // Text px device pixels tall, its baseline from (x, y), in the window's text colour; the path
  // begun anew.
  virtual void showtext(float x, float y, double px, const char* str) = 0;

 private:
  // A straight piece of px pixels width, joined to the pieces before it of the same width and
  // colour into one path.
  void piece(const Point& a, const Point& b, double px, const Color& c);
  void stroke(double px, const Color& c) { strokepath(px * zoom_, c); }
  // A shape in the frame moved to p and turned by ang (flushing what is held first), then
  // filled or outlined in the frame it was drawn in.
  void turned(const Point& p, double ang);
  void unturned(bool filled, const Color& col);
  void capsule(double len, double wid);
  void halfcircle(const Point& c, double r, double a0);
  bool hidden(double x0, double y0, double x1, double y1, double m) const;
  Point crisp(const Point& a, const Point& b, double px) const;

  double zoom_;         // device pixels per pixel of the window
  double width_ = 1.0;  // width of outlines and thin lines [window pixels], as in the window
  double cover_ = std::numeric_limits<double>::infinity();  // see coverright
  // The path of pieces not yet stroked.
  bool open_ = false;
  double openWidth_ = 0.0;
  Color openColour_{};
  Point end_{};
};

}  // namespace agv
