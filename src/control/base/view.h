// View and animation state of the viewer window.
#pragma once

namespace agv {

constexpr double scale0 = 0.2;  // zoom after each dialogue pass

extern double xshift, yshift;  // pan [screen units]
extern double xorg, yorg;      // scene origin offset [m]
extern double xg2, yg2;        // the graph panel stands left of and below this point
extern double wg;              // graph frame size
extern double scale;           // screen units per metre

// The zoom and the steps are set by the keys and reset by each dialogue
// pass, as both are meant to.
extern int kanimC;   // step of the PTP constant-velocity run
extern int kanimV;   // step of the PTP variable-velocity run
extern int kanimCP;  // step of the CP run
extern int kendC;    // last valid kanimC (written by the keys)
extern int kendV;    // last valid kanimV (written by the keys)

// Sets the view defaults.
void initview();

}  // namespace agv
