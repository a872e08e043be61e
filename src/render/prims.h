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

constexpr int ndiv = 120;                    // steps of a full or half turn
constexpr double PIc = 3.1415926536;         // pi of the circle routines
constexpr double radPerDeg = 0.01745329252;  // divisor turning radians into degrees
constexpr double pxPerUnit = 400.0;          // pixels per screen unit
constexpr double thinWidth = 2.0;            // line width in pixels left by drawline
constexpr double dotR = 0.04 * scale0;       // drawdot radius [screen units]

// The window's two bitmap fonts: Helvetica of 18 and of 12 pixels.
enum class Typeface { Big, Small };

// What the drawing routines draw on: OpenGL in the window, Cairo in pictures
// and videos, a recorder in the tests.  Each call is one routine with its points in screen units,
// its width and its colour; the routines below hand their calls on to the
// canvas in use.
class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual void framebegin() = 0;
  virtual void frameend() = 0;
  virtual void flush() = 0;
  virtual void coverright(double x) = 0;
  virtual void line(const Point& a, const Point& b, double w, const Color& c) = 0;
  virtual void thin(const Point& a, const Point& b, const Color& c) = 0;
  virtual void disc(const Point& c, double r, const Color& col) = 0;
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
  virtual void text(float x, float y, Typeface font, const char* str) = 0;
};

Canvas& canvas();                 // the canvas in use (the window sets its own)
Canvas* usecanvas(Canvas* c);     // sets the canvas in use; the one in use before

// The canvas c in use for the lifetime of the object, the one before it again after.
class CanvasInUse {
 public:
  explicit CanvasInUse(Canvas& c) : before_(usecanvas(&c)) {}
  ~CanvasInUse() { usecanvas(before_); }
  CanvasInUse(const CanvasInUse&) = delete;
  CanvasInUse& operator=(const CanvasInUse&) = delete;

 private:
  Canvas* before_;
};

// Screen position of the world point (x, y) [m] in the view v.
Point toscreen(const View& v, double x, double y);

// The first and the last thing of a frame: the window cleared, and the
// frame shown.
void framebegin();
void frameend();

// The routines keep OpenGL state between calls and may hold lines back to
// send them together; drawflush sends what is held, before a frame is read
// without being shown.
void drawflush();

// Everything drawn from now on that lies wholly right of x [screen units]
// will be painted over (by the graph panel), so it is not sent; +infinity
// ends that, and so does framebegin.
void coverright(double x);

void drawline(const Point& a, const Point& b, double w, const Color& c);
void drawthin(const Point& a, const Point& b, const Color& c);
void drawdisc(const Point& c, double r, const Color& col);
void drawcircle(const Point& c, double r, const Color& col);
void drawhalfdisc(const Point& c, double r, double a0, const Color& col);
void drawhalfarc(const Point& c, double r, double a0, const Color& col);
void drawwheel(const Point& c, double len, double wid, double ang, const Color& col);
void drawwheelline(const Point& c, double len, double wid, double ang, const Color& col);
void drawrect(const Point& p, double w, double h, double ang, const Color& col);
void drawrectline(const Point& p, double w, double h, double ang, const Color& col);
void drawbody(const Point& p, double L, double W, double b, double alpha, double ang,
              const Color& col);
void drawgrid(const Point& c, double ang, int n, double dx, double dy);

// Text with its baseline starting at (x, y), in the text colour of the window
// (near black).
void drawtext(float x, float y, Typeface font, const char* str);

// Discs of radius r at the screen points c[0 ... n-1], one after the other
// in the colour col: the same pixels as drawdisc for each of them.  Meant
// for a long trace that grows from frame to frame: the dots drawn for the
// last frame are kept, and only new ones cost a frame anything.
void drawdots(int n, const Point* c, double r, const Color& col);

// Disc of fixed screen size at the world point p [m].
void drawdot(const View& v, const Point& p, const Color& c);
// Disc of radius r [m] at the world point p [m]; grows with the zoom.
void drawmark(const View& v, const Point& p, double r, const Color& c);

}  // namespace agv
