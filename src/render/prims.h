// Drawing primitives, colour constants and the world-to-screen rule.
//
// Every routine draws in screen units: the projection is the identity, so
// x and y run from -1 to +1 over the 800 x 800 window and one unit is 400
// pixels.  Points are passed as Point, colours as Color.
#pragma once

#include "session/view.h"

namespace agv {

struct Point {
  double x;
  double y;
};

struct Color {
  float r, g, b, a;
  bool operator==(const Color&) const = default;
};

inline constexpr Color red{1.0f, 0.0f, 0.0f, 0.0f};
inline constexpr Color green{0.0f, 1.0f, 0.0f, 0.0f};
inline constexpr Color blue{0.0f, 0.0f, 1.0f, 0.0f};
inline constexpr Color white{1.0f, 1.0f, 1.0f, 0.0f};
inline constexpr Color black{0.0f, 0.0f, 0.0f, 0.0f};
inline constexpr Color purple{0.6f, 0.0f, 0.8f, 0.0f};  // the tracked AGV
inline constexpr Color grey{0.6f, 0.6f, 0.6f, 0.0f};    // a map's unknown cells

constexpr int ndiv = 120;                    // steps of a full or half turn
constexpr double PIc = 3.1415926536;         // pi of the circle routines
constexpr double radPerDeg = 0.01745329252;  // divisor turning radians into degrees
constexpr double pxPerUnit = 400.0;          // pixels per screen unit
constexpr double thinWidth = 2.0;            // line width in pixels left by drawline
constexpr double dotR = 0.04 * scale0;       // drawdot radius [screen units]

// The window's two bitmap fonts: Helvetica of 18 and of 12 pixels.
enum class Typeface { Big, Small };

// What the drawing routines draw on: OpenGL in the window, Cairo in pictures and videos, a
// recorder in the tests.  Each call is one routine with its points in screen units, its width
// and its colour.  Every drawing routine takes the canvas it draws on, so that the window, each
// picture and each thread draw on a canvas of their own.
class Canvas {
 public:
  virtual ~Canvas() = default;
  // The first and the last thing of a frame: the canvas cleared, and the frame shown.
  virtual void framebegin() = 0;
  virtual void frameend() = 0;
  // A canvas may keep state between calls and hold lines back to send them together; flush
  // sends what is held, before a frame is read without being shown.
  virtual void flush() = 0;
  // Everything drawn from now on that lies wholly right of x [screen units] will be painted
  // over (by the graph panel), so it is not sent; +infinity ends that, and so does framebegin.
  virtual void coverright(double x) = 0;
  virtual void line(const Point& a, const Point& b, double w, const Color& c) = 0;
  virtual void thin(const Point& a, const Point& b, const Color& c) = 0;
  virtual void disc(const Point& c, double r, const Color& col) = 0;
  // Discs of radius r at the screen points c[0 ... n-1], one after the other in the colour
  // col: the same pixels as disc for each of them.  Meant for a long trace that grows from
  // frame to frame: a canvas may keep the dots of the last frame, so that only new ones cost
  // a frame anything.
  virtual void dots(int n, const Point* c, double r, const Color& col) = 0;
  virtual void circle(const Point& c, double r, const Color& col) = 0;
  virtual void halfdisc(const Point& c, double r, double a0, const Color& col) = 0;
  virtual void halfarc(const Point& c, double r, double a0, const Color& col) = 0;
  virtual void wheel(const Point& c, double len, double wid, double ang, const Color& col) = 0;
  virtual void wheelline(const Point& c, double len, double wid, double ang, const Color& col) = 0;
  virtual void rect(const Point& p, double w, double h, double ang, const Color& col) = 0;
  virtual void rectline(const Point& p, double w, double h, double ang, const Color& col) = 0;
  virtual void body(const Point& p, double L, double W, double b, double alpha, double ang,
                    const Color& col) = 0;
  virtual void grid(const Point& c, double ang, int n, double dx, double dy) = 0;
  // Text with its baseline starting at (x, y), in the text colour of the window (near black).
  virtual void text(float x, float y, Typeface font, const char* str) = 0;
};

// The routines by their names, each on the canvas cv.
inline void drawline(Canvas& cv, const Point& a, const Point& b, double w, const Color& c) {
  cv.line(a, b, w, c);
}
inline void drawthin(Canvas& cv, const Point& a, const Point& b, const Color& c) {
  cv.thin(a, b, c);
}
inline void drawdisc(Canvas& cv, const Point& c, double r, const Color& col) {
  cv.disc(c, r, col);
}
inline void drawdots(Canvas& cv, int n, const Point* c, double r, const Color& col) {
  cv.dots(n, c, r, col);
}
inline void drawcircle(Canvas& cv, const Point& c, double r, const Color& col) {
  cv.circle(c, r, col);
}
inline void drawhalfdisc(Canvas& cv, const Point& c, double r, double a0, const Color& col) {
  cv.halfdisc(c, r, a0, col);
}
inline void drawhalfarc(Canvas& cv, const Point& c, double r, double a0, const Color& col) {
  cv.halfarc(c, r, a0, col);
}
inline void drawwheel(Canvas& cv, const Point& c, double len, double wid, double ang,
                      const Color& col) {
  cv.wheel(c, len, wid, ang, col);
}
inline void drawwheelline(Canvas& cv, const Point& c, double len, double wid, double ang,
                          const Color& col) {
  cv.wheelline(c, len, wid, ang, col);
}
inline void drawrect(Canvas& cv, const Point& p, double w, double h, double ang,
                     const Color& col) {
  cv.rect(p, w, h, ang, col);
}
inline void drawrectline(Canvas& cv, const Point& p, double w, double h, double ang,
                         const Color& col) {
  cv.rectline(p, w, h, ang, col);
}
inline void drawbody(Canvas& cv, const Point& p, double L, double W, double b, double alpha,
                     double ang, const Color& col) {
  cv.body(p, L, W, b, alpha, ang, col);
}
inline void drawgrid(Canvas& cv, const Point& c, double ang, int n, double dx, double dy) {
  cv.grid(c, ang, n, dx, dy);
}
inline void drawtext(Canvas& cv, float x, float y, Typeface font, const char* str) {
  cv.text(x, y, font, str);
}

// Screen position of the world point (x, y) [m] in the view v.
Point toscreen(const View& v, double x, double y);

// Disc of fixed screen size at the world point p [m].
void drawdot(Canvas& cv, const View& v, const Point& p, const Color& c);
// Disc of radius r [m] at the world point p [m]; grows with the zoom.
void drawmark(Canvas& cv, const View& v, const Point& p, double r, const Color& c);

}  // namespace agv
