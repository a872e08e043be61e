// The drawing routines on OpenGL: the window's canvas.
#pragma once

#include <memory>

#include "render/prims.h"

namespace agv {

// Draws in the current GL context.  The canvas keeps what it needs between calls (the GL state
// it left, the trace of dots drawn for the last frame) in its own object.
class GlCanvas final : public Canvas {
 public:
  GlCanvas();
  ~GlCanvas() override;
  GlCanvas(const GlCanvas&) = delete;
  GlCanvas& operator=(const GlCanvas&) = delete;

  // The canvas keeps the trace of dots in a layer between frames (the default), or draws every
  // dot of every frame into the frame itself, as it does where the driver has no framebuffer
  // object; the pixels are the same.
  void tracelayer(bool on);

  void framebegin() override;
  void frameend() override;
  void flush() override;
  void coverright(double x) override;
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
  struct State;
  std::unique_ptr<State> st_;
};

}  // namespace agv
