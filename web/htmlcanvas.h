// The drawing routines on an HTML canvas: each call becomes operations of the canvas's 2-D
// context (paths, fills, strokes, text), gathered for a frame and painted by the page's script
// at its end.  They draw what Cairo's canvas draws, the same shapes in the same order.
#pragma once

#include <limits>
#include <string>
#include <vector>

#include "render/prims.h"

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
class HtmlCanvas final : public agv::Canvas {
 public:
  HtmlCanvas(int w, int h);

  // The operations of the frame drawn last (framebegin to frameend), and the bytes of its texts.
  const std::vector<double>& ops() const { return ops_; }
  const std::string& texts() const { return texts_; }

  void framebegin() override;
  void frameend() override;
  void flush() override;
  void coverright(double x) override { cover_ = x; }
  void line(const agv::Point& a, const agv::Point& b, double w, const agv::Color& c) override;
  void thin(const agv::Point& a, const agv::Point& b, const agv::Color& c) override;
  void disc(const agv::Point& c, double r, const agv::Color& col) override;
  void dots(int n, const agv::Point* c, double r, const agv::Color& col) override;
  void circle(const agv::Point& c, double r, const agv::Color& col) override;
  void halfdisc(const agv::Point& c, double r, double a0, const agv::Color& col) override;
  void halfarc(const agv::Point& c, double r, double a0, const agv::Color& col) override;
  void wheel(const agv::Point& c, double len, double wid, double ang,
             const agv::Color& col) override;
  void wheelline(const agv::Point& c, double len, double wid, double ang,
                 const agv::Color& col) override;
  void rect(const agv::Point& p, double w, double h, double ang, const agv::Color& col) override;
  void rectline(const agv::Point& p, double w, double h, double ang,
                const agv::Color& col) override;
  void body(const agv::Point& p, double L, double W, double b, double alpha, double ang,
            const agv::Color& col) override;
  void grid(const agv::Point& c, double ang, int n, double dx, double dy) override;
  void text(float x, float y, agv::Typeface font, const char* str) override;

 private:
  void op(Op o, std::initializer_list<double> v = {});
  void arc(double cx, double cy, double r, double a0, double a1, bool down);
  // The same arc begun as a new part of the path.
  void newarc(double cx, double cy, double r, double a0, double a1, bool down);
  void capsule(double len, double wid);
  void fill(const agv::Color& c);
  void stroke(double px, const agv::Color& c);
  void piece(const agv::Point& a, const agv::Point& b, double px, const agv::Color& c);
  void turned(const agv::Point& p, double ang);
  void unturned(bool filled, const agv::Color& col);
  bool hidden(double x0, double y0, double x1, double y1, double m) const;
  agv::Point crisp(const agv::Point& a, const agv::Point& b, double px) const;

  int w_, h_;
  double zoom_;         // pixels of the canvas per pixel of the window
  double width_ = 1.0;  // width of outlines and thin lines [window pixels], as in the window
  double cover_ = std::numeric_limits<double>::infinity();  // see coverright
  // The path of pieces not yet stroked.
  bool open_ = false;
  double openWidth_ = 0.0;
  agv::Color openColour_{};
  agv::Point end_{};
  std::vector<double> ops_;
  std::string texts_;
};

}  // namespace agvweb
