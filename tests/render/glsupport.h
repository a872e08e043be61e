// Drawing tests: the viewer window on a private Xvfb, frames read back
// from it, and what a frame must show where.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "control/view.h"
#include "motion/runs.h"
#include "render/prims.h"

namespace rendertest {

constexpr int W = 800;  // window size [px]
constexpr int H = 800;

// Opens the viewer window on a private X server the first time; false
// when that failed.  Both live until the program ends.
bool glready();

// Pixels of a frame, RGB, row 0 at the bottom.
struct Frame {
  std::vector<uint8_t> rgb;

  // Each channel within 40 of the colour's.
  bool is(int col, int row, const agv::Color& c) const;
  // Some pixel within radius px (square) of the screen point has colour c.
  bool near(const agv::Point& s, const agv::Color& c, int radius = 1) const;
  // Pixels of colour c in the screen rectangle [x0, x1] x [y0, y1].
  int count(double x0, double y0, double x1, double y1, const agv::Color& c) const;
};

inline int col(double sx) { return static_cast<int>((sx + 1.0) * W / 2.0); }
inline int row(double sy) { return static_cast<int>((sy + 1.0) * H / 2.0); }

// The back buffer after the caller's drawing (framebegin, drawing, no swap).
Frame readback();
// One whole frame of the scene, as shown in the window.
Frame shown();

// The world-to-screen rule of the view.
inline agv::Point scr(double x, double y) {
  using namespace agv;
  return {scale * (x + xorg) + xshift, scale * (y + yorg) + yshift};
}
inline agv::Point scr(const double* rec) { return scr(rec[agv::RX], rec[agv::RY]); }

// Distance of two screen points [px].
double px(const agv::Point& a, const agv::Point& b);
// Nearest distance [px] from s to the screen points of rec[0..n].
double nearest(const agv::Point& s, int n, const double (*rec)[6]);
// The screen point d metres ahead of a record along its heading.
agv::Point ahead(const double* rec, double d);

// Colours a frame must show (or not show) at the screen points of records;
// points under a figure (1.3 m around its record), under the graph panel
// or beside a start or end marker (world points) are left out.
struct Expect {
  Expect(std::initializer_list<const double*> figures, std::initializer_list<agv::Point> markers);
  void add(const double* rec, const agv::Color& c, bool present = true);
  // Points where the frame differs from the expectation.
  int misses(const Frame& f) const;

  struct Want {
    agv::Point s;
    agv::Color c;
    bool present;
  };
  std::vector<Want> want;
  std::vector<agv::Point> figures, markers;  // screen points
  int radius = 1;                            // of the pixel square searched around a point
};

// Non-finite coordinates handed to glVertex2d, glRasterPos2f and
// glTranslated so far.
extern int nonfinite;

}  // namespace rendertest
