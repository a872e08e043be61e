// The world-to-screen rule and the routines that place world points.
#include "render/prims.h"

namespace agv {

Point toscreen(const View& v, double x, double y) {
  return {(v.xorg + x) * v.scale + v.xshift, (v.yorg + y) * v.scale + v.yshift};
}

void drawdot(Canvas& cv, const View& v, const Point& p, const Color& c) {
  drawdisc(cv, toscreen(v, p.x, p.y), dotR, c);
}

void drawmark(Canvas& cv, const View& v, const Point& p, double r, const Color& c) {
  drawdisc(cv, toscreen(v, p.x, p.y), r * v.scale, c);
}

}  // namespace agv
