// The drawing routines on an HTML canvas: each call becomes operations of the canvas's 2-D
// context (paths, fills, strokes, text), gathered for a frame and painted by the page's script
// at its end.  They draw what Cairo's canvas draws, the same shapes in the same order.
#pragma once

#include <string>
#include <vector>

#include "render/pathcanvas.h"

namespace agvweb {

// The operations, each a code followed by its numbers (screen units unless a name says pixels;
// angles in radians); web/page.js paints them.
enum class Op : int {
  Clear,      // -: the canvas white
  Move,       // x y
  Line,       // x y
  Arc,        // cx cy r a0 a1 down: the arc from a0 to a1, angles rising (down 0) or falling
              // (1), joined to the path by a line from its last point
  Close,      // -
  Fill,       // r g b (0 ... 1): the path filled and begun anew
  Stroke,     // px r g b: the path stroked px pixels wide and begun anew
  Save,       // -
  Restore,    // -
  Translate,  // x y
  Rotate,     // a
  Rect,       // x y w h
  Text,       // x y px at n: the bytes at ... at + n of the texts, baseline from (x, y), px tall
};

// Draws onto a canvas of w x h pixels: the window's 800 x 800 picture stretched to that size
// as the window stretches it, line widths and text grown with the smaller side.
class HtmlCanvas final : public agv::PathCanvas {
 public:
  HtmlCanvas(int w, int h);

  // The operations of the frame drawn last (framebegin to frameend), and the bytes of its texts.
  const std::vector<double>& ops() const { return ops_; }
  const std::string& texts() const { return texts_; }

 private:
  void op(Op o, std::initializer_list<double> v = {});
  void clear() override;
  void moveto(double x, double y) override { op(Op::Move, {x, y}); }
  void lineto(double x, double y) override { op(Op::Line, {x, y}); }
  void arc(double cx, double cy, double r, double a0, double a1, bool down, bool apart) override;
  void closepath() override { op(Op::Close); }
  void rectangle(double x, double y, double w, double h) override { op(Op::Rect, {x, y, w, h}); }
  void fillpath(const agv::Color& c) override { op(Op::Fill, {c.r, c.g, c.b}); }
  void strokepath(double px, const agv::Color& c) override { op(Op::Stroke, {px, c.r, c.g, c.b}); }
  void push(const agv::Point& p, double ang) override;
  void pop() override { op(Op::Restore); }
  agv::Point todevice(const agv::Point& p) const override;
  agv::Point fromdevice(const agv::Point& p) const override;
  void showtext(float x, float y, double px, const char* str) override;

  int w_, h_;
  std::vector<double> ops_;
  std::string texts_;
};

}  // namespace agvweb
