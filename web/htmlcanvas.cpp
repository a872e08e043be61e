#include "web/htmlcanvas.h"

#include <cmath>
#include <cstring>

namespace agvweb {

using agv::Point;

HtmlCanvas::HtmlCanvas(int w, int h) : PathCanvas(w, h), w_(w), h_(h) {}

void HtmlCanvas::op(Op o, std::initializer_list<double> v) {
  ops_.push_back(static_cast<double>(o));
  ops_.insert(ops_.end(), v);
}

// A frame's operations begin anew with it.
void HtmlCanvas::clear() {
  ops_.clear();
  texts_.clear();
  op(Op::Clear);
}

void HtmlCanvas::arc(double cx, double cy, double r, double a0, double a1, bool down, bool apart) {
  if (apart) op(Op::Move, {cx + r * std::cos(a0), cy + r * std::sin(a0)});
  op(Op::Arc, {cx, cy, r, a0, a1, down ? 1.0 : 0.0});
}

void HtmlCanvas::push(const Point& p, double ang) {
  op(Op::Save);
  op(Op::Translate, {p.x, p.y});
  op(Op::Rotate, {ang});
}

// Device pixels of the screen transform (the shapes that ask are drawn in it, never turned).
Point HtmlCanvas::todevice(const Point& p) const {
  const double hx = w_ / 2.0, hy = h_ / 2.0;
  return {hx + p.x * hx, hy - p.y * hy};
}

Point HtmlCanvas::fromdevice(const Point& p) const {
  const double hx = w_ / 2.0, hy = h_ / 2.0;
  return {(p.x - hx) / hx, (hy - p.y) / hy};
}

void HtmlCanvas::showtext(float x, float y, double px, const char* str) {
  const size_t n = std::strlen(str);
  op(Op::Text, {x, y, px, static_cast<double>(texts_.size()), static_cast<double>(n)});
  texts_.append(str, n);
}

}  // namespace agvweb
