// Shared by the drawing tests: the window on a private Xvfb, frames, what they must show.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "console/dialogue.h"
#include "console/keys.h"
#include "render/agvfig.h"
#include "render/glcanvas.h"
#include "render/graphs.h"
#include "render/prims.h"
#include "render/scene.h"
#include "session/session.h"
#include "recorder.h"
#include "support/proc.h"
#include "support/session.h"
#include "window/window.h"

namespace rendertest {

using namespace agv;

// The session the drawing tests draw: the test window's.
Session& sess();
inline Session& S = sess();

constexpr int W = 800, H = 800;  // window size [px]

// The view defaults, the zoom kept.
void initview();

// The frame of the test session.
inline void display() { agv::display(wincanvas(), sceneof(sess())); }
// The window's canvas, for the drawing routines alone.
inline Canvas& cv() { return wincanvas(); }
// A key to the test session.
inline KeyAction keycmd(unsigned char k) { return agv::keycmd(sess(), k); }
// A pass of the test session from the start-up.
inline agvtest::Transcript firstPass(const std::string& input) {
  return agvtest::firstPass(sess(), input);
}

// Opens the viewer window on a private X server once; false when that failed.
bool glready();

// Pixels of a frame, RGB, row 0 at the bottom.
struct Frame {
  std::vector<uint8_t> rgb;
  bool is(int col, int row, const Color& c) const;  // each channel within 40
  // Some pixel within radius px (square) of the screen point has colour c.
  bool near(const Point& s, const Color& c, int radius = 1) const;
  // Pixels of colour c in the screen rectangle [x0, x1] x [y0, y1].
  int count(double x0, double y0, double x1, double y1, const Color& c) const;
  int differ(const Frame& o) const;  // pixels unlike those of o
};

// Golden frames: the PNG file of a name, and PNG files read and written.
std::string golden(const char* name);
// Where a test writes a picture of its own: a folder of the build.
std::string picture(const std::string& name);
bool readpng(const std::string& file, Frame& f);
bool writepng(const std::string& file, const Frame& f);

inline int col(double sx) { return static_cast<int>((sx + 1.0) * W / 2.0); }
inline int row(double sy) { return static_cast<int>((sy + 1.0) * H / 2.0); }

Frame readback();  // the back buffer after the caller's drawing (no swap)
Frame shown();     // one whole frame of the scene, as shown in the window
Frame onscreen();  // what the window shows now, without drawing

// The world-to-screen rule of the view.
inline Point scr(double x, double y) {
  const View& v = sess().view;
  return {v.scale * (x + v.xorg) + v.xshift, v.scale * (y + v.yorg) + v.yshift};
}
inline Point scr(const Record& rec) { return scr(rec.x, rec.y); }

double px(const Point& a, const Point& b);  // distance of screen points [px]
// Nearest distance [px] from s to the screen points of the records.
template <class R>
double nearest(const Point& s, const std::vector<R>& recs) {
  double d = 1e9;
  for (const R& r : recs) d = std::min(d, px(s, scr(r)));
  return d;
}
Point ahead(const Record& rec, double d);  // d metres ahead along the heading

// Colours a frame must (not) show at records' screen points, but under a figure (1.3 m
// around its record), the graph panel or beside a start or end marker (world points).
struct Expect {
  Expect(std::initializer_list<const Record*> figures, std::initializer_list<Point> markers);
  void add(const Record& rec, const Color& c, bool present = true);
  // recs[0], recs[step], ... to the last.
  template <class R>
  void add(const std::vector<R>& recs, const Color& c, size_t step = 1) {
    for (size_t i = 0; i < recs.size(); i += step) add(recs[i], c);
  }
  int misses(const Frame& f) const;  // points where the frame differs

  std::vector<std::tuple<Point, Color, bool>> want;  // screen point, colour, present
  std::vector<Point> figures, markers;               // screen points
  int radius = 1;                                    // of the pixel square searched around a point
};

}  // namespace rendertest

using namespace rendertest;
