// The drawing routines: the world-to-screen rule, and each routine handed
// on to the canvas in use.
#include "render/prims.h"

namespace agv {

namespace {

Canvas* current = nullptr;

}  // namespace

Canvas& canvas() { return *current; }

Canvas* usecanvas(Canvas* c) {
  Canvas* before = current;
  current = c;
  return before;
}

Point toscreen(const View& v, double x, double y) {
  return {(v.xorg + x) * v.scale + v.xshift, (v.yorg + y) * v.scale + v.yshift};
}

void framebegin() { canvas().framebegin(); }
void frameend() { canvas().frameend(); }
void drawflush() { canvas().flush(); }
void coverright(double x) { canvas().coverright(x); }

void drawline(const Point& a, const Point& b, double w, const Color& c) {
  canvas().line(a, b, w, c);
}
void drawthin(const Point& a, const Point& b, const Color& c) { canvas().thin(a, b, c); }
void drawdisc(const Point& c, double r, const Color& col) { canvas().disc(c, r, col); }
void drawdots(int n, const Point* c, double r, const Color& col) { canvas().dots(n, c, r, col); }
void drawcircle(const Point& c, double r, const Color& col) { canvas().circle(c, r, col); }
void drawhalfdisc(const Point& c, double r, double a0, const Color& col) {
  canvas().halfdisc(c, r, a0, col);
}
void drawhalfarc(const Point& c, double r, double a0, const Color& col) {
  canvas().halfarc(c, r, a0, col);
}
void drawwheel(const Point& c, double len, double wid, double ang, const Color& col) {
  canvas().wheel(c, len, wid, ang, col);
}
void drawwheelline(const Point& c, double len, double wid, double ang, const Color& col) {
  canvas().wheelline(c, len, wid, ang, col);
}
void drawrect(const Point& p, double w, double h, double ang, const Color& col) {
  canvas().rect(p, w, h, ang, col);
}
void drawrectline(const Point& p, double w, double h, double ang, const Color& col) {
  canvas().rectline(p, w, h, ang, col);
}
void drawbody(const Point& p, double L, double W, double b, double alpha, double ang,
              const Color& col) {
  canvas().body(p, L, W, b, alpha, ang, col);
}
void drawgrid(const Point& c, double ang, int n, double dx, double dy) {
  canvas().grid(c, ang, n, dx, dy);
}
void drawtext(float x, float y, Typeface font, const char* str) { canvas().text(x, y, font, str); }

void drawdot(const View& v, const Point& p, const Color& c) {
  drawdisc(toscreen(v, p.x, p.y), dotR, c);
}

void drawmark(const View& v, const Point& p, double r, const Color& c) {
  drawdisc(toscreen(v, p.x, p.y), r * v.scale, c);
}

}  // namespace agv
