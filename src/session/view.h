// View and animation state of the viewer window.
#pragma once

namespace agv {

constexpr double scale0 = 0.2;  // zoom after each dialogue pass
constexpr double zoomStep = 0.9;  // 'w' multiplies the zoom by it, 'W' divides it by it

// The zoom keys keep the scale within these bounds [screen units per metre], so that the
// picture can always come back with the opposite key.  At most 500 (a millimetre is 200 px):
// the scene's grid, 40 m each way of the scene origin where a pass puts it, then reaches some
// 2e4 screen units (8e6 px) from the window's middle, within the 2^23 px that Cairo's
// fixed-point coordinates hold, and OpenGL's single-precision vertices still place the lines
// that show within a hundredth of a pixel.  At least 1e-4 (the window 20 km across, the
// grid's 80 m 3 px wide): farther out nothing more can be seen.  Unbounded, the scale ended
// as 0 or infinity after some 7,000 presses, from where no key brought the picture back.
constexpr double minScale = 1e-4;
constexpr double maxScale = 500.0;

// The part of the window a route is fitted into, left of the graphs and
// below the legend, room left around it for the AGVs [screen units].
struct Box {
  double left, right, bottom, top;
};
constexpr Box routeBox{-0.8, 0.2, -0.8, 0.45};

struct View {
  double xshift = 0.0, yshift = 0.0;  // pan [screen units]
  double xorg = -0.5, yorg = -0.5;    // scene origin offset [m]
  double xg2 = 0.4, yg2 = 0.0;        // the graph panel stands left of and below this point
  double wg = 0.5;                    // graph frame size
  double scale = 0.0;                 // screen units per metre (set by each dialogue pass)
  // The zoom keys' steps since the scale was set (+1 each 'W', -1 each 'w'), and the scale
  // set, which the steps zoom.
  int zoom = 0;
  double unzoomed = 0.0;
  // The zoom and the steps are set by the keys and reset by each dialogue
  // pass, as both are meant to.
  int kanimC = 0;   // step of the PTP constant-velocity run
  int kanimV = 0;   // step of the PTP variable-velocity run
  int kanimCP = 0;  // step of the CP run
  int kendC = 0;    // last valid kanimC (written by the keys)
  int kendV = 0;    // last valid kanimV (written by the keys)
};

// The view after a dialogue pass: the zoom of a new picture, the motion at
// its start.
void passview(View& v);

// A zoom key: steps +1 ('W', in) or -1 ('w', out).  The scale is the one set last (by a pass,
// a route or directly) zoomed step by step by all the steps since, so that keys back and forth
// come back to the very same scale.  False, and the view unchanged, where
// the scale would leave [minScale, maxScale], or the wider range up to the scale set.
bool zoomview(View& v, int steps);

}  // namespace agv
