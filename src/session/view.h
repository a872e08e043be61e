// View and animation state of the viewer window.
#pragma once

namespace agv {

constexpr double scale0 = 0.2;  // zoom after each dialogue pass

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

}  // namespace agv
