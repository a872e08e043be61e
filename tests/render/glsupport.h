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

#include "control/dialogue.h"
#include "control/keys.h"
#include "control/base/params.h"
#include "control/base/view.h"
#include "control/window.h"
#include "cp/curves.h"
#include "cp/track.h"
#include "motion/runs.h"
#include "motion/varruns.h"
#include "ptp/clpath.h"
#include "ptp/schedule.h"
#include "render/agvfig.h"
#include "render/graphs.h"
#include "render/prims.h"
#include "render/scene.h"
#include "support/proc.h"
#include "support/session.h"
#include "ptp/steps.h"
#include "ptp/path.h"
#include "motion/shown.h"
#include "motion/records.h"

namespace rendertest {

using namespace agv;

constexpr int W = 800, H = 800;  // window size [px]

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
bool readpng(const std::string& file, Frame& f);
bool writepng(const std::string& file, const Frame& f);

inline int col(double sx) { return static_cast<int>((sx + 1.0) * W / 2.0); }
inline int row(double sy) { return static_cast<int>((sy + 1.0) * H / 2.0); }

Frame readback();  // the back buffer after the caller's drawing (no swap)
Frame shown();     // one whole frame of the scene, as shown in the window
Frame onscreen();  // what the window shows now, without drawing

// The world-to-screen rule of the view.
inline Point scr(double x, double y) {
  return {scale * (x + xorg) + xshift, scale * (y + yorg) + yshift};
}
inline Point scr(const double* rec) { return scr(rec[RX], rec[RY]); }

double px(const Point& a, const Point& b);  // distance of screen points [px]
// Nearest distance [px] from s to the screen points of rec[0..n].
double nearest(const Point& s, int n, const double (*rec)[6]);
Point ahead(const double* rec, double d);  // d metres ahead along the heading

// Colours a frame must (not) show at records' screen points, but under a figure (1.3 m
// around its record), the graph panel or beside a start or end marker (world points).
struct Expect {
  Expect(std::initializer_list<const double*> figures, std::initializer_list<Point> markers);
  void add(const double* rec, const Color& c, bool present = true);
  // rec[0], rec[step], ... up to rec[n].
  template <int N>
  void add(int n, const double (*rec)[N], const Color& c, int step = 1) {
    for (int i = 0; i <= n; i += step) add(rec[i], c);
  }
  int misses(const Frame& f) const;  // points where the frame differs

  std::vector<std::tuple<Point, Color, bool>> want;  // screen point, colour, present
  std::vector<Point> figures, markers;               // screen points
  int radius = 1;                                    // of the pixel square searched around a point
};

}  // namespace rendertest

using namespace rendertest;
