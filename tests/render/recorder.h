// A canvas that keeps the drawing calls instead of drawing them.
#pragma once

#include <string>
#include <vector>

#include "render/prims.h"
#include "session/session.h"

namespace rendertest {


using agv::Color;
using agv::Point;

enum class Kind {
  Begin, End, Cover, Line, Thin, Disc, Dots, Circle, HalfDisc, HalfArc,
  Wheel, WheelLine, Rect, RectLine, Body, Grid, Text
};

struct Call {
  Kind kind;
  std::vector<Point> pts;  // in screen units
  double w;                // width of a line, radius of a disc or dot, cover edge, grid spacing,
                           // 1 for text in the big font
  Color c;
  std::string text;
};

inline bool same(const Color& a, const Color& b) {
  return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

class Recorder : public agv::Canvas {
 public:
  std::vector<Call> calls;

  Recorder() = default;
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // The calls of a kind (and colour), from the index `from` on.
  std::vector<Call> of(Kind k, size_t from = 0) const {
    std::vector<Call> v;
    for (size_t i = from; i < calls.size(); ++i)
      if (calls[i].kind == k) v.push_back(calls[i]);
    return v;
  }
  std::vector<Call> of(Kind k, const Color& c, size_t from = 0) const {
    std::vector<Call> v;
    for (const Call& x : of(k, from))
      if (same(x.c, c)) v.push_back(x);
    return v;
  }
  // Index of the first call of a kind and colour, calls.size() when none.
  size_t first(Kind k, const Color& c) const {
    for (size_t i = 0; i < calls.size(); ++i)
      if (calls[i].kind == k && same(calls[i].c, c)) return i;
    return calls.size();
  }
  bool hastext(const std::string& t) const {
    for (const Call& x : calls)
      if (x.kind == Kind::Text && x.text == t) return true;
    return false;
  }

  void framebegin() override { add(Kind::Begin, {}, 0, {}); }
  void frameend() override { add(Kind::End, {}, 0, {}); }
  void flush() override {}
  void coverright(double x) override { add(Kind::Cover, {}, x, {}); }
  void line(const Point& a, const Point& b, double w, const Color& c) override {
    add(Kind::Line, {a, b}, w, c);
  }
  void thin(const Point& a, const Point& b, const Color& c) override {
    add(Kind::Thin, {a, b}, 0, c);
  }
  void disc(const Point& c, double r, const Color& col) override { add(Kind::Disc, {c}, r, col); }
  void dots(int n, const Point* c, double r, const Color& col) override {
    add(Kind::Dots, std::vector<Point>(c, c + n), r, col);
  }
  void circle(const Point& c, double r, const Color& col) override {
    add(Kind::Circle, {c}, r, col);
  }
  void halfdisc(const Point& c, double r, double a0, const Color& col) override {
    add(Kind::HalfDisc, {c, {a0, 0}}, r, col);
  }
  void halfarc(const Point& c, double r, double a0, const Color& col) override {
    add(Kind::HalfArc, {c, {a0, 0}}, r, col);
  }
  void wheel(const Point& c, double len, double wid, double ang, const Color& col) override {
    add(Kind::Wheel, {c, {len, wid}, {ang, 0}}, wid, col);
  }
  void wheelline(const Point& c, double len, double wid, double ang, const Color& col) override {
    add(Kind::WheelLine, {c, {len, wid}, {ang, 0}}, wid, col);
  }
  void rect(const Point& p, double w, double h, double ang, const Color& col) override {
    add(Kind::Rect, {p, {w, h}, {ang, 0}}, w, col);
  }
  void rectline(const Point& p, double w, double h, double ang, const Color& col) override {
    add(Kind::RectLine, {p, {w, h}, {ang, 0}}, w, col);
  }
  void body(const Point& p, double L, double W, double b, double alpha, double ang,
            const Color& col) override {
    add(Kind::Body, {p, {L, W}, {b, alpha}, {ang, 0}}, W, col);
  }
  void grid(const Point& c, double ang, int n, double dx, double dy) override {
    add(Kind::Grid, {c, {dx, dy}, {ang, static_cast<double>(n)}}, dx, agv::black);
  }
  void text(float x, float y, agv::Typeface font, const char* str) override {
    calls.push_back({Kind::Text, {{x, y}}, font == agv::Typeface::Big ? 1.0 : 0.0, {}, str});
  }

 private:
  void add(Kind k, std::vector<Point> pts, double w, const Color& c) {
    calls.push_back({k, std::move(pts), w, c, {}});
  }
};

}  // namespace rendertest
