// In-process drawing tests: one GLUT window of the viewer on a private
// Xvfb per test program, frames read back from it.
#pragma once

#include <cstdint>
#include <vector>

#include "render/prims.h"

namespace rendertest {

// Opens the viewer window on a private X server the first time; false
// when that failed.  The server and the window live until the program
// ends.
bool glready();

constexpr int W = 800;  // window size [px]
constexpr int H = 800;

// Pixels of a frame, RGB, row 0 at the bottom (as OpenGL reads them).
struct Frame {
  std::vector<uint8_t> rgb;

  bool inside(int col, int row) const { return col >= 0 && col < W && row >= 0 && row < H; }
  const uint8_t* px(int col, int row) const { return &rgb[3 * (row * W + col)]; }
  // Colour test of one pixel: each channel within 40 of the colour's.
  bool is(int col, int row, const agv::Color& c) const;
  // Some pixel within radius px (square) of the screen point has colour c.
  bool near(const agv::Point& s, const agv::Color& c, int radius = 1) const;
  // Pixels of colour c in the screen rectangle [x0, x1] x [y0, y1].
  int count(double x0, double y0, double x1, double y1, const agv::Color& c) const;
  // Pixels darker than 0.25 in every channel (text and outlines) in the
  // rectangle.
  int dark(double x0, double y0, double x1, double y1) const;
};

// Pixel column and row of a screen point.
int col(double sx);
int row(double sy);

// The back buffer after a frame drawn without the swap (framebegin, the
// caller's drawing, glFinish).
Frame readback();

// One whole frame of the scene, as shown in the window after the swap.
Frame shown();

// Writes the frame as a binary PPM (top row first), for a look at a
// failing case.
void save(const Frame& f, const char* path);

}  // namespace rendertest
